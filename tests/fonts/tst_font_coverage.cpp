#include "font_coverage.h"
#include "t_file.h"
#include "test_app_folder.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The fonts of folder alone (none when it is empty), as a configuration of our own offers them.
FontCoverage coverageOf(const QTemporaryDir &dir, const QString &fontFolder)
{
    return FontCoverage::fromConfigFile(writeFontConfig(dir.path(), fontFolder));
}

QString fixture(const QString &name)
{
    QString text;
    tFile::LoadText(text, testData(u"scripts/"_s + name));
    return text;
}

} // namespace

class FontCoverageTest : public QObject
{
    Q_OBJECT
private slots:
    void onlyDejaVu_hindiReportedWithScriptAndPackage_russianNot();
    void noFonts_charactersThatShowNothingNeverCounted();
    void noFonts_eachScriptCountedAndTheirPackagesNamed_data();
    void noFonts_eachScriptCountedAndTheirPackagesNamed();
};

void FontCoverageTest::onlyDejaVu_hindiReportedWithScriptAndPackage_russianNot()
{
    if (!QFileInfo(QString::fromLatin1(kDejaVuFolder)).isDir())
        QSKIP("fonts-dejavu-core is not installed");
    QTemporaryDir dir;
    const FontCoverage dejaVu = coverageOf(dir, QString::fromLatin1(kDejaVuFolder));

    const QString hindi = fixture(u"hindi.txt"_s);
    MissingCharacters inHindi;
    inHindi.count(hindi, dejaVu);
    // Every Devanagari letter, vowel sign and virama; the spaces and line ends are not.
    qsizetype devanagari = 0;
    for (const QChar c : hindi)
        devanagari += c.script() == QChar::Script_Devanagari;
    QVERIFY(devanagari > 50);
    QCOMPARE(inHindi.of(u"Devanagari"), devanagari);
    QCOMPARE(inHindi.describe(),
             u"%1 characters of Devanagari have no font here; install fonts-noto-core"_s.arg(
                 devanagari));

    MissingCharacters inRussian;
    inRussian.count(fixture(u"russian.txt"_s), dejaVu);
    QVERIFY2(inRussian.isEmpty(), qPrintable(inRussian.describe()));
}

void FontCoverageTest::noFonts_charactersThatShowNothingNeverCounted()
{
    QTemporaryDir dir;
    const FontCoverage none = coverageOf(dir, {});
    MissingCharacters missing;
    // Spaces of every width, line and paragraph separators, controls, joiners, direction
    // marks, the soft hyphen, variation selectors, tags, Hangul fillers, private use.
    missing.count(u" \u00A0\u2003\u3000\t\r\n\u2028\u2029\u0007\u200B\u200C\u200D\u200E\u200F"
                  "\u00AD\u2060\uFEFF\uFE0F\U000E0100\U000E0041\u034F\u115F\u3164\uE000"_s,
                  none);
    QVERIFY2(missing.isEmpty(), qPrintable(missing.describe()));
    missing.count(u"a\u200Db"_s, none);
    QCOMPARE(missing.of(u"Latin"), 2);
}

void FontCoverageTest::noFonts_eachScriptCountedAndTheirPackagesNamed_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("described");
    // Marks and punctuation shared by scripts count with the letters before them; emoji keep
    // their own font whatever text they follow.
    QTest::newRow("one Thai letter") << u"ก"_s << u"1 character of Thai has no font here; install fonts-noto-core"_s;
    QTest::newRow("Japanese with its full stop")
        << u"日本。ひらがな"_s
        << u"3 characters of Han and 4 of Hiragana have no font here; install fonts-noto-cjk"_s;
    QTest::newRow("accent on a Greek letter")
        << u"α\u0301"_s << u"2 characters of Greek have no font here; install fonts-noto-core"_s;
    QTest::newRow("Hindi, Korean, emoji, Tamil")
        << u"नमस्ते। 안녕 🙂👍 தமிழ்"_s
        << u"7 characters of Devanagari and 5 of Tamil have no font here; install "
           "fonts-noto-core; 2 characters of Hangul have no font here; install "
           "fonts-noto-cjk; 2 emoji have no font here; install fonts-noto-color-emoji"_s;
    QTest::newRow("full-width brackets after Latin")
        << u"GTK（x）"_s
        << u"4 characters of Latin have no font here; install fonts-noto-core; 2 characters of "
           "Han have no font here; install fonts-noto-cjk"_s;
    QTest::newRow("symbols alone") << u"→ ∑"_s << u"2 symbols have no font here; install fonts-noto-core"_s;
}

void FontCoverageTest::noFonts_eachScriptCountedAndTheirPackagesNamed()
{
    QFETCH(QString, text);
    QFETCH(QString, described);
    QTemporaryDir dir;
    MissingCharacters missing;
    missing.count(text, coverageOf(dir, {}));
    QCOMPARE(missing.describe(), described);
}

QTEST_GUILESS_MAIN(FontCoverageTest)
#include "tst_font_coverage.moc"
