#include "paths.h"

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

} // namespace paths
