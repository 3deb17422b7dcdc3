#include "paths.h"

#include <QStorageInfo>

namespace paths {

QString join(const QString &folder, const QString &name)
{
    QString path = folder + kSep + name;
    const QString doubled = kSep + kSep;
    // Left to right until none is left: "a///b" becomes "a/b".
    for (qsizetype at = path.indexOf(doubled); at >= 0; at = path.indexOf(doubled, at))
        path.remove(at, 1);
    return path;
}

bool noSpaceLeft(const QString &folder)
{
    // A write cut short by a full disk fills it to the last block; a megabyte leaves room for
    // what other programs freed meanwhile.
    constexpr qint64 kNextToNothing = 1 << 20;
    const QStorageInfo disk(folder);
    return disk.isValid() && disk.isReady() && disk.bytesAvailable() < kNextToNothing;
}

} // namespace paths
