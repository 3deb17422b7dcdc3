#include "t_parser.h"

QString tParser::ReplaceText(const QString &text, const QString &find, const QString &replaceWith,
                             int mode)
{
    if (find.isEmpty())
        return text;
    QString result = text;
    result.replace(find, replaceWith, mode == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive);
    return result;
}
