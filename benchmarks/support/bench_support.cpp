#include "bench_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench {

void copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    for (const QFileInfo &entry :
         QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (entry.isDir())
            copyTree(entry.filePath(), to + u'/' + entry.fileName());
        else
            QFile::copy(entry.filePath(), to + u'/' + entry.fileName());
    }
}

double residentMegabytes(qint64 pid, const char *field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

double treeMegabytes(qint64 root)
{
    QHash<qint64, qint64> parentOf;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            parentOf.insert(pid, fields.at(1).toLongLong());
    }
    double total = 0;
    for (auto it = parentOf.cbegin(); it != parentOf.cend(); ++it) {
        qint64 pid = it.key();
        for (int depth = 0; depth < 16 && pid > 1 && pid != root; ++depth)
            pid = parentOf.value(pid, 0);
        if (pid == root)
            total += residentMegabytes(it.key());
    }
    return total;
}

MemorySampler::MemorySampler()
{
    m_timer.setInterval(50);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { sample(); });
}

void MemorySampler::start(qint64 root)
{
    m_root = root;
    m_peak = 0;
    m_timer.start();
}

double MemorySampler::stop()
{
    sample();
    m_timer.stop();
    return m_peak;
}

void MemorySampler::sample()
{
    m_peak = std::max(m_peak, treeMegabytes(m_root));
}

namespace {

double cpuOfChildren()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void redirect(const QString &file, int fd)
{
    const QByteArray name = file.isEmpty() ? QByteArray("/dev/null") : QFile::encodeName(file);
    const int opened = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (opened >= 0) {
        ::dup2(opened, fd);
        ::close(opened);
    }
}

} // namespace

Measured runMeasured(const QString &program, const QStringList &arguments,
                     const QString &workingFolder, const QString &stdoutFile,
                     const QString &stderrFile)
{
    // Orphans come to us, so their times reach our children's account when we reap them.
    static const bool reaper = ::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;
    Q_UNUSED(reaper);
    const qint64 self = QCoreApplication::applicationPid();
    const double ownMegabytes = residentMegabytes(self);
    QList<QByteArray> words{QFile::encodeName(program)};
    for (const QString &argument : arguments)
        words << argument.toLocal8Bit();
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const QByteArray folder = QFile::encodeName(workingFolder);

    const double cpuBefore = cpuOfChildren();
    QElapsedTimer timer;
    timer.start();
    const pid_t child = ::fork();
    if (child == 0) {
        if (!folder.isEmpty() && ::chdir(folder.constData()) != 0)
            ::_exit(126);
        redirect(stdoutFile, 1);
        redirect(stderrFile, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    Measured measured;
    if (child < 0)
        return measured;
    bool childEnded = false;
    qint64 nextSample = 0;
    QElapsedTimer afterEnd;
    for (;;) {
        int status = 0;
        const pid_t ended = ::waitpid(-1, &status, WNOHANG);
        if (ended == child) {
            childEnded = true;
            measured.seconds = timer.nsecsElapsed() / 1e9;
            measured.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            afterEnd.start();
        }
        if (ended > 0)
            continue;
        if (ended < 0 && errno == ECHILD)
            break;
        // Helpers that outlive the command by far are not waited for.
        if (childEnded && afterEnd.elapsed() > 15000)
            break;
        if (timer.elapsed() >= nextSample) {
            measured.peakMegabytes =
                std::max(measured.peakMegabytes, treeMegabytes(self) - ownMegabytes);
            nextSample = timer.elapsed() + 50;
        }
        ::usleep(2000);
    }
    measured.cpuSeconds = cpuOfChildren() - cpuBefore;
    return measured;
}

} // namespace bench
