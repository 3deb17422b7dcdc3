#pragma once

#include <QDir>
#include <QString>

namespace paths {

// The native separator, as a string to join with.
inline const QString kSep = QDir::separator();

// folder + the native separator + name, every doubled separator collapsed to one, so a drive
// root ("/" or "C:\") and a folder given with a trailing separator join alike.
QString join(const QString &folder, const QString &name);

// Whether the disk that holds folder is full, or as good as full: a write that failed there
// failed for want of space.
bool noSpaceLeft(const QString &folder);

} // namespace paths
