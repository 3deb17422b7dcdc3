#include "converter.h"

#include <filesystem>
#include <mutex>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace conversion {

QString converterPath(const QString &appFolder)
{
    const QChar sep = QDir::separator();
#ifdef Q_OS_WIN
    const QString inAppFolder =
        appFolder + sep + QStringLiteral("bin") + sep + QStringLiteral("wkhtmltopdf.exe");
#else
    const QString inAppFolder =
        appFolder + sep + QStringLiteral("bin") + sep + QStringLiteral("wkhtmltopdf");
#endif
    // What stands in the application folder wins, even when it cannot run: that is reported
    // rather than passed over. A link whose converter was uninstalled stands for nothing.
    if (QFileInfo::exists(inAppFolder))
        return inAppFolder;
    // WeasyPrint takes the same two arguments; it runs no page scripts and is slower.
    for (const QString &program : {QStringLiteral("wkhtmltopdf"), QStringLiteral("weasyprint")}) {
        const QString found = QStandardPaths::findExecutable(program);
        if (!found.isEmpty())
            return QDir::toNativeSeparators(found);
    }
    return inAppFolder;
}

QString converterCommandLine(const QString &converter, const QString &pagePath,
                             const QString &pdfPath)
{
    const QChar quote = u'"';
    return quote + converter + quote + QStringLiteral("  ") + quote + pagePath + quote + u' ' +
           quote + pdfPath + quote;
}

QString converterProblem(const QString &converter)
{
#ifdef Q_OS_WIN
    const QString howTo = QStringLiteral("Put wkhtmltopdf.exe in the bin folder:\n%1")
                              .arg(QFileInfo(converter).absolutePath());
#else
    const QString howTo = QStringLiteral(
        "Install one with \"apt-get install wkhtmltopdf\", or \"apt-get install weasyprint\" "
        "where the system no longer has wkhtmltopdf.");
#endif
    const QFileInfo info(converter);
    if (!info.exists())
        return QStringLiteral("No PDF converter was found. Paperwake looked for\n%1\nand then for "
                              "wkhtmltopdf and weasyprint on the PATH.\n\n%2")
            .arg(converter, howTo);
    if (!info.isFile() || !info.isExecutable())
        return QStringLiteral("The PDF converter at\n%1\ncannot be run: it is not an executable "
                              "program.\n\nRemove it to use wkhtmltopdf or weasyprint from the "
                              "PATH, or replace it with a working converter.")
            .arg(converter);
    return {};
}

} // namespace conversion

QString outcomeReason(ConversionOutcome outcome, std::chrono::milliseconds timeout)
{
    switch (outcome) {
    case ConversionOutcome::Made:
        return {};
    case ConversionOutcome::NotStarted:
        return QStringLiteral("the converter could not be started");
    case ConversionOutcome::Crashed:
        return QStringLiteral("the converter crashed");
    case ConversionOutcome::TimedOut: {
        const qint64 ms = timeout.count();
        const QString span = ms > 0 && ms % 60000 == 0
                                 ? QStringLiteral("%1 minutes").arg(ms / 60000)
                                 : QStringLiteral("%1 seconds").arg(double(ms) / 1000.0);
        return QStringLiteral("the converter did not finish within %1 and was stopped").arg(span);
    }
    case ConversionOutcome::NoPdfWritten:
        return QStringLiteral("the converter wrote no PDF");
    case ConversionOutcome::IncompletePdf:
        return QStringLiteral("the converter wrote an incomplete PDF");
    case ConversionOutcome::NotPutInPlace:
        return QStringLiteral("the PDF was made but could not be put in place");
    case ConversionOutcome::DamagedPdf:
        return QStringLiteral("the converter wrote a damaged PDF");
    case ConversionOutcome::Stopped:
        return QStringLiteral("the conversion was stopped");
    }
    return {};
}

namespace {

// Ends the converter with whatever it started: it runs in a process group of its own.
void killConverter(QProcess *process)
{
#ifdef Q_OS_UNIX
    const qint64 pid = process->processId();
    if (pid > 0)
        ::kill(-pid_t(pid), SIGKILL);
#endif
    process->kill();
}

// Enough of the converter's error output to find its last message.
constexpr qsizetype kErrorTail = 4096;

// Moves the finished PDF onto its name; the system's reason when it cannot.
QString putInPlace(const QString &partialPath, const QString &pdfPath)
{
    std::error_code error;
    std::filesystem::rename(partialPath.toStdU16String(), pdfPath.toStdU16String(), error);
    return error ? QString::fromStdString(error.message()) : QString();
}

} // namespace

