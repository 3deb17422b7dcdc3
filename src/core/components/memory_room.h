#pragma once

#include <QString>

// How much memory the program may still take. The system's available memory is not the
// whole answer: a control group (a systemd slice, a container) may allow far less, and past
// its limit the kernel kills the largest process in it, a converter.
namespace memoryroom {

// The files the answer is read from; tests point them at files of their own.
struct Sources
{
    QString meminfo = QStringLiteral("/proc/meminfo");
    QString ownGroups = QStringLiteral("/proc/self/cgroup");
    QString groupRoot = QStringLiteral("/sys/fs/cgroup");
    QString vmstat = QStringLiteral("/proc/vmstat");
};

// In MB: the smaller of the system's available memory and the room left in the program's
// control group and in each group above it (cgroup v2, or the memory controller of v1), page
// cache that can be dropped counted as room; -1 when nothing is known.
qint64 availableMegabytes(const Sources &sources = {});

// How many processes the kernel has killed for lack of memory since it started, system-wide
// (control-group limits included); -1 where the kernel does not say.
qint64 outOfMemoryKills(const Sources &sources = {});

} // namespace memoryroom
