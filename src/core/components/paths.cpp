#include "paths.h"

#include <QDir>

namespace paths {

QString join(const QString &folder, const QString &name)
{
    const QString sep = QDir::separator();
    QString path = folder + sep + name;
    const QString doubled = sep + sep;
    // Left to right until none is left: "a///b" becomes "a/b".
    for (qsizetype at = path.indexOf(doubled); at >= 0; at = path.indexOf(doubled, at))
        path.remove(at, 1);
    return path;
}

} // namespace paths
