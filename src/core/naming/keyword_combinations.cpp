#include "keyword_combinations.h"

#include "t_parser.h"

#include <QRegularExpression>

namespace {
const QString kPlaceholder = QStringLiteral("#KEYWORD#");
}

QStringList combineKeywords(const QStringList &patterns, const QStringList &keywords)
{
    const QString &placeholder = kPlaceholder;
    QStringList names;
    names.reserve(patterns.size() * keywords.size());
    for (const QString &pattern : patterns)
        for (const QString &keyword : keywords)
            names.append(tParser::ReplaceText(pattern, placeholder, keyword, 0));
    return names;
}

QString keywordOfName(const QString &name, const QStringList &patterns)
{
    QString keyword;
    qsizetype bestFixed = -1;
    for (const QString &pattern : patterns) {
        const QStringList parts = pattern.split(kPlaceholder);
        if (parts.size() < 2)
            continue; // no keyword in it
        // The same keyword wherever the placeholder stands.
        QString expression = u'^' + QRegularExpression::escape(parts.first())
                             + QStringLiteral("(.+)");
        for (qsizetype i = 1; i < parts.size(); ++i)
            expression += (i > 1 ? QStringLiteral("\\1") : QString())
                          + QRegularExpression::escape(parts.at(i));
        const auto match = QRegularExpression(expression + u'$').match(name);
        const qsizetype fixed = pattern.size() - (parts.size() - 1) * kPlaceholder.size();
        if (match.hasMatch() && fixed > bestFixed) {
            bestFixed = fixed;
            keyword = match.captured(1);
        }
    }
    return keyword;
}
