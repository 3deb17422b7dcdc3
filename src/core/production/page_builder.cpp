#include "page_builder.h"

#include "t_parser.h"

namespace pagebuilder {

namespace {

const QString kBreaks = QStringLiteral("<br><br>");

} // namespace

QString prepareTemplate(const QString &templateText, const QString &adTitle, const QString &ctaText,
                        const QString &ctaUrl)
{
    QString page = tParser::ReplaceText(templateText, QStringLiteral("#ADTITLE#"), adTitle, 0);
    page = tParser::ReplaceText(page, QStringLiteral("#CTATEXT#"), ctaText, 0);
    return tParser::ReplaceText(page, QStringLiteral("#CTAURL#"), ctaUrl, 0);
}

QString articleToHtml(const QString &text)
{
    const QString html = tParser::ReplaceText(text, QStringLiteral("\r\n"), kBreaks, 0);
    return tParser::ReplaceText(html, QStringLiteral("\r"), kBreaks, 0);
}

QString pageTail()
{
    static const char *const addresses[] = {
        "assets/js/jquery.min.js",
        "assets/bootstrap/js/bootstrap.min.js",
        "https://cdnjs.cloudflare.com/ajax/libs/jquery-easing/1.4.1/jquery.easing.min.js",
        "assets/js/stylish-portfolio.js",
    };
    QString tail;
    for (const char *address : addresses)
        tail += QStringLiteral("<script src= ") + QLatin1String(address) +
                QStringLiteral(" ></script>");
    return tail + QStringLiteral("</body></html>");
}

QString singleRunArticlePart(const QStringList &articleHtml)
{
    QString part;
    for (const QString &html : articleHtml)
        part += kBreaks + QStringLiteral("<br>") + html;
    return part;
}

QString composePage(const QString &filledTemplate, const QString &articlePart)
{
    return filledTemplate + articlePart + pageTail();
}

QString singleOutputName(const QString &typedName)
{
    return tParser::ReplaceText(typedName, QStringLiteral(" "), QStringLiteral("-"), 0);
}

QString singlePageFileName(const QString &outputName)
{
    if (sameFileName(outputName, QStringLiteral("template")))
        return QStringLiteral("etemplate.html");
    return outputName + QStringLiteral(".html");
}

QString bulkPageFileName(const QString &cleanName)
{
    const QString name =
        tParser::ReplaceText(cleanName, QStringLiteral(".txt"), QStringLiteral(".html"), 0);
    if (sameFileName(name, QStringLiteral("template.html")))
        return QStringLiteral("e") + name;
    return name;
}

bool sameFileName(const QString &a, const QString &b)
{
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    return a.compare(b, Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}

} // namespace pagebuilder
