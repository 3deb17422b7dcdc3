#include "local_names.h"
#include "memory_room.h"
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
    void readRegularFile_readsOnlyRegularFilesWithoutBlocking_data();
    void readRegularFile_readsOnlyRegularFilesWithoutBlocking();
    void loadText_fileLargerThanTheBound_refusedNamingIt();
    void memoryRoom_smallestOfSystemAndEveryGroupAbove_data();
    void memoryRoom_smallestOfSystemAndEveryGroupAbove();
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

void ComponentsTest::readRegularFile_readsOnlyRegularFilesWithoutBlocking_data()
{
    // What to make as "entry" in the folder, then what is read from it.
    QTest::addColumn<QString>("make");
    QTest::addColumn<qsizetype>("limit");
    QTest::addColumn<QByteArray>("bytes");  // when read
    QTest::addColumn<QString>("reason");    // when refused

    const QString notRegular = u"not a regular file (a device, a pipe or a socket)"_s;
    QTest::newRow("file") << u"file"_s << qsizetype(-1) << "words\0and more"_ba << QString();
    QTest::newRow("file cut at the limit") << u"file"_s << qsizetype(5) << "words"_ba << QString();
    QTest::newRow("link to a file") << u"link"_s << qsizetype(-1) << "linked"_ba << QString();
    QTest::newRow("dangling link") << u"dangling"_s << qsizetype(-1) << QByteArray()
                                   << u"it is a link to nothing"_s;
    QTest::newRow("folder") << u"folder"_s << qsizetype(-1) << QByteArray()
                            << u"it is a folder, not a file"_s;
    QTest::newRow("missing") << u"nothing"_s << qsizetype(-1) << QByteArray()
                             << u"no such file or directory"_s;
#ifdef Q_OS_UNIX
    // Opening a pipe would block; reading these devices would never end.
    QTest::newRow("pipe") << u"fifo"_s << qsizetype(-1) << QByteArray() << notRegular;
    QTest::newRow("link to a pipe") << u"link to fifo"_s << qsizetype(-1) << QByteArray()
                                    << notRegular;
    QTest::newRow("link to /dev/zero") << u"/dev/zero"_s << qsizetype(-1) << QByteArray()
                                       << notRegular;
    QTest::newRow("link to /dev/urandom") << u"/dev/urandom"_s << qsizetype(-1) << QByteArray()
                                          << notRegular;
    QTest::newRow("name in Latin-1 bytes") << u"latin1"_s << qsizetype(-1) << "words"_ba
                                           << QString();
#endif
}

