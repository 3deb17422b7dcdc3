#include "filler_generator.h"
#include "t_tools.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using filler::WordLists;

namespace {

// Words that tell their list: position s holds "s<s>a", "s<s>b", ...
WordLists taggedLists(int wordsEach = 4)
{
    WordLists lists;
    for (int s = 0; s < 5; ++s)
        for (int i = 0; i < wordsEach; ++i)
            lists[s] << QStringLiteral("s%1%2").arg(s).arg(QChar(u'a' + i));
    return lists;
}

} // namespace

class FillerGeneratorTest : public QObject
{
    Q_OBJECT
private slots:
    void shape_data();
    void shape();
    void picks_reachEveryEntry();
    void words_keptExactlyAsListed();
    void yield_atFixedPointsAndCancelStops();
    void pageCount_data();
    void pageCount();
    void filePath_data();
    void filePath();
    void wordLists_loadedFromRandomFolder();
};

void FillerGeneratorTest::shape_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<QStringList>("keywords");
    QTest::newRow("0 pages still gives one") << 0 << QStringList();
    QTest::newRow("10 pages gives 11") << 10 << QStringList();
    QTest::newRow("keyword") << 10 << QStringList{QStringLiteral("best dog food")};
    QTest::newRow("200 pages, keywords") << 200 << QStringList{"k1", "k2"};
}

void FillerGeneratorTest::shape()
{
    QFETCH(int, pages);
    QFETCH(QStringList, keywords);
    tTools random;
    random.seed(7);
    const QString text = filler::generateFillerText(taggedLists(), keywords, pages, random).value();

    QVERIFY(!text.contains(u'\n'));
    QVERIFY(text.startsWith(QStringLiteral("s0")));
    QVERIFY(text.endsWith(QStringLiteral(" . \r\r")));
    const QStringList paragraphs = text.split(QStringLiteral("\r\r"));
    QCOMPARE(paragraphs.size(), 4 * (pages + 1) + 1); // the last piece is empty
    int listWords = 0;
    for (qsizetype q = 0; q + 1 < paragraphs.size(); ++q) {
        const QStringList sentences = paragraphs[q].split(QStringLiteral(" . "));
        QCOMPARE(sentences.size(), 6);
        QCOMPARE(sentences.last(), QString());
        for (int r = 0; r < 5; ++r) {
            QStringList words = sentences[r].split(u' ');
            // The keyword stands in the fourth sentence, between its fourth and fifth word.
            if (r == 3 && !keywords.isEmpty()) {
                QCOMPARE(words.size(), 5 + keywords.first().count(u' ') + 1);
                const QString joined = words.mid(4, words.size() - 5).join(u' ');
                QVERIFY2(keywords.contains(joined), qPrintable(sentences[r]));
                words = words.mid(0, 4) << words.last();
            }
            QCOMPARE(words.size(), 5);
            for (int s = 0; s < 5; ++s)
                QVERIFY2(words[s].startsWith(QStringLiteral("s%1").arg(s)), qPrintable(words[s]));
            listWords += 5;
        }
    }
    QCOMPARE(listWords, 100 * (pages + 1));
}

void FillerGeneratorTest::picks_reachEveryEntry()
{
    // A pick that favours one position (say, always the first) fails here.
    tTools random;
    random.seed(3);
    const WordLists lists = taggedLists(3);
    const QStringList keywords = {"k1", "k2", "k3"};
    const QString text = filler::generateFillerText(lists, keywords, 10, random).value();
    for (const QString &keyword : keywords)
        QVERIFY2(text.contains(u' ' + keyword + u' '), qPrintable(keyword));
    for (const QStringList &list : lists)
        for (const QString &word : list)
            QVERIFY2(text.contains(word + u' '), qPrintable(word));
}

void FillerGeneratorTest::words_keptExactlyAsListed()
{
    const WordLists lists = {QStringList{"New York"}, {" padded "}, {"Ünïcödé"}, {"x"}, {"end."}};
    tTools random;
    const QString text = filler::generateFillerText(lists, {"KW"}, 0, random).value();
    const QString plain = QStringLiteral("New York  padded  Ünïcödé x end. . ");
    const QString withKeyword = QStringLiteral("New York  padded  Ünïcödé x KW end. . ");
    QCOMPARE(text, (plain + plain + plain + withKeyword + plain + "\r\r").repeated(4));
}

void FillerGeneratorTest::yield_atFixedPointsAndCancelStops()
{
    tTools random;
    int yields = 0;
    QVERIFY(filler::generateFillerText(taggedLists(), {}, 0, random, [&] { ++yields; }));
    // Per page: 100 words x 2, 20 sentences x 1, 4 paragraphs x 2, the page x 2.
    QCOMPARE(yields, 230);

    yields = 0;
    int checks = 0;
    const auto stopped = filler::generateFillerText(
        taggedLists(), {}, 200, random, [&] { ++yields; }, [&] { return ++checks >= 50; });
    QVERIFY(!stopped);
    QCOMPARE(yields, 50); // stops at once
}

void FillerGeneratorTest::pageCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // -1: refused
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("typed above the list") << "250" << 250;
    QTest::newRow("largest") << "32767" << 32767;
    QTest::newRow("blanks around") << " 7 " << 7;
    QTest::newRow("too large") << "32768" << -1;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("fraction") << "1.5" << -1;
    QTest::newRow("number and text") << "5 pages" << -1;
}

void FillerGeneratorTest::pageCount()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(filler::parsePageCount(text).value_or(-1), expected);
}

void FillerGeneratorTest::filePath_data()
{
    const QString sep = QDir::separator();
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("folder") << sep + "data"
                            << "filler" << sep + "data" + sep + "filler.txt";
    QTest::newRow("drive root") << sep << "filler" << sep + "filler.txt";
    QTest::newRow("extension typed") << sep + "data"
                                     << "notes.txt" << sep + "data" + sep + "notes.txt.txt";
}

void FillerGeneratorTest::filePath()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(filler::filePath(folder, name), expected);
}

void FillerGeneratorTest::wordLists_loadedFromRandomFolder()
{
    QTemporaryDir app;
    QDir(app.path()).mkdir(QStringLiteral("random"));
    const QList<QByteArray> files = {"alpha\r\nbeta\r\n\r\ngamma", "caf\xc3\xa9\n", "", {}, "z"};
    for (int i = 0; i < 5; ++i) {
        QFile file(app.path() + QStringLiteral("/random/%1.txt").arg(i + 1));
        if (i != 3) // list 4 has no file
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(files[i]) >= 0);
    }
    const WordLists words = filler::loadWordLists(QDir::toNativeSeparators(app.path()));
    QCOMPARE(words[0], (QStringList{"alpha", "beta", "gamma"}));
    QCOMPARE(words[1], QStringList{QStringLiteral("café")});
    QVERIFY(words[2].isEmpty() && words[3].isEmpty());
    QCOMPARE(filler::firstEmptyList(words), 2);
    QCOMPARE(filler::firstEmptyList(taggedLists()), -1);
}

QTEST_GUILESS_MAIN(FillerGeneratorTest)
#include "tst_filler_generator.moc"
