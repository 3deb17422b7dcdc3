#include "local_names.h"
#include "safe_file_name.h"
#include "t_file.h"
#include "t_parser.h"
#include "t_tools.h"
#include "test_app_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

class ComponentsTest : public QObject
{
    Q_OBJECT
private slots:
    void loadText_decodesByBomThenUtf8ThenCp1252_data();
    void loadText_decodesByBomThenUtf8ThenCp1252();
    void loadText_missingFile_reportsAndKeepsTarget();
    void saveText_writesUtf8WithCrLf();
    void saveText_unwritablePath_reportsReason();
    void saveText_replacesOnlyRegularFiles_leavesAnythingElseAsItIs();
    void loadList_skipsBlankLinesAndLineEnds();
    void splitToList_appendsNonEmptyPieces();
    void replaceText_exactAndEmptyFind();
    void shuffleList_keepsItemsAndIsSeedable();
    void fileExists_foldersOnlyWithFlag();
    void safeName_refusesSeparatorsDotsAndControls();
    void localNames_anyBytesRoundTrip_data();
    void localNames_anyBytesRoundTrip();
};

void ComponentsTest::localNames_anyBytesRoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");     // for people
    QTest::addColumn<QString>("validName"); // for names the program writes
    const QString mark(QChar::ReplacementCharacter);
    QTest::newRow("ASCII") << QByteArray("/a/b.txt") << u"/a/b.txt"_s << u"/a/b.txt"_s;
    QTest::newRow("UTF-8") << QByteArray("caf\xC3\xA9 \xF0\x9F\x98\x80") << u"café 😀"_s
                           << u"café 😀"_s;
    QTest::newRow("Latin-1") << QByteArray("caf\xE9.txt") << u"caf"_s + mark + u".txt"_s
                             << u"café.txt"_s;
    QTest::newRow("after a pair") << QByteArray("\xF0\x90\x82\x80\x80")
                                  << QString::fromUcs4(U"\U00010080") + mark
                                  << QString::fromUcs4(U"\U00010080") + u"€"_s;
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << mark + mark << u"À¯"_s;
    QTest::newRow("encoded surrogate")
        << QByteArray("\xED\xB3\xA9") << mark + mark + mark << u"í³©"_s;
    QTest::newRow("cut short at the end")
        << QByteArray("a\xE2\x82") << u"a"_s + mark + mark << u"aâ‚"_s;
}

void ComponentsTest::localNames_anyBytesRoundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    QFETCH(QString, validName);
    const QString held = localnames::fromLocalBytes(bytes);
    QCOMPARE(localnames::toLocalBytes(held), bytes);
    QCOMPARE(localnames::forDisplay(held), shown);
    QCOMPARE(localnames::asValidName(held), validName);
}

void ComponentsTest::loadText_decodesByBomThenUtf8ThenCp1252_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("utf8") << QByteArray("caf\xC3\xA9 \xE2\x82\xAC") << QStringLiteral(u"café €");
    QTest::newRow("utf8 bom") << QByteArray("\xEF\xBB\xBFok") << QStringLiteral("ok");
    QTest::newRow("utf16le bom") << QByteArray("\xFF\xFEh\0i\0", 6) << QStringLiteral("hi");
    QTest::newRow("utf16be bom") << QByteArray("\xFE\xFF\0h\0i", 6) << QStringLiteral("hi");
    QTest::newRow("cp1252 quotes and euro")
        << QByteArray("\x93quoted\x94 \x80 caf\xE9 \x96")
        << QStringLiteral(u"\u201Cquoted\u201D \u20AC café \u2013");
    QTest::newRow("empty") << QByteArray() << QString();
    // Cut off inside a character: not valid UTF-8, so nothing may silently go missing.
    QTest::newRow("utf8 cut inside the last character")
        << QByteArray("caf\xC3\xA9 \xE2\x82") << QStringLiteral(u"caf\u00C3\u00A9 \u00E2\u201A");
}

void ComponentsTest::loadText_decodesByBomThenUtf8ThenCp1252()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    TestAppFolder folder(0);
    const QString path = folder.writeFile(QStringLiteral("a.txt"), bytes);
    QString text = QStringLiteral("old");
    QVERIFY(tFile::LoadText(text, path));
    QCOMPARE(text, expected);
}

void ComponentsTest::loadText_missingFile_reportsAndKeepsTarget()
{
    TestAppFolder folder(0);
    QString text = QStringLiteral("kept");
    QVERIFY(!tFile::LoadText(text, folder.file(QStringLiteral("missing.txt"))));
    QCOMPARE(text, QStringLiteral("kept"));
    QStringList list{QStringLiteral("x")};
    QVERIFY(!tFile::LoadList(list, folder.file(QStringLiteral("missing.txt"))));
    QCOMPARE(list, QStringList{QStringLiteral("x")});
}

void ComponentsTest::saveText_writesUtf8WithCrLf()
{
    TestAppFolder folder(0);
    const QString path = folder.file(QStringLiteral("out.txt"));
    QVERIFY(tFile::SaveText(QStringLiteral(u"é\r\rb\nc\r\nd"), path));
    QCOMPARE(readBytes(path), QByteArray("\xC3\xA9\r\n\r\nb\r\nc\r\nd"));
    // Replaces, never appends.
    QVERIFY(tFile::SaveText(QStringLiteral("x"), path));
    QCOMPARE(readBytes(path), QByteArray("x"));
}

void ComponentsTest::saveText_unwritablePath_reportsReason()
{
    TestAppFolder folder(0);
    QString reason;
    QVERIFY(!tFile::SaveText(QStringLiteral("x"), folder.file(QStringLiteral("no/such/dir/a.txt")),
                             &reason));
    QVERIFY(!reason.isEmpty());
}

