#include "app_location.h"
#include "test_app_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Where the programs work: their own portable folder, or a per-user folder seeded from the
// installed shared data.
class AppLocationTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void portableFolder_isItsOwnApplicationFolder();
    void installed_copiesSharedDataOnce_keepsEditsAndRestoresDeleted();
    void installed_problems_sayWhatIsWrong_data();
    void installed_problems_sayWhatIsWrong();
    void damagedPortableFolder_staysTheApplicationFolder_data();
    void damagedPortableFolder_staysTheApplicationFolder();
    void noHome_noFolderAndNothingMade_data();
    void noHome_noFolderAndNothingMade();
    void relativeDataHome_isIgnored();

private:
    // <root>/bin is where an installed program runs; <root>/share/paperwake holds its data.
    QString programFolder() const { return m_root.path() + u"/bin"_s; }
    QString sharedData() const { return m_root.path() + u"/share/paperwake"_s; }
    void installSharedData() const;
    QString userFolder() const { return m_dataHome->path() + u"/Paperwake/paperwake"_s; }

    std::unique_ptr<QTemporaryDir> m_dataHome;
    QTemporaryDir m_root;
    QTemporaryDir m_elsewhere;
    QByteArray m_savedDataHome;
    QByteArray m_savedHome;
};

void AppLocationTest::init()
{
    applocation::setApplicationNames();
    m_dataHome = std::make_unique<QTemporaryDir>();
    m_savedDataHome = qgetenv("XDG_DATA_HOME");
    m_savedHome = qgetenv("HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome->path()));
    QDir().mkpath(programFolder());
}

void AppLocationTest::cleanup()
{
    qputenv("XDG_DATA_HOME", m_savedDataHome);
    qputenv("HOME", m_savedHome);
    QDir(m_root.path()).removeRecursively();
    QDir().mkpath(m_root.path());
}

void AppLocationTest::installSharedData() const
{
    const auto write = [](const QString &path, const QByteArray &bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write(sharedData() + u"/bin/template.html"_s, "<html>#ADTITLE#</html>");
    write(sharedData() + u"/random/1.txt"_s, "apple\r\npear\r\n");
    write(sharedData() + u"/lstcombinations.txt"_s, "#1# #2#\r\n");
    // The package links its scripts to the system's copies; one of them may be gone.
    write(m_elsewhere.path() + u"/jquery.min.js"_s, "/* jquery */");
    QDir().mkpath(sharedData() + u"/bin/assets/js"_s);
    QVERIFY(QFile::link(m_elsewhere.path() + u"/jquery.min.js"_s,
                        sharedData() + u"/bin/assets/js/jquery.min.js"_s));
    QVERIFY(QFile::link(m_elsewhere.path() + u"/gone.js"_s,
                        sharedData() + u"/bin/assets/js/gone.js"_s));
    // Installed files are read-only to the user.
    QFile::setPermissions(sharedData() + u"/bin/template.html"_s,
                          QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
}

void AppLocationTest::portableFolder_isItsOwnApplicationFolder()
{
    TestAppFolder portable(TestAppFolder::Template);
    installSharedData(); // ignored: the portable folder wins
    const applocation::PreparedFolder prepared =
        applocation::prepareApplicationFolder(portable.path());
    QCOMPARE(prepared.path, QDir::toNativeSeparators(portable.path()));
    QCOMPARE(prepared.problem, QString());
    QVERIFY(!QFileInfo::exists(userFolder()));
}

void AppLocationTest::installed_copiesSharedDataOnce_keepsEditsAndRestoresDeleted()
{
    installSharedData();
    QCOMPARE(applocation::perUserFolder(), QDir::toNativeSeparators(userFolder()));
    QCOMPARE(applocation::installedDataFolder(programFolder()),
             QDir::toNativeSeparators(sharedData()));

    const applocation::PreparedFolder prepared =
        applocation::prepareApplicationFolder(programFolder());
    QCOMPARE(prepared.problem, QString());
    QCOMPARE(prepared.path, QDir::toNativeSeparators(userFolder()));
    QVERIFY(applocation::isApplicationFolder(prepared.path));
    QVERIFY(QFileInfo(userFolder() + u"/bin/output"_s).isDir());
    for (const QString &file : {u"bin/template.html"_s, u"random/1.txt"_s, u"lstcombinations.txt"_s,
                                u"bin/assets/js/jquery.min.js"_s}) {
        const QFileInfo copy(userFolder() + u'/' + file);
        QVERIFY2(copy.isFile() && !copy.isSymLink(), qPrintable(file));
        QVERIFY2(copy.isWritable(), qPrintable(file)); // the user may edit it
        QCOMPARE(readBytes(copy.filePath()), readBytes(sharedData() + u'/' + file));
    }
    QVERIFY(!QFileInfo(userFolder() + u"/bin/assets/js/gone.js"_s).isSymLink());
    QVERIFY(!QFileInfo::exists(userFolder() + u"/bin/wkhtmltopdf"_s));

    // A later start.
    QFile edited(userFolder() + u"/bin/template.html"_s);
    QVERIFY(edited.open(QIODevice::WriteOnly | QIODevice::Truncate));
    edited.write("<html>mine</html>");
    edited.close();
    QVERIFY(QFile::remove(userFolder() + u"/random/1.txt"_s));
    QVERIFY(QDir(userFolder() + u"/bin/output"_s).removeRecursively());

    const applocation::PreparedFolder again =
        applocation::prepareApplicationFolder(programFolder());
    QCOMPARE(again.problem, QString());
    QCOMPARE(readBytes(userFolder() + u"/bin/template.html"_s), QByteArray("<html>mine</html>"));
    QCOMPARE(readBytes(userFolder() + u"/random/1.txt"_s), QByteArray("apple\r\npear\r\n"));
    QVERIFY(QFileInfo(userFolder() + u"/bin/output"_s).isDir());
}

void AppLocationTest::installed_problems_sayWhatIsWrong_data()
{
    QTest::addColumn<bool>("sharedDataInstalled");
    QTest::addColumn<bool>("dataHomeBlocked");
    QTest::addColumn<QString>("advice");

    QTest::newRow("shared data without template") << false << false << u"Reinstall Paperwake"_s;
    QTest::newRow("folder cannot be made") << true << true << u"Make sure you can write"_s;
}

void AppLocationTest::installed_problems_sayWhatIsWrong()
{
    QFETCH(bool, sharedDataInstalled);
    QFETCH(bool, dataHomeBlocked);
    QFETCH(QString, advice);
    if (sharedDataInstalled)
        installSharedData();
    else
        QDir().mkpath(sharedData());
    if (dataHomeBlocked) {
        // A file where the data folder should be: no folder can be made below it.
        const QString blocker = m_dataHome->path() + u"/file"_s;
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        qputenv("XDG_DATA_HOME", QFile::encodeName(blocker));
    }

    const applocation::PreparedFolder prepared =
        applocation::prepareApplicationFolder(programFolder());
    QVERIFY2(prepared.problem.contains(prepared.path), qPrintable(prepared.problem));
    QVERIFY2(prepared.problem.contains(advice), qPrintable(prepared.problem));
    if (!sharedDataInstalled)
        QVERIFY2(prepared.problem.contains(QDir::toNativeSeparators(sharedData())),
                 qPrintable(prepared.problem));
    else
        QVERIFY2(prepared.problem.contains(u"template.html"_s), qPrintable(prepared.problem));
}

void AppLocationTest::damagedPortableFolder_staysTheApplicationFolder_data()
{
    QTest::addColumn<bool>("withBin");
    QTest::newRow("no bin") << false;
    QTest::newRow("bin without template") << true;
}

void AppLocationTest::damagedPortableFolder_staysTheApplicationFolder()
{
    QFETCH(bool, withBin);
    TestAppFolder portable(withBin ? TestAppFolder::Bin | TestAppFolder::WordLists
                                   : TestAppFolder::WordLists);
    const applocation::PreparedFolder prepared =
        applocation::prepareApplicationFolder(portable.path());
    QCOMPARE(prepared.path, QDir::toNativeSeparators(portable.path()));
    QCOMPARE(prepared.problem, QString());
    QVERIFY(!QFileInfo::exists(userFolder()));
}

void AppLocationTest::noHome_noFolderAndNothingMade_data()
{
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QByteArray>("dataHome");
    QTest::newRow("HOME unset") << QByteArray() << QByteArray();
    QTest::newRow("HOME relative, XDG_DATA_HOME relative")
        << QByteArray("home") << QByteArray("data");
}

void AppLocationTest::noHome_noFolderAndNothingMade()
{
    QFETCH(QByteArray, home);
    QFETCH(QByteArray, dataHome);
    // No shared data either, so a folder found anyway could not be filled: nothing is made.
    QDir().mkpath(sharedData());
    const auto set = [](const char *name, const QByteArray &value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    set("HOME", home);
    set("XDG_DATA_HOME", dataHome);

    QCOMPARE(applocation::perUserFolder(), QString());
    const applocation::PreparedFolder prepared =
        applocation::prepareApplicationFolder(programFolder());
    QCOMPARE(prepared.path, QString());
    QCOMPARE(prepared.problem, applocation::kNoHome);
}

void AppLocationTest::relativeDataHome_isIgnored()
{
    qputenv("HOME", QFile::encodeName(m_dataHome->path()));
    qputenv("XDG_DATA_HOME", "relative/data");
    QCOMPARE(applocation::perUserFolder(),
             QDir::toNativeSeparators(m_dataHome->path() + u"/.local/share/Paperwake/paperwake"_s));
}

QTEST_GUILESS_MAIN(AppLocationTest)
#include "tst_app_location.moc"
