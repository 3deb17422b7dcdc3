#include "font_coverage.h"

#include <QChar>
#include <QStringList>

#include <fontconfig/fontconfig.h>

#include <memory>

namespace {

// The scripts Qt 6.4 knows, as named in its enumeration; later ones are told by number.
#define PW_SCRIPTS(X)                                                                            \
    X(Latin) X(Greek) X(Cyrillic) X(Armenian) X(Hebrew) X(Arabic) X(Syriac) X(Thaana)            \
    X(Devanagari) X(Bengali) X(Gurmukhi) X(Gujarati) X(Oriya) X(Tamil) X(Telugu) X(Kannada)      \
    X(Malayalam) X(Sinhala) X(Thai) X(Lao) X(Tibetan) X(Myanmar) X(Georgian) X(Hangul)           \
    X(Ethiopic) X(Cherokee) X(CanadianAboriginal) X(Ogham) X(Runic) X(Khmer) X(Mongolian)        \
    X(Hiragana) X(Katakana) X(Bopomofo) X(Han) X(Yi) X(OldItalic) X(Gothic) X(Deseret)           \
    X(Tagalog) X(Hanunoo) X(Buhid) X(Tagbanwa) X(Coptic) X(Limbu) X(TaiLe) X(LinearB)            \
    X(Ugaritic) X(Shavian) X(Osmanya) X(Cypriot) X(Braille) X(Buginese) X(NewTaiLue)             \
    X(Glagolitic) X(Tifinagh) X(SylotiNagri) X(OldPersian) X(Kharoshthi) X(Balinese)             \
    X(Cuneiform) X(Phoenician) X(PhagsPa) X(Nko) X(Sundanese) X(Lepcha) X(OlChiki) X(Vai)        \
    X(Saurashtra) X(KayahLi) X(Rejang) X(Lycian) X(Carian) X(Lydian) X(Cham) X(TaiTham)          \
    X(TaiViet) X(Avestan) X(EgyptianHieroglyphs) X(Samaritan) X(Lisu) X(Bamum) X(Javanese)       \
    X(MeeteiMayek) X(ImperialAramaic) X(OldSouthArabian) X(InscriptionalParthian)                \
    X(InscriptionalPahlavi) X(OldTurkic) X(Kaithi) X(Batak) X(Brahmi) X(Mandaic) X(Chakma)       \
    X(MeroiticCursive) X(MeroiticHieroglyphs) X(Miao) X(Sharada) X(SoraSompeng) X(Takri)         \
    X(CaucasianAlbanian) X(BassaVah) X(Duployan) X(Elbasan) X(Grantha) X(PahawhHmong)            \
    X(Khojki) X(LinearA) X(Mahajani) X(Manichaean) X(MendeKikakui) X(Modi) X(Mro)                \
    X(OldNorthArabian) X(Nabataean) X(Palmyrene) X(PauCinHau) X(OldPermic) X(PsalterPahlavi)     \
    X(Siddham) X(Khudawadi) X(Tirhuta) X(WarangCiti) X(Ahom) X(AnatolianHieroglyphs) X(Hatran)   \
    X(Multani) X(OldHungarian) X(SignWriting) X(Adlam) X(Bhaiksuki) X(Marchen) X(Newa) X(Osage)  \
    X(Tangut) X(MasaramGondi) X(Nushu) X(Soyombo) X(ZanabazarSquare) X(Dogra) X(GunjalaGondi)    \
    X(HanifiRohingya) X(Makasar) X(Medefaidrin) X(OldSogdian) X(Sogdian) X(Elymaic)              \
    X(Nandinagari) X(NyiakengPuachueHmong) X(Wancho) X(Chorasmian) X(DivesAkuru)                 \
    X(KhitanSmallScript) X(Yezidi) X(CyproMinoan) X(OldUyghur) X(Tangsa) X(Toto) X(Vithkuqi)

// Our own groups beside Qt's scripts: symbols and punctuation of no script, and emoji.
constexpr int kSymbols = QChar::Script_Common;
constexpr int kEmoji = -1;

QString scriptName(int group)
{
    const char *name = nullptr;
    switch (group) {
#define PW_SCRIPT_NAME(n)                                                                        \
    case QChar::Script_##n:                                                                      \
        name = #n;                                                                               \
        break;
        PW_SCRIPTS(PW_SCRIPT_NAME)
#undef PW_SCRIPT_NAME
    case kEmoji:
        return QStringLiteral("emoji");
    case kSymbols:
        return QStringLiteral("symbols");
    default:
        return QStringLiteral("script %1").arg(group);
    }
    // "CanadianAboriginal" reads "Canadian Aboriginal".
    QString spaced;
    for (const char *c = name; *c; ++c) {
        if (c != name && *c >= 'A' && *c <= 'Z')
            spaced += u' ';
        spaced += QLatin1Char(*c);
    }
    return spaced;
}

QString fontPackage(int group)
{
    switch (group) {
    case kEmoji:
        return QStringLiteral("fonts-noto-color-emoji");
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
    case QChar::Script_Bopomofo:
        return QStringLiteral("fonts-noto-cjk");
    default:
        return QStringLiteral("fonts-noto-core");
    }
}

// "629 characters of Devanagari", "1 emoji"; later phrases of a list leave out "characters".
QString phrase(int group, qsizetype count, bool first)
{
    if (group == kEmoji)
        return QStringLiteral("%1 emoji").arg(count);
    if (group == kSymbols)
        return QStringLiteral("%1 %2").arg(count).arg(
            count == 1 ? QStringLiteral("symbol") : QStringLiteral("symbols"));
    const QString script = scriptName(group);
    if (!first)
        return QStringLiteral("%1 of %2").arg(count).arg(script);
    return QStringLiteral("%1 %2 of %3")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("character") : QStringLiteral("characters"), script);
}