void ComponentsTest::saveText_replacesOnlyRegularFiles_leavesAnythingElseAsItIs()
{
#ifdef Q_OS_UNIX
    // A pipe stands in for a device: both would become a plain file if written over.
    TestAppFolder folder(0);
    const QString pipe = folder.file(u"pipe"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString toPipe = folder.file(u"to-pipe.txt"_s);
    QVERIFY(QFile::link(pipe, toPipe));
    const QString dangling = folder.file(u"dangling.txt"_s);
    QVERIFY(QFile::link(folder.file(u"nowhere.txt"_s), dangling));
    QDir().mkpath(folder.file(u"folder.txt"_s));

    for (const QString &path : {pipe, toPipe, dangling, folder.file(u"folder.txt"_s)}) {
        QString reason;
        QVERIFY2(!tFile::SaveText(u"x"_s, path, &reason), qPrintable(path));
        QVERIFY(!reason.isEmpty());
    }
    struct stat info;
    QCOMPARE(::stat(QFile::encodeName(pipe).constData(), &info), 0);
    QVERIFY(S_ISFIFO(info.st_mode));
    QVERIFY(QFileInfo(toPipe).isSymLink());
    QVERIFY(QFileInfo(dangling).isSymLink());
    QVERIFY(!QFileInfo::exists(folder.file(u"nowhere.txt"_s)));
    QVERIFY(QFileInfo(folder.file(u"folder.txt"_s)).isDir());

    // A link to a regular file writes that file and stays a link.
    const QString real = folder.writeFile(u"real.txt"_s, "old");
    const QString toReal = folder.file(u"to-real.txt"_s);
    QVERIFY(QFile::link(real, toReal));
    QVERIFY(tFile::SaveText(u"new"_s, toReal));
    QCOMPARE(readBytes(real), QByteArray("new"));
    QVERIFY(QFileInfo(toReal).isSymLink());
#else
    QSKIP("pipes and links of this kind are Unix ones");
#endif
}

void ComponentsTest::loadList_skipsBlankLinesAndLineEnds()
{
    TestAppFolder folder(0);
    const QString path =
        folder.writeFile(QStringLiteral("l.txt"), "one\r\n\r\ntwo\nthree\r \r\n\r\n");
    QStringList list{QStringLiteral("existing")};
    QVERIFY(tFile::LoadList(list, path));
    QCOMPARE(list, (QStringList{"existing", "one", "two", "three", " "}));
}

void ComponentsTest::splitToList_appendsNonEmptyPieces()
{
    QStringList list{QStringLiteral("a")};
    tTools::SplitToList(QStringLiteral("\r\nb\r\n\r\n c \r\nd"), QStringLiteral("\r\n"), list);
    QCOMPARE(list, (QStringList{"a", "b", " c ", "d"}));
    tTools::SplitToList(QStringLiteral("\r\n\r\n"), QStringLiteral("\r\n"), list);
    QCOMPARE(list.size(), 4);
}

void ComponentsTest::replaceText_exactAndEmptyFind()
{
    QCOMPARE(tParser::ReplaceText(QStringLiteral("a\\\\\\b"), QStringLiteral("\\\\"),
                                  QStringLiteral("\\")),
             QStringLiteral("a\\\\b"));
    QCOMPARE(tParser::ReplaceText(QStringLiteral("Tx tx"), QStringLiteral("tx"),
                                  QStringLiteral("y")),
             QStringLiteral("Tx y"));
    QCOMPARE(tParser::ReplaceText(QStringLiteral("abc"), QString(), QStringLiteral("y")),
             QStringLiteral("abc"));
}

void ComponentsTest::shuffleList_keepsItemsAndIsSeedable()
{
    QStringList items;
    for (int i = 0; i < 50; ++i)
        items << QString::number(i);
    tTools a, b;
    a.seed(7);
    b.seed(7);
    QStringList first = items, second = items;
    a.ShuffleList(first);
    b.ShuffleList(second);
    QCOMPARE(first, second);
    QVERIFY(first != items);
    first.sort();
    QStringList sorted = items;
    sorted.sort();
    QCOMPARE(first, sorted);
}

void ComponentsTest::fileExists_foldersOnlyWithFlag()
{
    TestAppFolder folder(TestAppFolder::Bin);
    QVERIFY(!tTools::FileExists(folder.file(QStringLiteral("bin"))));
    QVERIFY(tTools::FileExists(folder.file(QStringLiteral("bin")), true));
    QVERIFY(tTools::FileExists(folder.writeFile(QStringLiteral(".hidden"), "x")));
    QVERIFY(!tTools::FileExists(folder.file(QStringLiteral("nothing"))));
}

void ComponentsTest::safeName_refusesSeparatorsDotsAndControls()
{
    QVERIFY(safename::isSafe(QStringLiteral("my report")));
    QVERIFY(safename::isSafe(QStringLiteral("...")));
    QVERIFY(!safename::isSafe(QStringLiteral(".")));
    QVERIFY(!safename::isSafe(QStringLiteral("..")));
    QVERIFY(!safename::isSafe(QStringLiteral("../x")));
    QVERIFY(!safename::isSafe(QStringLiteral("a\\b")));
    QCOMPARE(safename::forbiddenCharacters(QStringLiteral("a/b\\c/d\tz")), QStringLiteral("/\\\t"));
    QCOMPARE(safename::replaceForbidden(QStringLiteral("a/b\\c"), u'-'), QStringLiteral("a-b-c"));
    QCOMPARE(safename::describe(QStringLiteral("/\t")), QStringLiteral("/ (control character 9)"));
}

QTEST_GUILESS_MAIN(ComponentsTest)
#include "tst_components.moc"