PdfCheck checkPdf(const QString &path)
{
    QFile pdf(path);
    if (!QFileInfo(path).isFile() || !pdf.open(QIODevice::ReadOnly) || pdf.read(4) != "%PDF")
        return PdfCheck::NotPdf;
    // A converter cut short (a full disk, a crash after the header) leaves no end-of-file mark.
    constexpr qint64 kTail = 1024;
    const qint64 size = pdf.size();
    if (!pdf.seek(qMax<qint64>(0, size - kTail)))
        return PdfCheck::Incomplete;
    const QByteArray tail = pdf.read(kTail).trimmed();
    return tail.endsWith("%%EOF") ? PdfCheck::Complete : PdfCheck::Incomplete;
}

struct ConversionLauncher::Abandon
{
    std::mutex mutex;
    bool abandoned = false; // the launcher is gone: whoever comes last removes the file
    bool done = false;      // the worker has let go of the file
};

ConversionLauncher::ConversionLauncher(const QString &converter, QObject *parent)
    : QObject(parent), m_converter(converter)
{
}

ConversionLauncher::~ConversionLauncher()
{
    // Going away, so nobody hears of these any more; the processes are reaped as they are
    // deleted, and only then is what they began removed.
    const QHash<int, Job> jobs = std::exchange(m_jobs, {});
    for (const Job &job : jobs) {
        job.process->disconnect(this);
        killConverter(job.process);
        delete job.process;
        QFile::remove(job.partialPath);
    }
    // A worker cannot be interrupted; the file goes when it has let go of it.
    const QHash<int, Finishing> finishing = std::exchange(m_finishing, {});
    for (const Finishing &f : finishing) {
        f.watcher->disconnect(this);
        delete f.watcher;
        const std::lock_guard lock(f.abandon->mutex);
        f.abandon->abandoned = true;
        if (f.abandon->done)
            QFile::remove(f.partialPath);
    }
}

int ConversionLauncher::start(const QString &pagePath, const QString &pdfPath,
                              const std::optional<PdfProperties> &properties)
{
    const int id = m_nextId++;
    // The converter writes beside the PDF under a name of its own, so a PDF of an earlier run
    // stays until a good one replaces it, and never passes for this conversion's result.
    const QFileInfo target(pdfPath);
    // Short, so a PDF name near the file-name length limit still leaves room for it.
    const QString partialPath = target.dir().filePath(
        QStringLiteral(".pw-%1-%2.part.pdf").arg(QCoreApplication::applicationPid()).arg(id));
    QFile::remove(partialPath);

    auto *process = new QProcess(this);
#ifdef Q_OS_UNIX
    // Its own process group: Ctrl-C in a terminal must reach us, who stop it cleanly, and not
    // kill the converter first so that it looks as if it had crashed. On Linux the kernel also
    // kills it when we die without a clean stop (kill -9, a crash), so none is left orphaned.
    const pid_t parent = ::getpid();
    process->setChildProcessModifier([parent] {
        ::setpgid(0, 0);
#ifdef Q_OS_LINUX
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127); // the parent died before the signal was armed
#endif
    });
#endif
    process->setProgram(m_converter);
    process->setArguments({pagePath, partialPath});
    process->setStandardOutputFile(QProcess::nullDevice());
    auto *timer = new QTimer(process);
    timer->setSingleShot(true);
    timer->setInterval(m_timeout);

    connect(process, &QProcess::readyReadStandardError, this, [this, id] {
        const auto it = m_jobs.find(id);
        if (it == m_jobs.end())
            return;
        it->errorTail += it->process->readAllStandardError();
        if (it->errorTail.size() > kErrorTail)
            it->errorTail = it->errorTail.right(kErrorTail);
    });
    connect(process, &QProcess::finished, this,
            [this, id](int, QProcess::ExitStatus status) { onFinished(id, int(status)); });
    connect(process, &QProcess::errorOccurred, this, [this, id](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            onFailedToStart(id);
    });
    connect(timer, &QTimer::timeout, this, [this, id] {
        const auto it = m_jobs.find(id);
        if (it == m_jobs.end())
            return;
        it->timedOut = true;
        killConverter(it->process);
    });

    Job job;
    job.process = process;
    job.timer = timer;
    job.pdfPath = pdfPath;
    job.partialPath = partialPath;
    job.properties = properties;
    m_jobs.insert(id, job);
    process->start();
    if (m_jobs.contains(id))
        timer->start();
    return id;
}

void ConversionLauncher::onFailedToStart(int id)
{
    const auto it = m_jobs.find(id);
    if (it == m_jobs.end())
        return;
    const QString detail = it->process->errorString();
    it->timer->stop();
    it->process->deleteLater();
    m_jobs.erase(it);
    // Reported later, so a caller of start() always knows the id before hearing of it.
    QMetaObject::invokeMethod(
        this, [this, id, detail] { finish(id, ConversionOutcome::NotStarted, detail); },
        Qt::QueuedConnection);
}

