#pragma once

#include <QString>

// What a run leaves while it works, told to a small watcher process of ours that outlives the
// program: should the program end without cleaning up (a second Ctrl-C, kill -9, a crash),
// the watcher kills each process group still listed and removes each file still listed. The
// parent-death signal ends a converter, but not the processes the converter started; nothing
// of ours runs after kill -9. Safe to call from any thread; without the watcher (it could not
// be started, or not on this system) every call does nothing.
namespace leftovers {

void addGroup(qint64 groupId);
void removeGroup(qint64 groupId);
void addFile(const QString &path);
void removeFile(const QString &path);

} // namespace leftovers
