#include "markup_safety.h"

#include <QString>

#include <algorithm>
#include <string>
#include <string_view>

namespace markupsafety {

namespace {

// Attributes whose value is an address a converter loads while it lays the page out (or, to
// be safe, might). Link addresses (href of a and area) are followed only when a reader clicks.
constexpr std::string_view kLoadedAddresses[] = {
    "src",     "srcset",   "imagesrcset", "lowsrc",    "dynsrc", "background",
    "poster",  "data",     "codebase",    "archive",   "classid", "manifest",
    "profile", "icon",     "longdesc",    "cite",      "action", "formaction",
    "ping",    "usemap",   "xml:base",    "xlink:href", "href",  "attributionsrc"};

constexpr std::string_view kLinkElements[] = {"a", "area"};
constexpr std::string_view kLinkAddresses[] = {"href", "xlink:href"};

// Ways CSS loads something other than through url(), whose addresses are not checked one by
// one: any of them drops the attribute.
constexpr std::string_view kCssLoaders[] = {"image-set(", "image(",   "src(",     "@import",
                                            "expression(", "-binding", "behavior", "cross-fade("};

// Every named character reference that stands for ASCII: the only ones that can make an
// address or CSS mean something else.
struct NamedReference
{
    std::string_view name;
    std::string_view text;
};
constexpr NamedReference kAsciiReferences[] = {
    {"Tab", "\t"},      {"NewLine", "\n"},  {"excl", "!"},      {"quot", "\""},
    {"QUOT", "\""},     {"num", "#"},       {"dollar", "$"},    {"percnt", "%"},
    {"amp", "&"},       {"AMP", "&"},       {"apos", "'"},      {"lpar", "("},
    {"rpar", ")"},      {"ast", "*"},       {"midast", "*"},    {"plus", "+"},
    {"comma", ","},     {"period", "."},    {"sol", "/"},       {"colon", ":"},
    {"semi", ";"},      {"lt", "<"},        {"LT", "<"},        {"equals", "="},
    {"gt", ">"},        {"GT", ">"},        {"quest", "?"},     {"commat", "@"},
    {"lsqb", "["},      {"lbrack", "["},    {"bsol", "\\"},     {"rsqb", "]"},
    {"rbrack", "]"},    {"Hat", "^"},       {"lowbar", "_"},    {"UnderBar", "_"},
    {"grave", "`"},     {"DiacriticalGrave", "`"},              {"lcub", "{"},
    {"lbrace", "{"},    {"verbar", "|"},    {"vert", "|"},      {"VerticalLine", "|"},
    {"rcub", "}"},      {"rbrace", "}"},    {"fjlig", "fj"},
};

bool isAsciiAlnum(char16_t u)
{
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
}

bool isHexDigit(char16_t u)
{
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

bool isDecimalDigit(char16_t u)
{
    return u >= u'0' && u <= u'9';
}

char32_t digitValue(char16_t hexDigit)
{
    return hexDigit <= u'9' ? hexDigit - u'0' : (hexDigit | 0x20) - u'a' + 10;
}

std::string asciiLower(QStringView name)
{
    std::string lower;
    lower.reserve(size_t(name.size()));
    for (const QChar c : name) {
        if (c.unicode() > 0x7F)
            return {};
        lower += char(QChar::toLower(c.unicode()));
    }
    return lower;
}

template <size_t N> bool isOneOf(QStringView name, const std::string_view (&names)[N])
{
    const std::string lower = asciiLower(name);
    return !lower.empty() && std::find(std::begin(names), std::end(names), lower) != std::end(names);
}

void appendCodePoint(QString &out, char32_t code)
{
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        code = 0xFFFD;
    out += QStringView(QChar::fromUcs4(code));
}

// The value with its character references decoded as a browser decodes them. A named one that
// stands for no ASCII character is left out; unknownNames tells whether there was one.
QString decodeReferences(QStringView value, bool *unknownNames = nullptr)
{
    QString out;
    out.reserve(value.size());
    const qsizetype n = value.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (value[i] != u'&' || i + 1 >= n) {
            out += value[i];
            continue;
        }
        qsizetype j = i + 1;
        if (value[j] == u'#') {
            const bool hex = j + 1 < n && (value[j + 1] == u'x' || value[j + 1] == u'X');
            j += hex ? 2 : 1;
            const qsizetype digits = j;
            char32_t code = 0;
            while (j < n && (hex ? isHexDigit(value[j].unicode()) : isDecimalDigit(value[j].unicode()))) {
                code = std::min<char32_t>(0x110000, code * (hex ? 16 : 10) + digitValue(value[j].unicode()));
                ++j;
            }
            if (j == digits) { // "&#" without digits is text
                out += u'&';
                continue;
            }
            appendCodePoint(out, code);
        } else if (isAsciiAlnum(value[j].unicode())) {
            while (j < n && isAsciiAlnum(value[j].unicode()))
                ++j;
            const QStringView name = value.sliced(i + 1, j - i - 1);
            const auto known = std::find_if(std::begin(kAsciiReferences), std::end(kAsciiReferences),
                                            [&](const NamedReference &ref) {
                                                return name == QLatin1StringView(ref.name.data(),
                                                                                 qsizetype(ref.name.size()));
                                            });
            if (known != std::end(kAsciiReferences))
                out += QLatin1StringView(known->text.data(), qsizetype(known->text.size()));
            else if (unknownNames)
                *unknownNames = true;
        } else {
            out += u'&';
            continue;
        }
        if (j < n && value[j] == u';')
            ++j;
        i = j - 1;
    }
    return out;
}

// An address already decoded, checked as isLocalAddress says.
bool isLocal(QStringView decoded)
{
    // Browsers drop blanks and control characters around an address and tabs and line ends
    // inside it; dropping every one can only make more of it look like a way out.
    QString address;
    for (const QChar c : decoded)
        if (c.unicode() > 0x20)
            address += c;
    if (address.startsWith(u'/') || address.contains(u'\\') || address.contains(u':')
        || address.contains(u".."))
        return false;
    // Encoded dots and separators, which a file address may decode into a way up.
    for (const char16_t *encoded : {u"%2e", u"%2f", u"%5c"})
        if (address.contains(QStringView(encoded), Qt::CaseInsensitive))
            return false;
    return true;
}

// Every address of a srcset; its descriptors ("2x", "100w") read as harmless names, and a
// comma inside an address splits it, so nothing is let through that a browser reads otherwise.
bool isLocalSourceSet(QStringView decoded)
{
    qsizetype from = 0;
    for (qsizetype i = 0; i <= decoded.size(); ++i) {
        const bool end = i == decoded.size();
        if (end || decoded[i].unicode() <= 0x20 || decoded[i] == u',') {
            if (!isLocal(decoded.sliced(from, i - from)))
                return false;
            from = i + 1;
        }
    }
    return true;
}

// CSS as a browser reads it: escapes undone, comments gone, then every blank dropped and small
// letters, so "U\52L (" and "ur/**/l(" are found as "url(" (a reading that finds more than a
// browser does only drops more).
QString cssAsRead(QStringView css)
{
    QString out;
    const qsizetype n = css.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = css[i].unicode();
        if (u == u'\\') {
            if (i + 1 >= n)
                break;
            const char16_t next = css[i + 1].unicode();
            if (isHexDigit(next)) {
                qsizetype j = i + 1;
                char32_t code = 0;
                while (j < n && j < i + 7 && isHexDigit(css[j].unicode())) {
                    code = code * 16 + digitValue(css[j].unicode());
                    ++j;
                }
                if (j < n && css[j] == u'\r' && j + 1 < n && css[j + 1] == u'\n')
                    ++j;
                else if (j < n && (css[j] == u' ' || css[j] == u'\t' || css[j] == u'\n'
                                   || css[j] == u'\r' || css[j] == u'\f'))
                    ; // the one blank that ends the escape
                else
                    --j;
                QString decoded;
                appendCodePoint(decoded, code);
                out += decoded.toLower();
                i = j;
            } else {
                if (next != u'\n' && next != u'\r' && next != u'\f')
                    out += QChar(next).toLower();
                ++i;
            }
        } else if (u == u'/' && i + 1 < n && css[i + 1] == u'*') {
            const qsizetype close = css.indexOf(u"*/", i + 2);
            if (close < 0)
                break;
            i = close + 1;
        } else if (u > 0x20) {
            out += QChar(u).toLower();
        }
    }
    return out;
}

// Whether CSS (or any value a converter might read as CSS, such as fill="url(...)") loads
// something from outside the page's folder.
bool cssLoadsFromOutside(QStringView decoded)
{
    const QString css = cssAsRead(decoded);
    for (const std::string_view loader : kCssLoaders)
        if (css.contains(QLatin1StringView(loader.data(), qsizetype(loader.size()))))
            return true;
    for (qsizetype at = css.indexOf(u"url("); at >= 0; at = css.indexOf(u"url(", at + 4)) {
        qsizetype from = at + 4;
        qsizetype to = -1;
        if (from < css.size() && (css[from] == u'"' || css[from] == u'\'')) {
            to = css.indexOf(css[from], from + 1);
            ++from;
        } else {
            to = css.indexOf(u')', from);
        }
        if (to < 0)
            to = css.size();
        if (!isLocal(QStringView(css).sliced(from, to - from)))
            return true;
    }
    return false;
}

bool runsScript(QStringView decoded)
{
    QString address;
    for (const QChar c : decoded)
        if (c.unicode() > 0x20)
            address += c.toLower();
    return address.startsWith(u"javascript:") || address.startsWith(u"vbscript:");
}

} // namespace

bool isLocalAddress(QStringView value)
{
    bool unknownNames = false;
    const QString decoded = decodeReferences(value, &unknownNames);
    return !unknownNames && isLocal(decoded);
}

bool attributeMayStay(QStringView element, QStringView name, QStringView value)
{
    if (name.startsWith(u"on", Qt::CaseInsensitive))
        return false;
    if (isOneOf(element, kLinkElements) && isOneOf(name, kLinkAddresses))
        return !runsScript(decodeReferences(value));
    if (isOneOf(name, kLoadedAddresses)) {
        bool unknownNames = false;
        const QString decoded = decodeReferences(value, &unknownNames);
        if (unknownNames)
            return false;
        const std::string lower = asciiLower(name);
        return lower == "srcset" || lower == "imagesrcset" ? isLocalSourceSet(decoded)
                                                           : isLocal(decoded);
    }
    const QString decoded = decodeReferences(value);
    if (asciiLower(name) == "rel" && decoded.contains(u"attachment", Qt::CaseInsensitive))
        return false;
    return !cssLoadsFromOutside(decoded);
}

} // namespace markupsafety
