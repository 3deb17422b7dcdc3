#include "page_builder.h"

#include "t_parser.h"

#include <algorithm>
#include <string_view>

namespace pagebuilder {

namespace {

const QString kBreaks = QStringLiteral("<br><br>");

// The elements of HTML (with the foreign roots svg and math), and the old presentational ones
// hand-written articles still use.
constexpr std::string_view kElements[] = {
    "a",        "abbr",     "address", "area",     "article",    "aside",   "audio",    "b",
    "base",     "bdi",      "bdo",     "big",      "blockquote", "body",    "br",       "button",
    "canvas",   "caption",  "center",  "cite",     "code",       "col",     "colgroup", "data",
    "datalist", "dd",       "del",     "details",  "dfn",        "dialog",  "div",      "dl",
    "dt",       "em",       "embed",   "fieldset", "figcaption", "figure",  "font",     "footer",
    "form",     "h1",       "h2",      "h3",       "h4",         "h5",      "h6",       "head",
    "header",   "hgroup",   "hr",      "html",     "i",          "iframe",  "img",      "input",
    "ins",      "kbd",      "label",   "legend",   "li",         "link",    "main",     "map",
    "mark",     "math",     "menu",    "meta",     "meter",      "nav",     "noscript", "object",
    "ol",       "optgroup", "option",  "output",   "p",          "picture", "pre",      "progress",
    "q",        "rp",       "rt",      "ruby",     "s",          "samp",    "script",   "search",
    "section",  "select",   "slot",    "small",    "source",     "span",    "strike",   "strong",
    "style",    "sub",      "summary", "sup",      "svg",        "table",   "tbody",    "td",
    "template", "textarea", "tfoot",   "th",       "thead",      "time",    "title",    "tr",
    "track",    "tt",       "u",       "ul",       "var",        "video",   "wbr",
};
constexpr qsizetype kLongestElement = 10; // "blockquote", "figcaption"

bool isAsciiLetterOrDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
}

bool isElementName(QStringView name)
{
    char lower[kLongestElement];
    for (qsizetype i = 0; i < name.size(); ++i)
        lower[i] = char(name[i].toLower().unicode());
    const std::string_view candidate(lower, size_t(name.size()));
    return std::find(std::begin(kElements), std::end(kElements), candidate) != std::end(kElements);
}

// Whether the "<" at text[at] begins a tag or a comment. It looks no further than the end of
// a tag name and the character after it, none of which can be a place where a text is cut.
bool beginsMarkup(QStringView text, qsizetype at)
{
    QStringView rest = text.sliced(at + 1);
    if (rest.startsWith(u"!--"))
        return true;
    if (rest.startsWith(u'/'))
        rest = rest.sliced(1);
    qsizetype end = 0;
    while (end < rest.size() && end <= kLongestElement && isAsciiLetterOrDigit(rest[end]))
        ++end;
    if (end == 0 || end > kLongestElement || end == rest.size())
        return false;
    const char16_t after = rest[end].unicode();
    const bool nameEnds = after == u' ' || after == u'\t' || after == u'\n' || after == u'\r' ||
                          after == u'\f' || after == u'/' || after == u'>';
    return nameEnds && isElementName(rest.first(end));
}

enum class LineEnds { Keep, Break };

QString toHtml(QStringView text, LineEnds lineEnds)
{
    QString html;
    html.reserve(text.size() + text.size() / 16);
    const qsizetype n = text.size();
    qsizetype plainFrom = 0;
    auto replace = [&](qsizetype from, qsizetype length, QStringView by) {
        html += text.sliced(plainFrom, from - plainFrom);
        html += by;
        plainFrom = from + length;
    };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'<') {
            if (!beginsMarkup(text, i))
                replace(i, 1, u"&lt;");
        } else if (lineEnds == LineEnds::Break && (c == u'\r' || c == u'\n')) {
            const bool crLf = c == u'\r' && i + 1 < n && text[i + 1] == u'\n';
            replace(i, crLf ? 2 : 1, kBreaks);
            if (crLf)
                ++i;
        }
    }
    html += text.sliced(plainFrom);
    return html;
}

} // namespace

QString prepareTemplate(const QString &templateText, const QString &adTitle, const QString &ctaText,
                        const QString &ctaUrl)
{
    QString page =
        tParser::ReplaceText(templateText, QStringLiteral("#ADTITLE#"), markupText(adTitle), 0);
    page = tParser::ReplaceText(page, QStringLiteral("#CTATEXT#"), markupText(ctaText), 0);
    return tParser::ReplaceText(page, QStringLiteral("#CTAURL#"), addressForAttribute(ctaUrl), 0);
}

QString markupText(QStringView text)
{
    return toHtml(text, LineEnds::Keep);
}

QString articleToHtml(QStringView text)
{
    return toHtml(text, LineEnds::Break);
}

QString addressForAttribute(QStringView address)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    QString encoded;
    encoded.reserve(address.size());
    for (const QChar c : address) {
        const char16_t u = c.unicode();
        if (u == u'"' || u == u'<' || u == u'>' || u <= 0x20 || u == 0x7F) {
            encoded += u'%';
            encoded += QLatin1Char(kHex[u >> 4]);
            encoded += QLatin1Char(kHex[u & 0xF]);
        } else {
            encoded += c;
        }
    }
    return encoded;
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

} // namespace pagebuilder
