#include "mod_general.h"

#include <QDir>
#include <QFileInfo>

namespace modGeneral {

bool FileOrFolderExists(const QString &sPath, bool bIsFolder)
{
    if (sPath.isEmpty())
        return false;
    const QFileInfo info(sPath);
    const QString pattern = info.fileName();
    QDir::Filters filters = QDir::Files | QDir::Hidden | QDir::System;
    if (bIsFolder)
        filters |= QDir::Dirs | QDir::NoDotAndDotDot;
    if (pattern.isEmpty()) // a path ending in a separator names the folder itself
        return bIsFolder && QFileInfo(sPath).isDir();
    if (!pattern.contains(u'*') && !pattern.contains(u'?')) {
        if (!info.exists())
            return false;
        return bIsFolder || !info.isDir();
    }
    const QDir parent = info.dir();
    return !parent.entryList({pattern}, filters).isEmpty();
}

QString ReplaceAll(const QString &text, const QString &find, const QString &replacement,
                   const int &mode)
{
    if (find.isEmpty())
        return text;
    const Qt::CaseSensitivity cs = mode == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const qsizetype findLength = find.size();
    QString result;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(find, from, cs);
        if (at < 0)
            break;
        result += QStringView(text).mid(from, at - from);
        result += replacement;
        from = at + findLength;
    }
    result += QStringView(text).mid(from);
    return result;
}

} // namespace modGeneral