void ComponentsTest::readRegularFile_readsOnlyRegularFilesWithoutBlocking()
{
    QFETCH(QString, make);
    QFETCH(qsizetype, limit);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    TestAppFolder folder(0);
    QString path = folder.file(u"entry"_s);
    if (make == u"file") {
        folder.writeFile(u"entry"_s, "words\0and more"_ba);
    } else if (make == u"link") {
        QVERIFY(QFile::link(folder.writeFile(u"real.txt"_s, bytes), path));
    } else if (make == u"dangling") {
        QVERIFY(QFile::link(folder.file(u"gone.txt"_s), path));
    } else if (make == u"folder") {
        QVERIFY(QDir().mkpath(path));
#ifdef Q_OS_UNIX
    } else if (make == u"fifo" || make == u"link to fifo") {
        const QString fifo = folder.file(u"fifo"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        if (make == u"fifo")
            path = fifo;
        else
            QVERIFY(QFile::link(fifo, path));
    } else if (make.startsWith(u"/dev/")) {
        if (!QFileInfo::exists(make))
            QSKIP("no such device here");
        QVERIFY(QFile::link(make, path));
    } else if (make == u"latin1") {
        path = writeFileNamedInBytes(folder.path(), "caf\xE9.txt", bytes);
        QVERIFY(!path.isEmpty());
        QVERIFY(!QFileInfo::exists(path)); // what Qt alone would make of the name
#endif
    }

    QByteArray read = "left from before";
    QString why;
    const bool ok = tFile::ReadRegularFile(read, path, limit, why);
    QCOMPARE(why, reason);
    QCOMPARE(ok, reason.isEmpty());
    QCOMPARE(read, ok ? bytes : QByteArray());
    // The text and list reads go through it, and say why as well.
    QString text;
    QString textWhy;
    QCOMPARE(tFile::LoadText(text, path, &textWhy), ok);
    QCOMPARE(textWhy, reason);
}

void ComponentsTest::loadText_fileLargerThanTheBound_refusedNamingIt()
{
    TestAppFolder folder(0);
    const QString path = folder.file(u"huge.txt"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(tFile::kMaxTextBytes)); // sparse: no disk space taken
    file.close();
    QString text;
    QString why;
    QVERIFY2(tFile::LoadText(text, path, &why), qPrintable(why));
    QCOMPARE(text.size(), tFile::kMaxTextBytes);

    QVERIFY(QFile(path).resize(tFile::kMaxTextBytes + 1));
    QStringList list{u"kept"_s};
    QVERIFY(!tFile::LoadList(list, path, &why));
    QCOMPARE(list, QStringList{u"kept"_s});
    QVERIFY2(why.startsWith(u"it is larger than 32 MB"_s), qPrintable(why));
}

void ComponentsTest::memoryRoom_smallestOfSystemAndEveryGroupAbove_data()
{
    // Files below a fake control-group root, "name=content" separated by "|"; the system has
    // 8000 MB available.
    QTest::addColumn<QByteArray>("ownGroups"); // as /proc/self/cgroup
    QTest::addColumn<QString>("files");
    QTest::addColumn<qint64>("megabytes");

    constexpr qint64 MB = 1 << 20;
    const auto n = [](qint64 value) { return QString::number(value); };
    QTest::newRow("no group file") << QByteArray() << QString() << qint64(8000);
    QTest::newRow("v2 without a limit")
        << "0::/user.slice/app\n"_ba << u"user.slice/app/memory.max=max"_s << qint64(8000);
    QTest::newRow("v2 group limit, page cache counted as room")
        << "0::/user.slice/app\n"_ba
        << u"user.slice/app/memory.max=%1|user.slice/app/memory.current=%2|"
           "user.slice/app/memory.stat=anon 1\ninactive_file %3\n"_s.arg(n(1536 * MB), n(600 * MB),
                                                                        n(100 * MB))
        << qint64(1036);
    QTest::newRow("v2 parent's limit is smaller")
        << "0::/user.slice/app\n"_ba
        << u"user.slice/app/memory.max=%1|user.slice/app/memory.current=%2|"
           "user.slice/memory.max=%3|user.slice/memory.current=%4"_s.arg(n(4000 * MB), n(100 * MB),
                                                                       n(3000 * MB), n(2500 * MB))
        << qint64(500);
    QTest::newRow("v2 container at its root")
        << "0::/\n"_ba << u"memory.max=%1|memory.current=%2"_s.arg(n(1024 * MB), n(24 * MB))
        << qint64(1000);
    QTest::newRow("v2 over its limit")
        << "0::/a\n"_ba << u"a/memory.max=%1|a/memory.current=%2"_s.arg(n(100 * MB), n(150 * MB))
        << qint64(0);
    QTest::newRow("v1 memory controller, no limit marker")
        << "5:cpu,memory:/box\n0::/\n"_ba
        << u"memory/box/memory.limit_in_bytes=9223372036854771712|memory/box/memory.usage_in_bytes=5"_s
        << qint64(8000);
    QTest::newRow("v1 memory controller with a limit")
        << "7:pids:/box\n5:memory:/box\n"_ba
        << u"memory/box/memory.limit_in_bytes=%1|memory/box/memory.usage_in_bytes=%2|"
           "memory/box/memory.stat=total_inactive_file %3"_s.arg(n(2048 * MB), n(1048 * MB), n(48 * MB))
        << qint64(1048);
}

void ComponentsTest::memoryRoom_smallestOfSystemAndEveryGroupAbove()
{
    QFETCH(QByteArray, ownGroups);
    QFETCH(QString, files);
    QFETCH(qint64, megabytes);
    TestAppFolder folder(0);
    memoryroom::Sources sources;
    sources.meminfo = folder.writeFile(u"meminfo"_s, "MemTotal: 16384000 kB\nMemAvailable: "
                                                     "8192000 kB\n");
    sources.ownGroups = ownGroups.isEmpty() ? folder.file(u"none"_s)
                                            : folder.writeFile(u"cgroup"_s, ownGroups);
    sources.groupRoot = folder.file(u"root"_s);
    for (const QString &entry : files.split(u'|', Qt::SkipEmptyParts)) {
        const qsizetype equals = entry.indexOf(u'=');
        folder.writeFile(u"root/"_s + entry.left(equals), entry.mid(equals + 1).toUtf8());
    }
    QCOMPARE(memoryroom::availableMegabytes(sources), megabytes);
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
