#include "converter.h"

#include "converter_sandbox.h"
#include "paths.h"
#include "leftovers.h"

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
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>


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
        const bool minutes = ms > 0 && ms % 60000 == 0;
        const double count = minutes ? double(ms / 60000) : double(ms) / 1000.0;
        const QString span = QStringLiteral("%1 %2%3")
                                 .arg(count)
                                 .arg(minutes ? QStringLiteral("minute") : QStringLiteral("second"))
                                 .arg(count == 1 ? QString() : QStringLiteral("s"));
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
    case ConversionOutcome::DiskFull:
        return QStringLiteral("no space left on the output disk");
    case ConversionOutcome::OutOfMemory:
        return QStringLiteral("the converter was stopped for lack of memory");
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

void keepTail(QByteArray &tail, const QByteArray &more)
{
    tail += more;
    if (tail.size() > kErrorTail)
        tail = tail.right(kErrorTail);
}

QThreadPool *finishingPool()
{
    static QThreadPool pool;
    return &pool;
}

// Moves the finished PDF onto its name; the system's reason when it cannot.
QString putInPlace(const QString &partialPath, const QString &pdfPath)
{
    std::error_code error;
    std::filesystem::rename(partialPath.toStdU16String(), pdfPath.toStdU16String(), error);
    return error ? QString::fromStdString(error.message()) : QString();
}

// A converter that runs out of disk leaves a cut PDF or none, or crashes, and qpdf cannot
// write the finished one: then the full disk is what to name, with the folder it holds.
void nameFullDisk(ConversionOutcome &outcome, QString &detail, const QString &pdfPath)
{
    switch (outcome) {
    case ConversionOutcome::Crashed:
    case ConversionOutcome::NoPdfWritten:
    case ConversionOutcome::IncompletePdf:
    case ConversionOutcome::NotPutInPlace:
    case ConversionOutcome::DamagedPdf:
        break;
    default:
        return;
    }
    const QString folder = QFileInfo(pdfPath).absolutePath();
    if (paths::noSpaceLeft(folder)) {
        outcome = ConversionOutcome::DiskFull;
        detail = QDir::toNativeSeparators(folder);
    }
}

// What the kernel's memory killer sends.
#ifdef Q_OS_UNIX
constexpr int kKillSignal = SIGKILL;
#else
constexpr int kKillSignal = -1;
#endif

// The converter's temporary PDF, gone or moved onto the PDF: nothing left to clean up after us.
void dropPartial(const QString &partialPath)
{
    QFile::remove(partialPath);
    leftovers::removeFile(partialPath);
}

// How long the engine may take to answer the cancel of a conversion past its time limit.
constexpr std::chrono::seconds kEngineCancelGrace{10};

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
    : QObject(parent), m_converter(converter), m_builtin(conversion::isBuiltinEngine(converter))
{
}

ConversionLauncher::~ConversionLauncher()
{
    // Going away, so nobody hears of these any more; the processes are reaped as they are
    // deleted, and only then is what they began removed.
    const QHash<int, Job> jobs = std::exchange(m_jobs, {});
    for (const Job &job : jobs) {
        if (job.process) {
            job.process->disconnect(this);
            killConverter(job.process);
            delete job.process;
        }
    }
    releaseEngine(!jobs.isEmpty());
    for (const Job &job : jobs)
        dropPartial(job.partialPath);
    // A worker cannot be interrupted; the file goes when it has let go of it.
    const QHash<int, Finishing> finishing = std::exchange(m_finishing, {});
    for (const Finishing &f : finishing) {
        f.watcher->disconnect(this);
        delete f.watcher;
        const std::lock_guard lock(f.abandon->mutex);
        f.abandon->abandoned = true;
        if (f.abandon->done)
            dropPartial(f.partialPath);
    }
}

void ConversionLauncher::releaseEngine(bool kill)
{
    QProcess *engine = std::exchange(m_engine, nullptr);
    if (!engine)
        return;
    engine->disconnect(this);
    if (engine->state() == QProcess::NotRunning) {
        delete engine;
        return;
    }
    // Left to end on its own: with its input closed it exits once idle (at once, when it has
    // nothing in hand); it dies with us in any case.
    engine->setParent(nullptr);
    QObject::connect(engine, &QProcess::finished, engine, &QObject::deleteLater);
    if (kill)
        killConverter(engine);
    else
        engine->closeWriteChannel();
}