// Shows nothing of its own, so no font need have it: spaces, controls, format characters
// (joiners, direction marks, soft hyphen), variation selectors and the other default
// ignorables, and what no font can be asked for (unassigned, private use, lone surrogates).
bool needsGlyph(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
        return false;
    default:
        break;
    }
    return !(c == 0x034F || c == 0x115F || c == 0x1160 || c == 0x17B4 || c == 0x17B5 ||
             (c >= 0x180B && c <= 0x180F) || c == 0x3164 || (c >= 0xFE00 && c <= 0xFE0F) ||
             c == 0xFFA0 || (c >= 0xE0000 && c <= 0xE0FFF));
}

// CJK punctuation and full-width forms come with the CJK fonts, whatever letters they follow.
bool isCjkSymbol(char32_t c)
{
    return (c >= 0x3000 && c <= 0x303F) || (c >= 0x3200 && c <= 0x33FF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF);
}

bool isEmoji(char32_t c)
{
    return (c >= 0x1F000 && c <= 0x1FAFF) || (c >= 0x2600 && c <= 0x27BF);
}

char32_t codePointBefore(QStringView text, qsizetype &i)
{
    const char16_t low = text[--i].unicode();
    if (QChar::isLowSurrogate(low) && i > 0 && QChar::isHighSurrogate(text[i - 1].unicode()))
        return QChar::surrogateToUcs4(text[--i].unicode(), low);
    return low;
}

// The group a character is counted in. Punctuation and marks shared by several scripts (the
// danda, CJK full stops, combining accents) count with the script of the letters before them.
int groupOf(char32_t c, QStringView text, qsizetype at)
{
    if (isEmoji(c))
        return kEmoji;
    QChar::Script script = QChar::script(c);
    if (script <= QChar::Script_Common && isCjkSymbol(c))
        return QChar::Script_Han;
    for (int back = 0; script <= QChar::Script_Common && at > 0 && back < 64; ++back)
        script = QChar::script(codePointBefore(text, at));
    return script <= QChar::Script_Common ? kSymbols : script;
}

struct ConfigDeleter
{
    void operator()(FcConfig *config) const { FcConfigDestroy(config); }
};

} // namespace

const FontCoverage &FontCoverage::installed()
{
    static const FontCoverage coverage = [] {
        FontCoverage fonts;
        const std::unique_ptr<FcConfig, ConfigDeleter> config(FcInitLoadConfigAndFonts());
        fonts.addFonts(config.get());
        return fonts;
    }();
    return coverage;
}

