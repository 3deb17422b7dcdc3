#include "converter.h"
#include "test_app_folder.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// While it lives, PATH is exactly these folders.
class ScopedPath
{
public:
    explicit ScopedPath(const QStringList &folders) : m_saved(qgetenv("PATH"))
    {
        qputenv("PATH", QFile::encodeName(folders.join(u':')));
    }
    ~ScopedPath() { qputenv("PATH", m_saved); }

private:
    QByteArray m_saved;
};

void writeProgram(const QString &path, bool executable)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nexit 0\n");
    file.close();
    QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (executable)
        permissions |= QFileDevice::ExeOwner;
    QVERIFY(file.setPermissions(permissions));
}

} // namespace

// Which converter a run takes: the application folder's own, else wkhtmltopdf, else WeasyPrint.
class ConverterLookupTest : public QObject
{
    Q_OBJECT
private slots:
    void converterPath_takesFirstOfAppFolderWkhtmltopdfWeasyprint_data();
    void converterPath_takesFirstOfAppFolderWkhtmltopdfWeasyprint();
    void realConverterFromPath_makesPdf_data();
    void realConverterFromPath_makesPdf();
};

void ConverterLookupTest::converterPath_takesFirstOfAppFolderWkhtmltopdfWeasyprint_data()
{
    // What stands in the application folder's bin/wkhtmltopdf: none, a program, a file that
    // cannot run, or a link whose converter was uninstalled.
    QTest::addColumn<QString>("inAppFolder");
    QTest::addColumn<QString>("wkhtmltopdfOnPath"); // none, program, not executable
    QTest::addColumn<bool>("weasyprintOnPath");
    QTest::addColumn<QString>("expected"); // app, wkhtmltopdf, weasyprint

    QTest::newRow("own program first") << "program"
                                       << "program" << true << "app";
    QTest::newRow("own unrunnable file is still taken") << "not executable"
                                                        << "program" << true << "app";
    QTest::newRow("dangling own link falls back") << "dangling link"
                                                  << "program" << true << "wkhtmltopdf";
    QTest::newRow("wkhtmltopdf before weasyprint") << "none"
                                                   << "program" << true << "wkhtmltopdf";
    QTest::newRow("weasyprint when no wkhtmltopdf") << "none"
                                                    << "none" << true << "weasyprint";
    QTest::newRow("unrunnable wkhtmltopdf skipped") << "none"
                                                    << "not executable" << true << "weasyprint";
    QTest::newRow("nothing: the app folder's path") << "none"
                                                    << "none" << false << "app";
}

void ConverterLookupTest::converterPath_takesFirstOfAppFolderWkhtmltopdfWeasyprint()
{
    QFETCH(QString, inAppFolder);
    QFETCH(QString, wkhtmltopdfOnPath);
    QFETCH(bool, weasyprintOnPath);
    QFETCH(QString, expected);

    TestAppFolder app(TestAppFolder::Bin);
    const QString own = app.file(u"bin/wkhtmltopdf"_s);
    if (inAppFolder == u"program")
        writeProgram(own, true);
    else if (inAppFolder == u"not executable")
        writeProgram(own, false);
    else if (inAppFolder == u"dangling link")
        QVERIFY(QFile::link(app.file(u"uninstalled"_s), own));

    // WeasyPrint's folder comes first on the PATH: the order of the names decides, not the PATH.
    QTemporaryDir weasyFolder, wkFolder;
    if (weasyprintOnPath)
        writeProgram(weasyFolder.filePath(u"weasyprint"_s), true);
    if (wkhtmltopdfOnPath != u"none")
        writeProgram(wkFolder.filePath(u"wkhtmltopdf"_s), wkhtmltopdfOnPath == u"program");
    const ScopedPath path({weasyFolder.path(), wkFolder.path()});

    const QString found = conversion::converterPath(app.path());
    const QString wanted = expected == u"app"           ? own
                           : expected == u"wkhtmltopdf" ? wkFolder.filePath(u"wkhtmltopdf"_s)
                                                        : weasyFolder.filePath(u"weasyprint"_s);
    QCOMPARE(found, QDir::toNativeSeparators(wanted));
}

void ConverterLookupTest::realConverterFromPath_makesPdf_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("wkhtmltopdf") << u"wkhtmltopdf"_s;
    QTest::newRow("weasyprint") << u"weasyprint"_s;
}

void ConverterLookupTest::realConverterFromPath_makesPdf()
{
    QFETCH(QString, program);
    const QString installed = QStandardPaths::findExecutable(program);
    if (installed.isEmpty())
        QSKIP("this converter is not installed");

    // An installed program's folder has no converter of its own.
    TestAppFolder app(TestAppFolder::Template | TestAppFolder::Output);
    const QString page = app.writeFile(
        u"bin/page.html"_s, "<html><body><p>Lanterns over the harbour</p></body></html>");
    const QString pdf = app.file(u"bin/output/page.pdf"_s);
    QTemporaryDir onlyThisOne;
    QVERIFY(QFile::link(installed, onlyThisOne.filePath(program)));
    {
        const ScopedPath path({onlyThisOne.path()});
        const QString converter = conversion::converterPath(app.path());
        QCOMPARE(converter, onlyThisOne.filePath(program));
        ConversionLauncher launcher(converter);
        QSignalSpy spy(&launcher, &ConversionLauncher::finished);
        launcher.start(page, pdf);
        QVERIFY(spy.wait(120000));
        QCOMPARE(spy.at(0).at(1).value<ConversionOutcome>(), ConversionOutcome::Made);
    }
    QVERIFY2(pdfText(pdf).contains(u"Lanterns over the harbour"_s), qPrintable(pdfText(pdf)));
}

QTEST_GUILESS_MAIN(ConverterLookupTest)
#include "tst_converter_lookup.moc"
