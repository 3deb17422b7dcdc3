#include "safe_file_name.h"

#include <QStringList>

namespace safename {

namespace {

bool forbidden(QChar c)
{
    if (c == u'/' || c == u'\\' || c.unicode() < 32 || c.unicode() == 127)
        return true;
#ifdef Q_OS_WIN
    static const QString reserved = QStringLiteral("<>:\"|?*");
    if (reserved.contains(c))
        return true;
#endif
    return false;
}

} // namespace

QString forbiddenCharacters(const QString &name)
{
    QString found;
    for (const QChar c : name) {
        if (forbidden(c) && !found.contains(c))
            found += c;
    }
    return found;
}

bool isSafe(const QString &name)
{
    return name != u"." && name != u".." && forbiddenCharacters(name).isEmpty();
}

QString replaceForbidden(const QString &name, QChar replacement)
{
    QString out = name;
    for (QChar &c : out) {
        if (forbidden(c))
            c = replacement;
    }
    return out;
}

QString describe(const QString &characters)
{
    QStringList parts;
    for (const QChar c : characters) {
        if (c.unicode() < 32 || c.unicode() == 127)
            parts << QStringLiteral("(control character %1)").arg(c.unicode());
        else
            parts << QString(c);
    }
    return parts.join(u' ');
}

} // namespace safename