QProcess *ConversionLauncher::startProcess(const QStringList &arguments)
{
    auto *process = new QProcess(this);
    process->setProcessEnvironment(
        convertersandbox::environment(QProcessEnvironment::systemEnvironment()));
#ifdef Q_OS_UNIX
    // Its own process group: Ctrl-C in a terminal must reach us, who stop it cleanly, and not
    // kill the converter first so that it looks as if it had crashed. On Linux the kernel also
    // kills it when we die without a clean stop (kill -9, a crash), so none is left orphaned.
    // It gets no network where the system allows (before the death signal is armed: a new
    // user namespace would clear it).
    const pid_t parent = ::getpid();
    const convertersandbox::Exit exit = convertersandbox::prepareExit();
    process->setChildProcessModifier([parent, exit] {
        ::setpgid(0, 0);
        convertersandbox::leaveNetwork(exit);
#ifdef Q_OS_LINUX
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127); // the parent died before the signal was armed
#endif
    });
#endif
    // Whatever the converter started goes with it, also when it ends on its own; should we die
    // without ending it, the watcher ends its group.
    connect(process, &QProcess::started, process, [process] {
        const qint64 group = process->processId();
        leftovers::addGroup(group);
        const auto endGroup = [group, ended = std::make_shared<bool>(false)] {
            if (std::exchange(*ended, true))
                return;
#ifdef Q_OS_UNIX
            ::kill(-pid_t(group), SIGKILL);
#endif
            leftovers::removeGroup(group);
        };
        connect(process, &QProcess::finished, process, endGroup);
        connect(process, &QObject::destroyed, endGroup);
    });
    process->setProgram(m_converter);
    process->setArguments(arguments);
    return process;
}

int ConversionLauncher::start(const QString &pagePath, const QString &pdfPath,
                              const std::optional<PdfProperties> &properties,
                              std::chrono::milliseconds timeout)
{
    const int id = m_nextId++;
    // The converter writes beside the PDF under a name of its own, so a PDF of an earlier run
    // stays until a good one replaces it, and never passes for this conversion's result.
    const QFileInfo target(pdfPath);
    // Short, so a PDF name near the file-name length limit still leaves room for it; without
    // ".pdf", so no PDF of ours can ever have it.
    const QString partialPath = target.dir().filePath(
        QStringLiteral(".pw-%1-%2.part").arg(QCoreApplication::applicationPid()).arg(id));
    QFile::remove(partialPath);
    leftovers::addFile(partialPath);

    Job job;
    job.pdfPath = pdfPath;
    job.partialPath = partialPath;
    job.memoryKillsBefore = memoryroom::outOfMemoryKills(m_memorySources);
    job.properties = properties;
    job.timer = new QTimer(this);
    job.timer->setSingleShot(true);
    // A coarse timer may fire up to 5 % early, stopping a conversion before its limit.
    job.timer->setTimerType(Qt::PreciseTimer);
    job.timer->setInterval(timeout.count() > 0 ? timeout : m_timeout);
    connect(job.timer, &QTimer::timeout, this, [this, id] { onTimeout(id); });
    if (m_builtin) {
        m_jobs.insert(id, job);
        startOnEngine(id, pagePath);
        return id;
    }

    QProcess *process = startProcess(conversion::converterArguments(m_converter, pagePath, partialPath));
    process->setStandardOutputFile(QProcess::nullDevice());
    connect(process, &QProcess::readyReadStandardError, this, [this, id] {
        const auto it = m_jobs.find(id);
        if (it == m_jobs.end())
            return;
        keepTail(it->errorTail, it->process->readAllStandardError());
    });
    connect(process, &QProcess::finished, this, [this, id](int code, QProcess::ExitStatus status) {
        onFinished(id, code, int(status));
    });
    connect(process, &QProcess::errorOccurred, this, [this, id](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            onFailedToStart(id);
    });
    job.process = process;
    m_jobs.insert(id, job);
    process->start();
    if (m_jobs.contains(id))
        job.timer->start();
    return id;
}

