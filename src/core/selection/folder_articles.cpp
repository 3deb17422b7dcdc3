#include "folder_articles.h"

#include "local_names.h"
#include "paths.h"
#include "t_parser.h"

#include <QDir>

#include <algorithm>

namespace folderarticles {

QStringList articleFileNames(const QString &folder)
{
    // Every entry that could be an article is listed, even one that turns out unreadable
    // (a dangling link, a pipe): the run then names it with its reason instead of leaving it
    // out unseen.
    QStringList names = localnames::nonFolderEntries(folder);
    names.removeIf([](const QString &name) {
        return !name.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive);
    });
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