FontCoverage FontCoverage::fromConfigFile(const QString &configFile)
{
    FontCoverage fonts;
    const std::unique_ptr<FcConfig, ConfigDeleter> config(FcConfigCreate());
    if (config &&
        FcConfigParseAndLoad(config.get(),
                             reinterpret_cast<const FcChar8 *>(configFile.toLocal8Bit().constData()),
                             FcTrue) &&
        FcConfigBuildFonts(config.get()))
        fonts.addFonts(config.get());
    return fonts;
}

void FontCoverage::addFonts(void *config)
{
    if (!config)
        return;
    FcPattern *all = FcPatternCreate();
    FcObjectSet *charsets = FcObjectSetBuild(FC_CHARSET, nullptr);
    FcFontSet *list = FcFontList(static_cast<FcConfig *>(config), all, charsets);
    // Every font's characters, a page of 256 at a time, joined into one table.
    for (int f = 0; list && f < list->nfont; ++f) {
        FcCharSet *set = nullptr;
        if (FcPatternGetCharSet(list->fonts[f], FC_CHARSET, 0, &set) != FcResultMatch)
            continue;
        FcChar32 map[FC_CHARSET_MAP_SIZE];
        FcChar32 next = 0;
        for (FcChar32 base = FcCharSetFirstPage(set, map, &next);
             base != FC_CHARSET_DONE && base < kCodePoints;
             base = FcCharSetNextPage(set, map, &next)) {
            for (int w = 0; w < FC_CHARSET_MAP_SIZE; w += 2)
                m_bits[(base >> 6) + w / 2] |= quint64(map[w]) | quint64(map[w + 1]) << 32;
        }
    }
    if (list)
        FcFontSetDestroy(list);
    FcObjectSetDestroy(charsets);
    FcPatternDestroy(all);
}

void MissingCharacters::count(QStringView text, const FontCoverage &fonts)
{
    const char16_t *data = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype at = i;
        char32_t c = data[i];
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(data[i + 1]))
            c = QChar::surrogateToUcs4(char16_t(c), data[++i]);
        if (!fonts.draws(c) && needsGlyph(c))
            tally(groupOf(c, text, at));
    }
}

void MissingCharacters::tally(int group)
{
    for (Tally &t : m_tallies)
        if (t.group == group) {
            ++t.characters;
            return;
        }
    m_tallies << Tally{group, 1};
}

void MissingCharacters::add(const MissingCharacters &other)
{
    for (const Tally &theirs : other.m_tallies) {
        bool found = false;
        for (Tally &t : m_tallies)
            if (t.group == theirs.group) {
                t.characters += theirs.characters;
                found = true;
            }
        if (!found)
            m_tallies << theirs;
    }
}

qsizetype MissingCharacters::of(QStringView name) const
{
    for (const Tally &t : m_tallies)
        if (scriptName(t.group) == name)
            return t.characters;
    return 0;
}

QString MissingCharacters::describe() const
{
    // One sentence per package, its scripts in the order first met.
    QStringList packages;
    QList<QStringList> phrases;
    QList<qsizetype> totals;
    for (const Tally &t : m_tallies) {
        const QString package = fontPackage(t.group);
        qsizetype at = packages.indexOf(package);
        if (at < 0) {
            at = packages.size();
            packages << package;
            phrases << QStringList();
            totals << 0;
        }
        phrases[at] << phrase(t.group, t.characters, phrases[at].isEmpty());
        totals[at] += t.characters;
    }
    QStringList sentences;
    for (qsizetype i = 0; i < packages.size(); ++i) {
        const QStringList &list = phrases.at(i);
        QString what = list.first();
        for (qsizetype j = 1; j < list.size(); ++j)
            what += (j + 1 == list.size() ? QStringLiteral(" and ") : QStringLiteral(", ")) +
                    list.at(j);
        sentences << QStringLiteral("%1 %2 no font here; install %3")
                         .arg(what, totals.at(i) == 1 ? QStringLiteral("has") : QStringLiteral("have"),
                              packages.at(i));
    }
    return sentences.join(QStringLiteral("; "));
}