void ConversionLauncher::startOnEngine(int id, const QString &pagePath)
{
    if (!m_engine) {
        // One engine for every conversion, kept warm; a fresh one when the last has ended.
        m_engine = startProcess({QStringLiteral("--batch")});
        m_engineOutput.clear();
        m_engineErrorTail.clear();
        connect(m_engine, &QProcess::readyReadStandardOutput, this, &ConversionLauncher::onEngineOutput);
        connect(m_engine, &QProcess::readyReadStandardError, this, [this] {
            keepTail(m_engineErrorTail, m_engine->readAllStandardError());
        });
        connect(m_engine, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
            // A crash's code is the signal that ended it.
            const bool crashed = status == QProcess::CrashExit;
            onEngineEnded(ConversionOutcome::Crashed,
                          crashed ? QStringLiteral("the built-in engine crashed")
                                  : QStringLiteral("the built-in engine ended (exit status %1)").arg(code),
                          crashed && code == kKillSignal);
        });
        connect(m_engine, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
            // Reported later, so a caller of start() always knows the id before hearing of it.
            if (error == QProcess::FailedToStart)
                QMetaObject::invokeMethod(
                    this,
                    [this, why = m_engine->errorString()] {
                        onEngineEnded(ConversionOutcome::NotStarted, why);
                    },
                    Qt::QueuedConnection);
        });
        m_engine->start();
    }
    const QJsonObject request{{QStringLiteral("id"), id},
                              {QStringLiteral("page"), pagePath},
                              {QStringLiteral("pdf"), m_jobs.value(id).partialPath}};
    sendToEngine(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    if (const auto it = m_jobs.find(id); it != m_jobs.end())
        it->timer->start();
}

void ConversionLauncher::sendToEngine(const QByteArray &line)
{
    if (m_engine && m_engine->state() != QProcess::NotRunning)
        m_engine->write(line);
}

void ConversionLauncher::onEngineOutput()
{
    m_engineOutput += m_engine->readAllStandardOutput();
    qsizetype end;
    while ((end = m_engineOutput.indexOf('\n')) >= 0) {
        const QJsonObject answer = QJsonDocument::fromJson(m_engineOutput.left(end)).object();
        m_engineOutput.remove(0, end + 1);
        const int id = answer.value(QStringLiteral("id")).toInt();
        if (!m_jobs.contains(id))
            continue;
        if (answer.value(QStringLiteral("ok")).toBool())
            conclude(id, ConversionOutcome::Made, {});
        else
            conclude(id,
                     killedForMemory(id, false) ? ConversionOutcome::OutOfMemory
                                         : ConversionOutcome::NoPdfWritten,
                     answer.value(QStringLiteral("reason")).toString());
    }
}

void ConversionLauncher::onEngineEnded(ConversionOutcome outcome, const QString &detail,
                                       bool killed)
{
    // Every conversion it held fails by name; the next conversion starts a fresh engine.
    QProcess *engine = std::exchange(m_engine, nullptr);
    if (!engine)
        return;
    engine->disconnect(this);
    engine->deleteLater();
    const QString lastLine = lastErrorLine(m_engineErrorTail);
    const QString why = lastLine.isEmpty() ? detail : detail + QStringLiteral(": ") + lastLine;
    const QList<int> held = m_jobs.keys();
    // The kernel kills the engine's renderers for memory, not the engine, which then ends by
    // whatever signal or status: any end while the kernel counted a kill is for memory.
    for (const int id : held)
        conclude(id,
                 outcome == ConversionOutcome::Crashed && killedForMemory(id, killed)
                     ? ConversionOutcome::OutOfMemory
                     : outcome,
                 why);
}

void ConversionLauncher::onFailedToStart(int id)
{
    const auto it = m_jobs.find(id);
    if (it == m_jobs.end())
        return;
    const QString detail = it->process->errorString();
    it->timer->stop();
    it->process->deleteLater();
    it->process = nullptr;
    delete it->timer;
    m_jobs.erase(it);
    // Reported later, so a caller of start() always knows the id before hearing of it.
    QMetaObject::invokeMethod(
        this, [this, id, detail] { emit finished(id, ConversionOutcome::NotStarted, detail); },
        Qt::QueuedConnection);
}

