#pragma once

// What the benchmarks share: the memory of a whole process tree, and commands measured with
// everything they start.

#include <QString>
#include <QStringList>
#include <QTimer>

namespace bench {

void copyTree(const QString &from, const QString &to);

// Resident memory in MB of a process, from /proc; 0 when it is gone.
double residentMegabytes(qint64 pid, const char *field = "VmRSS:");

// The RSS of root and of every process below it.
double treeMegabytes(qint64 root);

// Samples the memory of a process tree while the event loop runs.
class MemorySampler
{
public:
    MemorySampler();
    void start(qint64 root);
    double stop();

private:
    void sample();

    QTimer m_timer;
    qint64 m_root = 0;
    double m_peak = 0;
};

struct Measured
{
    bool ok = false;      // started, and exited with status 0
    double seconds = 0;   // until the command itself exited
    double cpuSeconds = 0; // user + system of the command and of everything it started
    double peakMegabytes = 0; // the largest sum of RSS over the tree, sampled every 50 ms
};

// Runs a command to its end without an event loop, with this process as the reaper of every
// process it leaves behind, so that the CPU time of all of them is counted (an engine's
// helpers included, which end after the command). Standard output goes to stdoutFile (or
// nowhere), standard error to stderrFile (or nowhere).
Measured runMeasured(const QString &program, const QStringList &arguments,
                     const QString &workingFolder = QString(),
                     const QString &stdoutFile = QString(), const QString &stderrFile = QString());

} // namespace bench
