#include "folder_articles.h"

#include "paths.h"

#include "t_parser.h"

#include <QDir>

#include <algorithm>

namespace folderarticles {

QStringList articleFileNames(const QString &folder)
{
    QStringList names =
        QDir(folder).entryList({QStringLiteral("*.txt")}, QDir::Files | QDir::System, QDir::Unsorted);
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

QString articlePath(const QString &folder, const QString &fileName)
{
    return paths::join(folder, fileName);
}

QStringList articlePathsIn(const QString &folder)
{
    QStringList paths;
    for (const QString &name : articleFileNames(folder))
        paths << articlePath(folder, name);
    return paths;
}

} // namespace folderarticles
