#include "converter.h"

#include <filesystem>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

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

// The temporary file is removed before the converter starts, so whatever stands there
// afterwards is this conversion's; it counts when it is a PDF.
bool isPdf(const QString &path)
{
    QFile pdf(path);
    return QFileInfo(path).isFile() && pdf.open(QIODevice::ReadOnly) && pdf.read(4) == "%PDF";
}

} // namespace

ConversionLauncher::ConversionLauncher(const QString &converter, QObject *parent)
    : QObject(parent), m_converter(converter)
{
}

ConversionLauncher::~ConversionLauncher()
{
    // Nobody should hear about conversions of a launcher that is going away.
    const QSignalBlocker blocker(this);
    stopAll();
}

int ConversionLauncher::start(const QString &pagePath, const QString &pdfPath)
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
    // kill the converter first so that it looks as if it had crashed.
    process->setChildProcessModifier([] { ::setpgid(0, 0); });
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

    ConversionOutcome outcome;
    if (job.timedOut)
        outcome = ConversionOutcome::TimedOut;
    else if (exitStatus == QProcess::CrashExit)
        outcome = ConversionOutcome::Crashed;
    else if (isPdf(job.partialPath))
        outcome = ConversionOutcome::Made;
    else
        outcome = ConversionOutcome::NoPdfWritten;

    QString detail;
    if (outcome == ConversionOutcome::Made) {
        std::error_code error;
        std::filesystem::rename(job.partialPath.toStdU16String(), job.pdfPath.toStdU16String(),
                                error);
        if (error) {
            outcome = ConversionOutcome::NoPdfWritten;
            detail = QStringLiteral("the PDF could not be put in place: %1")
                         .arg(QString::fromStdString(error.message()));
        }
    } else {
        detail = lastErrorLine(job.errorTail);
    }
    QFile::remove(job.partialPath);
    finish(id, outcome, detail);
}

void ConversionLauncher::finish(int id, ConversionOutcome outcome, const QString &detail)
{
    emit finished(id, outcome, detail);
}

void ConversionLauncher::stopAll()
{
    const QHash<int, Job> jobs = std::exchange(m_jobs, {});
    for (auto it = jobs.begin(); it != jobs.end(); ++it) {
        const Job &job = it.value();
        QProcess *process = job.process;
        job.timer->stop();
        process->disconnect(this);
        killConverter(process);
        // A killed process ends at once; waiting for it here means nothing it writes can
        // outlive the stop, even when no event loop runs afterwards (a program exiting).
        process->waitForFinished(2000);
        QFile::remove(job.partialPath);
        delete process;
        finish(it.key(), ConversionOutcome::Stopped, {});
    }
}

QString ConversionLauncher::lastErrorLine(const QByteArray &errorTail)
{
    // The converter draws progress bars with CR; only whole lines that say something count.
    QString text = QString::fromLocal8Bit(errorTail);
    text.replace(u'\r', u'\n');
    const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QString line = it->trimmed();
        // A page script that could not be fetched does not stop the PDF; it is never the reason.
        if (line.startsWith(QStringLiteral("Error"), Qt::CaseInsensitive)
            && !line.contains(QStringLiteral("Failed to load http"), Qt::CaseInsensitive))
            return line;
    }
    return {};
}
