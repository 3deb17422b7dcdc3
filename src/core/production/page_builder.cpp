#include "page_builder.h"

#include "markup_safety.h"
#include "t_parser.h"

#include <QList>

#include <algorithm>
#include <string>
#include <string_view>

namespace pagebuilder {

namespace {

const QString kBreaks = QStringLiteral("<br><br>");
const QString kRightToLeftStart = QStringLiteral("<div dir=\"rtl\" style=\"text-align: right\">");
const QString kRightToLeftEnd = QStringLiteral("</div>");

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

// Elements that run or fetch something: articles are often written by others, so these stay
// text wherever they appear. So do those whose content a browser reads as plain text up to
// their end tag (textarea, title, noscript): read here as markup, "<p title='</textarea><img
// ...>'>" would hide a tag that a browser finds. (xmp, plaintext, noembed and noframes are
// not in the list of elements at all.)
constexpr std::string_view kUntrusted[] = {"script", "style", "iframe",   "frame", "object",
                                           "embed",  "link",  "meta",     "base",  "form",
                                           "title",  "textarea", "noscript"};

bool isAsciiLetterOrDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
}

bool isHtmlSpace(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\n' || u == u'\r' || u == u'\f';
}

template <size_t N> bool isOneOf(QStringView name, const std::string_view (&names)[N])
{
    std::string lower;
    lower.reserve(size_t(name.size()));
    for (const QChar c : name) {
        if (c.unicode() > 0x7F)
            return false;
        lower += char(QChar::toLower(c.unicode()));
    }
    return std::find(std::begin(names), std::end(names), lower) != std::end(names);
}

// Whether the "<" at text[at] begins a tag of a known element: "<" or "</", its name in any
// case, then white space, "/" or ">". Returns where the name ends, or -1.
qsizetype tagNameEnd(QStringView text, qsizetype at)
{
    qsizetype start = at + 1;
    if (start < text.size() && text[start] == u'/')
        ++start;
    qsizetype end = start;
    while (end < text.size() && end - start <= kLongestElement && isAsciiLetterOrDigit(text[end]))
        ++end;
    if (end == start || end - start > kLongestElement || end == text.size())
        return -1;
    const QChar after = text[end];
    if (!isHtmlSpace(after) && after != u'/' && after != u'>')
        return -1;
    return isOneOf(text.sliced(start, end - start), kElements) ? end : -1;
}

struct Attribute
{
    qsizetype from = 0, to = 0; // the whole attribute, name to end of value
    QStringView name;
    QStringView value;
};

// Reads the attributes of a tag as a browser does, from just after its name. Returns where the
// tag ends (after its ">"), or -1 when the text ends first.
qsizetype readAttributes(QStringView text, qsizetype i, QList<Attribute> &attributes)
{
    const qsizetype n = text.size();
    for (;;) {
        while (i < n && (isHtmlSpace(text[i]) || text[i] == u'/'))
            ++i;
        if (i >= n)
            return -1;
        if (text[i] == u'>')
            return i + 1;
        Attribute attribute;
        attribute.from = i;
        ++i; // even "=" may start a name
        while (i < n && !isHtmlSpace(text[i]) && text[i] != u'/' && text[i] != u'>' &&
               text[i] != u'=')
            ++i;
        attribute.name = text.sliced(attribute.from, i - attribute.from);
        attribute.to = i;
        qsizetype j = i;
        while (j < n && isHtmlSpace(text[j]))
            ++j;
        if (j < n && text[j] == u'=') {
            ++j;
            while (j < n && isHtmlSpace(text[j]))
                ++j;
            if (j >= n)
                return -1;
            const QChar quote = text[j];
            if (quote == u'"' || quote == u'\'') {
                const qsizetype close = text.indexOf(quote, j + 1);
                if (close < 0)
                    return -1;
                attribute.value = text.sliced(j + 1, close - j - 1);
                i = close + 1;
            } else {
                qsizetype k = j;
                while (k < n && !isHtmlSpace(text[k]) && text[k] != u'>')
                    ++k;
                attribute.value = text.sliced(j, k - j);
                i = k;
            }
            attribute.to = i;
        }
        attributes << attribute;
    }
}

// Where the comment that begins at text[at] ("<!--") ends, after its "-->" or "--!>", read
// the way that ends it soonest ("<!-->" is a whole comment); -1 when it never ends.
qsizetype commentEnd(QStringView text, qsizetype at)
{
    const QStringView rest = text.sliced(at + 2);
    const qsizetype close = rest.indexOf(u"-->");
    const qsizetype bang = rest.indexOf(u"--!>");
    if (close < 0 && bang < 0)
        return -1;
    if (bang < 0 || (close >= 0 && close < bang))
        return at + 2 + close + 3;
    return at + 2 + bang + 4;
}

// Old WebKit misplaces a right-aligned Arabic line that holds digits or Latin letters: it
// measures the line right when each such run is an element of its own.
bool setApart(QChar c)
{
    const QChar::Direction d = c.direction();
    return d == QChar::DirL || d == QChar::DirEN || d == QChar::DirAN;
}

void appendRightToLeftText(QString &html, QStringView text)
{
    const auto leftToRight = [&text](qsizetype at) { return setApart(text[at]); };
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size();) {
        if (!leftToRight(i)) {
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < text.size() && leftToRight(end))
            ++end;
        html += text.sliced(from, i - from);
        html += u"<span>";
        html += text.sliced(i, end - i);
        html += u"</span>";
        from = i = end;
    }
    html += text.sliced(from);
}

} // namespace

