#include "mod_general.h"
#include "test_app_folder.h"

#include <QDir>
#include <QTest>

class ModGeneralTest : public QObject
{
    Q_OBJECT
private slots:
    void replaceAll_data();
    void replaceAll();
    void fileOrFolderExists_filesHiddenWildcards();
    void fileOrFolderExists_folderNeedsFlag();
};

void ModGeneralTest::replaceAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");
    const QString two = QStringLiteral("//"), one = QStringLiteral("/");
    QTest::newRow("two become one") << "a//b" << two << one << "a/b";
    QTest::newRow("three become two") << "a///b" << two << one << "a//b";
    QTest::newRow("four become two") << "a////b" << two << one << "a//b";
    QTest::newRow("at start and end") << "//a//" << two << one << "/a/";
    QTest::newRow("empty text") << "" << two << one << "";
    QTest::newRow("absent") << "abc" << two << one << "abc";
    QTest::newRow("replacement not searched again") << "aa" << "a" << "aa" << "aaaa";
    QTest::newRow("case sensitive") << "Ab ab" << "ab" << "x" << "Ab x";
    QTest::newRow("empty find") << "abc" << "" << "x" << "abc";
}

void ModGeneralTest::replaceAll()
{
    QFETCH(QString, text);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);
    QCOMPARE(modGeneral::ReplaceAll(text, find, replacement, 0), expected);
}

void ModGeneralTest::fileOrFolderExists_filesHiddenWildcards()
{
    TestAppFolder folder(0);
    folder.writeFile(QStringLiteral(".hidden"), "x");
    folder.writeFile(QStringLiteral("report.txt"), "x");
    QVERIFY(modGeneral::FileOrFolderExists(folder.file(QStringLiteral(".hidden")), false));
    QVERIFY(modGeneral::FileOrFolderExists(folder.file(QStringLiteral("rep*.t?t")), false));
    QVERIFY(!modGeneral::FileOrFolderExists(folder.file(QStringLiteral("*.pdf")), false));
    QVERIFY(!modGeneral::FileOrFolderExists(folder.file(QStringLiteral("missing")), true));
    // A file also answers when asked with the folder flag.
    QVERIFY(modGeneral::FileOrFolderExists(folder.file(QStringLiteral("report.txt")), true));
}

void ModGeneralTest::fileOrFolderExists_folderNeedsFlag()
{
    TestAppFolder folder(TestAppFolder::Bin);
    QVERIFY(!modGeneral::FileOrFolderExists(folder.file(QStringLiteral("bin")), false));
    QVERIFY(modGeneral::FileOrFolderExists(folder.file(QStringLiteral("bin")), true));
    QVERIFY(modGeneral::FileOrFolderExists(folder.file(QStringLiteral("b?n")), true));
    QVERIFY(!modGeneral::FileOrFolderExists(folder.file(QStringLiteral("b?n")), false));
}

QTEST_GUILESS_MAIN(ModGeneralTest)
#include "tst_mod_general.moc"