void ConversionLauncher::onTimeout(int id)
{
    const auto it = m_jobs.find(id);
    if (it == m_jobs.end())
        return;
    if (it->process) {
        it->timedOut = true;
        killConverter(it->process);
        return;
    }
    if (it->timedOut) {
        // The engine did not even answer the cancel: it hangs, and goes with what it held.
        killConverter(m_engine);
        return;
    }
    // The engine forgets the page and answers; the other pages it holds go on.
    it->timedOut = true;
    sendToEngine(QJsonDocument(QJsonObject{{QStringLiteral("cancel"), id}})
                     .toJson(QJsonDocument::Compact) + '\n');
    it->timer->start(kEngineCancelGrace);
}

bool ConversionLauncher::killedForMemory(int id, bool withoutCount) const
{
    const qint64 before = m_jobs.value(id).memoryKillsBefore;
    const qint64 now = memoryroom::outOfMemoryKills(m_memorySources);
    if (before < 0 || now < 0)
        return withoutCount;
    return now > before;
}

void ConversionLauncher::onFinished(int id, int exitCode, int exitStatus)
{
    const auto it = m_jobs.find(id);
    if (it == m_jobs.end())
        return;
    it->errorTail += it->process->readAllStandardError();
    it->process->deleteLater();
    it->process = nullptr;
    // A crash's code is the signal that ended it.
    if (exitStatus == QProcess::CrashExit)
        conclude(id,
                 exitCode == kKillSignal && killedForMemory(id, true) ? ConversionOutcome::OutOfMemory
                                                            : ConversionOutcome::Crashed,
                 lastErrorLine(it->errorTail));
    else
        conclude(id, ConversionOutcome::Made, lastErrorLine(it->errorTail));
}

void ConversionLauncher::conclude(int id, ConversionOutcome failure, const QString &detail)
{
    Job job = m_jobs.take(id);
    delete job.timer;

    // What ended the converter comes first; then what it wrote.
    ConversionOutcome outcome = failure;
    if (job.stopped)
        outcome = ConversionOutcome::Stopped;
    else if (job.timedOut)
        outcome = ConversionOutcome::TimedOut;
    else if (outcome == ConversionOutcome::Made)
        switch (checkPdf(job.partialPath)) {
        case PdfCheck::Complete:
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
    QString reason = outcome == ConversionOutcome::Stopped ? QString() : detail;
    if (outcome == ConversionOutcome::Made) {
        reason = putInPlace(job.partialPath, job.pdfPath);
        if (!reason.isEmpty())
            outcome = ConversionOutcome::NotPutInPlace;
    }
    nameFullDisk(outcome, reason, job.pdfPath); // while what it wrote still takes the space
    dropPartial(job.partialPath);
    emit finished(id, outcome, reason);
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
    // qpdf reads and rewrites the whole PDF, which takes a while for a large one. Its own
    // threads: queued in the shared pool, it would hold up the writing of the next pages.
    watcher->setFuture(QtConcurrent::run(finishingPool(),
        [partialPath = job.partialPath, properties = job.properties, abandon] {
            const pdffinishing::Result result =
                properties ? pdffinishing::finishPdf(partialPath, *properties)
                           : pdffinishing::verifyPdf(partialPath);
            const std::lock_guard lock(abandon->mutex);
            abandon->done = true;
            if (abandon->abandoned)
                dropPartial(partialPath);
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
        outcome = result.damaged() ? ConversionOutcome::DamagedPdf
                                 : ConversionOutcome::NotPutInPlace;
        detail = result.problem;
    } else if (const QString error = putInPlace(finishing.partialPath, finishing.pdfPath);
               !error.isEmpty()) {
        outcome = ConversionOutcome::NotPutInPlace;
        detail = error;
    }
    nameFullDisk(outcome, detail, finishing.pdfPath);
    dropPartial(finishing.partialPath);
    emit finished(id, outcome, detail);
}

void ConversionLauncher::stopAll()
{
    // Killed now; each is reported as Stopped, and what it began removed, when it has ended.
    bool onEngine = false;
    for (Job &job : m_jobs) {
        if (job.stopped)
            continue;
        job.stopped = true;
        job.timer->stop();
        if (job.process)
            killConverter(job.process);
        else
            onEngine = true;
    }
    if (onEngine && m_engine)
        killConverter(m_engine);
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