HtmlWriter::HtmlWriter(QStringView text, bool breakLines)
    : m_text(text), m_breakLines(breakLines),
      m_rightToLeft(breakLines && startsRightToLeft(text)), m_lastTagEnd(text.lastIndexOf(u'>')),
      m_lastCommentEnd(std::max(text.lastIndexOf(u"-->"), text.lastIndexOf(u"--!>")))
{
}

QString HtmlWriter::next(qsizetype limit)
{
    const QStringView text = m_text;
    const qsizetype n = text.size();
    qsizetype stop = std::min(n, m_pos + std::max<qsizetype>(1, limit));
    // A run set apart stays in one span.
    while (m_rightToLeft && stop < n && setApart(text[stop - 1]) && setApart(text[stop]))
        ++stop;
    QString html;
    html.reserve(stop - m_pos + (stop - m_pos) / 16);
    if (m_rightToLeft && m_pos == 0)
        html += kRightToLeftStart;
    qsizetype plainFrom = m_pos;
    const auto flushTo = [&](qsizetype to) {
        if (m_rightToLeft)
            appendRightToLeftText(html, text.sliced(plainFrom, to - plainFrom));
        else
            html += text.sliced(plainFrom, to - plainFrom);
    };
    qsizetype i = m_pos;
    while (i < stop) {
        if (m_commentEnd > i) {
            // Inside a comment every "<" is text too: no reader can end the comment sooner
            // and find markup there.
            const qsizetype to = std::min(m_commentEnd, stop);
            for (; i < to; ++i)
                if (text[i] == u'<') {
                    flushTo(i);
                    html += u"&lt;";
                    plainFrom = i + 1;
                }
            continue;
        }
        const QChar c = text[i];
        if (c == u'<') {
            if (i > m_lastTagEnd) {
                // no tag nor comment ends after here
            } else if (text.sliced(i + 1).startsWith(u"!--")) {
                const qsizetype end = i + 2 <= m_lastCommentEnd ? commentEnd(text, i) : -1;
                if (end >= 0) {
                    m_commentEnd = end;
                    i += 4; // "<!--" itself is markup
                    continue;
                }
            } else if (const qsizetype nameEnd = tagNameEnd(text, i); nameEnd >= 0) {
                const qsizetype nameStart = i + 1 + (text[i + 1] == u'/' ? 1 : 0);
                QList<Attribute> attributes;
                const qsizetype end = readAttributes(text, nameEnd, attributes);
                const QStringView element = text.sliced(nameStart, nameEnd - nameStart);
                if (end >= 0 && !isOneOf(element, kUntrusted)) {
                    flushTo(i);
                    const auto mayStay = [element](const Attribute &attribute) {
                        return markupsafety::attributeMayStay(element, attribute.name,
                                                              attribute.value);
                    };
                    if (std::all_of(attributes.cbegin(), attributes.cend(), mayStay)) {
                        html += text.sliced(i, end - i);
                    } else {
                        html += text.sliced(i, nameEnd - i);
                        for (const Attribute &attribute : std::as_const(attributes))
                            if (mayStay(attribute)) {
                                html += u' ';
                                html += text.sliced(attribute.from, attribute.to - attribute.from);
                            }
                        const qsizetype tail =
                            attributes.isEmpty() ? nameEnd : attributes.last().to;
                        html += text.sliced(tail, end - tail);
                    }
                    plainFrom = end;
                    i = end;
                    continue;
                }
            }
            flushTo(i);
            html += u"&lt;";
            plainFrom = ++i;
        } else if (m_breakLines && (c == u'\r' || c == u'\n')) {
            const bool crLf = c == u'\r' && i + 1 < n && text[i + 1] == u'\n';
            flushTo(i);
            html += kBreaks;
            i += crLf ? 2 : 1;
            plainFrom = i;
        } else {
            ++i;
        }
    }
    flushTo(i);
    m_pos = i;
    if (m_rightToLeft && atEnd())
        html += kRightToLeftEnd;
    return html;
}

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
    HtmlWriter writer(text, false);
    return writer.next(text.size());
}

QString articleToHtml(QStringView text)
{
    HtmlWriter writer(text, true);
    return writer.next(text.size());
}

bool startsRightToLeft(QStringView text)
{
    // Far enough for any heading of digits and punctuation.
    const qsizetype n = std::min<qsizetype>(text.size(), 64 * 1024);
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'<') {
            // A tag's name and attributes are no text of the article.
            if (const qsizetype end = text.indexOf(u'>', i); end >= 0 && tagNameEnd(text, i) >= 0) {
                i = end;
                continue;
            }
        }
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate())
            code = QChar::surrogateToUcs4(c, text[++i]);
        switch (QChar::direction(code)) {
        case QChar::DirL:
            return false;
        case QChar::DirR:
        case QChar::DirAL:
            return true;
        default:
            break;
        }
    }
    return false;
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
