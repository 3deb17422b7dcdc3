#include "keyword_combinations.h"

#include "t_parser.h"

QStringList combineKeywords(const QStringList &patterns, const QStringList &keywords)
{
    const QString placeholder = QStringLiteral("#KEYWORD#");
    QStringList names;
    names.reserve(patterns.size() * keywords.size());
    for (const QString &pattern : patterns)
        for (const QString &keyword : keywords)
            names.append(tParser::ReplaceText(pattern, placeholder, keyword, 0));
    return names;
}