void ConversionLauncher::onFinished(int id, int exitStatus)
{
    const auto it = m_jobs.find(id);
    if (it == m_jobs.end())
        return;
    Job job = *it;
    m_jobs.erase(it);
    job.timer->stop();
    job.errorTail += job.process->readAllStandardError();
    job.process->deleteLater();

    ConversionOutcome outcome = ConversionOutcome::NoPdfWritten;
    if (job.stopped)
        outcome = ConversionOutcome::Stopped;
    else if (job.timedOut)
        outcome = ConversionOutcome::TimedOut;
    else if (exitStatus == QProcess::CrashExit)
        outcome = ConversionOutcome::Crashed;
    else
        switch (checkPdf(job.partialPath)) {
        case PdfCheck::Complete:
            outcome = ConversionOutcome::Made;
            break;
        case PdfCheck::Incomplete:
            outcome = ConversionOutcome::IncompletePdf;
            break;
        case PdfCheck::NotPdf:
            outcome = ConversionOutcome::NoPdfWritten;
            break;
        }

    if (outcome == ConversionOutcome::Made && m_pdfChecks)
        return startFinishing(id, job);
    QString detail;
    if (outcome == ConversionOutcome::Made) {
        detail = putInPlace(job.partialPath, job.pdfPath);
        if (!detail.isEmpty())
            outcome = ConversionOutcome::NotPutInPlace;
    } else if (outcome != ConversionOutcome::Stopped) {
        detail = lastErrorLine(job.errorTail);
    }
    QFile::remove(job.partialPath);
    finish(id, outcome, detail);
}

void ConversionLauncher::startFinishing(int id, const Job &job)
{
    auto abandon = std::make_shared<Abandon>();
    auto *watcher = new QFutureWatcher<pdffinishing::Result>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, id, watcher] {
        const pdffinishing::Result result = watcher->result();
        watcher->deleteLater();
        onFinishingDone(id, result);
    });
    m_finishing.insert(id, Finishing{job.pdfPath, job.partialPath, watcher, abandon});
    // qpdf reads and rewrites the whole PDF, which takes a while for a large one.
    watcher->setFuture(QtConcurrent::run(
        [partialPath = job.partialPath, properties = job.properties, abandon] {
            const pdffinishing::Result result =
                properties ? pdffinishing::finishPdf(partialPath, *properties)
                           : pdffinishing::verifyPdf(partialPath);
            const std::lock_guard lock(abandon->mutex);
            abandon->done = true;
            if (abandon->abandoned)
                QFile::remove(partialPath);
            return result;
        }));
}

void ConversionLauncher::onFinishingDone(int id, const pdffinishing::Result &result)
{
    const auto it = m_finishing.find(id);
    if (it == m_finishing.end())
        return;
    const Finishing finishing = *it;
    m_finishing.erase(it);

    ConversionOutcome outcome = ConversionOutcome::Made;
    QString detail;
    if (finishing.stopped) {
        outcome = ConversionOutcome::Stopped;
    } else if (!result.ok()) {
        outcome = result.damaged ? ConversionOutcome::DamagedPdf
                                 : ConversionOutcome::NotPutInPlace;
        detail = result.problem;
    } else if (const QString error = putInPlace(finishing.partialPath, finishing.pdfPath);
               !error.isEmpty()) {
        outcome = ConversionOutcome::NotPutInPlace;
        detail = error;
    }
    QFile::remove(finishing.partialPath);
    finish(id, outcome, detail);
}

void ConversionLauncher::finish(int id, ConversionOutcome outcome, const QString &detail)
{
    emit finished(id, outcome, detail);
}

void ConversionLauncher::stopAll()
{
    // Killed now; each is reported as Stopped, and what it began removed, when it has ended.
    for (Job &job : m_jobs) {
        if (job.stopped)
            continue;
        job.stopped = true;
        job.timer->stop();
        killConverter(job.process);
    }
    // qpdf's work is not interrupted, only not used.
    for (Finishing &finishing : m_finishing)
        finishing.stopped = true;
}

QString ConversionLauncher::lastErrorLine(const QByteArray &errorTail)
{
    // The converter draws progress bars with CR; only whole lines that say something count.
    QString text = QString::fromLocal8Bit(errorTail);
    text.replace(u'\r', u'\n');
    const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QString line = it->trimmed();
        // A page script that could not be fetched, or the converter's own blank start page,
        // does not stop the PDF; neither is ever the reason.
        if (line.startsWith(QStringLiteral("Error"), Qt::CaseInsensitive)
            && !line.contains(QStringLiteral("Failed to load http"), Qt::CaseInsensitive)
            && !line.contains(QStringLiteral("Failed to load about:"), Qt::CaseInsensitive))
            return line;
    }
    return {};
}
