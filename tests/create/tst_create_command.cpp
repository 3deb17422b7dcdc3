#include "article_browser.h"
#include "create_checks.h"
#include "keyword_names.h"
#include "frm_mass.h"
#include "frm_rc.h"
#include "recording_platform.h"
#include "test_app_folder.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QListWidget>
#include <QLockFile>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

class CreateCommandTest : public QObject
{
    Q_OBJECT
private slots:
    void checks_firstFailureWins_data();
    void checks_firstFailureWins();
    void checks_buttonAddress_data();
    void checks_buttonAddress();
    void modes_switchFramesHeadlineAndCaption();
    void adPage_startsWithHttpAndLabelsNameTheBoxes();
    void create_showsOnlyTheFirstMissingInfo();
    void create_refusesUnsafeSingleName_data();
    void create_refusesUnsafeSingleName();
    void create_failedConversion_reportedNotReady();
    void create_missingConverterStopsBeforeWriting();
    void create_refusedWhileAnotherRunHoldsTheFolder();
    void bulkRun_realConverter_pdfPerArticleAndReady();
    void bulkRun_keywordNamesCycle();
    void singleRun_realConverter_joinsArticlesUnderTypedName();
    void closingWindow_duringRun_stopsConverters();
    void stop_duringBulkRun_keepsMadeAndEarlierPdfs();
    void stop_escapeEndsTheRun();
    void busyCaption_showsOnEveryRun();
    void refusal_showsThePageAndFocusesTheField_data();
    void refusal_showsThePageAndFocusesTheField();
    void modalBox_duringRun_conversionsGoOn();
    void fillerArticle_savedFromGenerator_becomesAPdf();
};

namespace {

// A main window on a temporary application folder with articles in a folder of their own.
struct Fixture
{
    explicit Fixture(int parts = TestAppFolder::All) : app(parts), window(app.path(), &platform)
    {
        QDir().mkpath(app.file(QStringLiteral("articles")));
    }

    QString addArticle(const QString &name, const QByteArray &text)
    {
        return app.writeFile(QStringLiteral("articles/") + name, text);
    }
    void selectAllArticles()
    {
        window.articleBrowser()->setFolder(app.file(QStringLiteral("articles")));
        window.articleBrowser()->cmdSingleMenu_Click(0);
    }
    void fillAd()
    {
        window.findChild<QLineEdit *>("txtAdTitle")->setText(QStringLiteral("Grab The Deal"));
        window.findChild<QLineEdit *>("txtCTAText")->setText(QStringLiteral("Click Here Now"));
        window.findChild<QLineEdit *>("txtCTAURL")->setText(QStringLiteral("https://example.com/deal"));
    }
    void chooseBulk() { window.findChild<QRadioButton *>("optCreationMode_1")->click(); }
    void create() { window.findChild<QPushButton *>("cmdCreate")->click(); }
    // Create, then wait in the event loop until the run has ended (the closing prompt included).
    void createAndWait()
    {
        create();
        QTRY_VERIFY_WITH_TIMEOUT(!window.isRunning(), 120000);
    }
    QString output(const QString &name) const { return app.file(QStringLiteral("bin/output/") + name); }

    RecordingPlatform platform;
    TestAppFolder app;
    frmMass window;
};

} // namespace

void CreateCommandTest::checks_firstFailureWins_data()
{
    QTest::addColumn<int>("articles");
    QTest::addColumn<QString>("ad");
    QTest::addColumn<bool>("bulk");
    QTest::addColumn<bool>("keywords");
    QTest::addColumn<int>("names");
    QTest::addColumn<QString>("single");
    QTest::addColumn<QString>("expected");

    const QString noArticles = QStringLiteral("Please select one or more articles first.");
    const QString noAd = QStringLiteral("Please enter your Ad details.");
    const QString noKeywords = QStringLiteral("Please enter one or more keywords first.");
    const QString noName = QStringLiteral("Please enter a filename for your PDF file.");
    QTest::newRow("nothing at all: only the article message")
        << 0 << "" << false << false << 0 << "" << noArticles;
    QTest::newRow("one ad field empty") << 1 << "t||u" << false << false << 0 << "x" << noAd;
    QTest::newRow("blanks count as entered") << 1 << " | |https://u" << false << false << 0 << " "
                                             << "";
    QTest::newRow("bulk, original names, no keywords")
        << 2 << "t|c|https://u" << true << false << 0 << ""
        << "";
    QTest::newRow("bulk, keyword names, empty list")
        << 2 << "t|c|https://u" << true << true << 0 << "" << noKeywords;
    QTest::newRow("bulk ignores the single name")
        << 2 << "t|c|https://u" << true << true << 3 << "a/b"
        << "";
    QTest::newRow("single ignores the keyword list")
        << 1 << "t|c|https://u" << false << true << 0 << "r"
        << "";
    QTest::newRow("single without a name")
        << 1 << "t|c|https://u" << false << false << 0 << "" << noName;
}

void CreateCommandTest::checks_firstFailureWins()
{
    QFETCH(int, articles);
    QFETCH(QString, ad);
    QFETCH(bool, bulk);
    QFETCH(bool, keywords);
    QFETCH(int, names);
    QFETCH(QString, single);
    QFETCH(QString, expected);
    const QStringList fields = ad.split(u'|');
    CreateInput input;
    input.articleCount = articles;
    input.adTitle = fields.value(0);
    input.ctaText = fields.value(1);
    input.ctaUrl = fields.value(2);
    input.bulk = bulk;
    input.useKeywordNames = keywords;
    input.finalListCount = names;
    input.singleName = single;
    QCOMPARE(firstCreateProblem(input), expected);
}

void CreateCommandTest::checks_buttonAddress_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("usable");
    QTest::newRow("as the box starts") << "http://" << false;
    QTest::newRow("script") << "javascript:alert(1)" << false;
    QTest::newRow("no scheme") << "example.com/guide" << false;
    QTest::newRow("blank after the scheme") << "https:// " << false;
    QTest::newRow("mail without address") << "mailto:" << false;
    QTest::newRow("file") << "file:///etc/passwd" << false;
    QTest::newRow("port over 65535") << "https://example.com:99999/x" << false;
    QTest::newRow("highest port") << "https://example.com:65535/x" << true;
    QTest::newRow("web") << "https://example.com/offer?a=1" << true;
    QTest::newRow("capitals, blanks around") << " HTTP://Example.com " << true;
    QTest::newRow("mail") << "mailto:me@example.com" << true;
}

void CreateCommandTest::checks_buttonAddress()
{
    QFETCH(QString, url);
    QFETCH(bool, usable);
    CreateInput input;
    input.articleCount = 1;
    input.adTitle = QStringLiteral("t");
    input.ctaText = QStringLiteral("c");
    input.ctaUrl = url;
    input.singleName = QStringLiteral("a/b"); // checked later: the address comes first
    const CreateCheck check = checkCreate(input);
    QCOMPARE(check.problem == CreateProblem::BadAddress, !usable);
    if (!usable) {
        QCOMPARE(check.title(), QStringLiteral("Invalid Address"));
        QVERIFY2(check.message.contains(u"https://"), qPrintable(check.message));
    }
}

void CreateCommandTest::modes_switchFramesHeadlineAndCaption()
{
    TestAppFolder app;
    RecordingPlatform platform;
    frmMass w(app.path(), &platform);
    auto *headline = w.findChild<QLabel *>("lblPDFContentHeadline");
    auto *frame = w.findChild<QGroupBox *>("frSinglePDFCreation");
    auto *single = w.findChild<QGroupBox *>("frFilename_0");
    auto *bulk = w.findChild<QGroupBox *>("frFilename_1");
    QVERIFY(w.findChild<QRadioButton *>("optCreationMode_0")->isChecked());
    QVERIFY(!w.findChild<QRadioButton *>("optCreationMode_0")->isHidden());
    QCOMPARE(headline->text(),
             QStringLiteral("The Software Will Create 1 PDF From Each One of these Articles:"));
    QVERIFY(!single->isHidden());
    QVERIFY(bulk->isHidden());

    w.findChild<QRadioButton *>("optCreationMode_1")->click();
    QCOMPARE(headline->text(),
             QStringLiteral("The Software Will Create 1 PDF For Each One of these Articles:"));
    QCOMPARE(frame->title(), QStringLiteral("Bulk PDF Creation"));
    QVERIFY(single->isHidden());
    QVERIFY(!bulk->isHidden());

    // The naming choice inside the bulk frame survives a trip through Single mode.
    auto *keywordNames = w.findChild<QRadioButton *>("optFilename_1");
    QVERIFY(keywordNames);
    keywordNames->click();
    w.findChild<QRadioButton *>("optCreationMode_0")->click();
    QCOMPARE(frame->title(), QStringLiteral("Single PDF Creation"));
    QVERIFY(!single->isHidden());
    QVERIFY(bulk->isHidden());
    w.findChild<QRadioButton *>("optCreationMode_1")->click();
    QVERIFY(keywordNames->isChecked());
}

void CreateCommandTest::adPage_startsWithHttpAndLabelsNameTheBoxes()
{
    TestAppFolder app;
    RecordingPlatform platform;
    frmMass w(app.path(), &platform);
    QCOMPARE(w.findChild<QLineEdit *>("txtCTAURL")->text(), QStringLiteral("http://"));
    QVERIFY(w.findChild<QLineEdit *>("txtAdTitle")->text().isEmpty());
    int named = 0;
    for (const QLabel *label : w.findChildren<QLabel *>()) {
        if (label->text() == u"Title:" && label->buddy() == w.findChild<QWidget *>("txtAdTitle"))
            ++named;
        if (label->text() == u"Call to Action Button Url:"
            && label->buddy() == w.findChild<QWidget *>("txtCTAURL"))
            ++named;
    }
    QCOMPARE(named, 2);
}

void CreateCommandTest::create_showsOnlyTheFirstMissingInfo()
{
    Fixture f;
    f.window.findChild<QLineEdit *>("txtCTAURL")->clear();
    f.create();
    QCOMPARE(f.platform.messages.size(), 1);
    QCOMPARE(f.platform.messages[0].text, QStringLiteral("Please select one or more articles first."));
    QCOMPARE(f.platform.messages[0].title, QStringLiteral("Missing Info"));
    QCOMPARE(f.platform.messages[0].icon, Platform::Icon::Information);
    QVERIFY(QDir(f.output({})).isEmpty());
}

void CreateCommandTest::create_refusesUnsafeSingleName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("named"); // what the message must show
    QTest::newRow("leads elsewhere") << QStringLiteral("../escape") << QStringLiteral("/");
    // One byte short of a file name as ".html", two over as ".pdf".
    QTest::newRow("too long for a file name")
        << QString(253, u'n') << QString(253, u'n') + QStringLiteral(".pdf");
}

void CreateCommandTest::create_refusesUnsafeSingleName()
{
    QFETCH(QString, name);
    QFETCH(QString, named);
    Fixture f;
    f.addArticle(QStringLiteral("a.txt"), "text");
    f.selectAllArticles();
    f.fillAd();
    f.window.findChild<QLineEdit *>("txtPDFFilename")->setText(name);
    f.create();
    QCOMPARE(f.platform.messages.size(), 1);
    QCOMPARE(f.platform.messages[0].title, QStringLiteral("Invalid Name"));
    QVERIFY2(f.platform.messages[0].text.contains(named), qPrintable(f.platform.messages[0].text));
    QVERIFY(!QFileInfo::exists(f.app.file(QStringLiteral("bin/escape.pdf"))));
    QVERIFY(QDir(f.output({})).isEmpty());
    QVERIFY(!f.window.isRunning());
}

void CreateCommandTest::create_failedConversion_reportedNotReady()
{
    Fixture f;
    f.app.installFakeConverter("exit 0");
    f.addArticle(QStringLiteral("a.txt"), "text");
    f.selectAllArticles();
    f.fillAd();
    f.window.findChild<QLineEdit *>("txtPDFFilename")->setText(QStringLiteral("out"));
    f.platform.answers.enqueue(Platform::Answer::No);
    f.createAndWait();
    QVERIFY(f.platform.messages.last().text.contains(QStringLiteral("out.pdf")));
    QVERIFY(f.platform.messages.last().text.endsWith(
        QStringLiteral("Ready. Do you want to open the output folder?")));
    QVERIFY(f.platform.messages.last().text != QStringLiteral("Ready. Do you want to open the output folder?"));
}

void CreateCommandTest::create_missingConverterStopsBeforeWriting()
{
    const NoConverterOnPath noConverterOnPath;
    Fixture f(TestAppFolder::All & ~TestAppFolder::Converter);
    f.app.writeFile(QStringLiteral("bin/old.html"), "page of an earlier run");
    f.addArticle(QStringLiteral("a.txt"), "text");
    f.selectAllArticles();
    f.fillAd();
    f.chooseBulk();
    f.create();
    QCOMPARE(f.platform.messages.size(), 1);
    QVERIFY(f.platform.messages[0].text.contains(f.app.file(QStringLiteral("bin/wkhtmltopdf"))));
    QVERIFY(f.platform.messages[0].text.contains(QStringLiteral("apt-get install wkhtmltopdf")));
    QCOMPARE(QDir(f.app.file(QStringLiteral("bin"))).entryList({"*.html"}),
             (QStringList{QStringLiteral("old.html"), QStringLiteral("template.html")}));
    QVERIFY(f.window.findChild<QPushButton *>("cmdCreate")->isEnabled());
    QVERIFY(f.window.findChild<QLabel *>("lblPleaseWait")->isHidden());
}

void CreateCommandTest::create_refusedWhileAnotherRunHoldsTheFolder()
{
    Fixture f;
    f.app.installFakeConverter("write_pdf \"$1\" \"$2\"");
    const QString oldPage = f.app.writeFile(QStringLiteral("bin/old.html"), "other run's page");
    f.addArticle(QStringLiteral("a.txt"), "text");
    f.selectAllArticles();
    f.fillAd();
    f.chooseBulk();
    {
        QLockFile otherRun(f.app.file(QStringLiteral("bin/.paperwake-run.lock")));
        QVERIFY(otherRun.tryLock(0));
        f.create();
        QCOMPARE(f.platform.messages.size(), 1);
        QCOMPARE(f.platform.messages[0].title, QStringLiteral("Error"));
        QVERIFY(f.platform.messages[0].text.contains(QStringLiteral("Another run")));
        QCOMPARE(readBytes(oldPage), QByteArray("other run's page"));
        QVERIFY(!QFileInfo::exists(f.output(QStringLiteral("a.pdf"))));
    }
    // Once the other run is over, Create works again.
    f.platform.answers.enqueue(Platform::Answer::No);
    f.createAndWait();
    QVERIFY(QFileInfo::exists(f.output(QStringLiteral("a.pdf"))));
}

void CreateCommandTest::bulkRun_realConverter_pdfPerArticleAndReady()
{
    Fixture f;
    f.addArticle(QStringLiteral("first_one.txt"), "Alpha article about gardens.");
    f.addArticle(QStringLiteral("Second.txt"), "Bravo article about rivers.");
    f.addArticle(QStringLiteral("third.old.txt"), "Charlie article about mountains.");
    f.selectAllArticles();
    f.fillAd();
    f.chooseBulk();
    bool buttonsDisabledDuringRun = false;
    f.platform.onMessage = [&](const RecordingPlatform::Message &) {
        buttonsDisabledDuringRun = !f.window.findChild<QPushButton *>("cmdCreate")->isEnabled();
    };
    f.createAndWait();
    QVERIFY(!buttonsDisabledDuringRun); // restored before the closing prompt
    QCOMPARE(f.platform.messages.size(), 1);
    QCOMPARE(f.platform.messages[0].text, QStringLiteral("Ready. Do you want to open the output folder?"));
    QCOMPARE(f.platform.messages[0].title, QStringLiteral("Done"));
    QCOMPARE(f.platform.messages[0].buttons, Platform::Buttons::YesNo);
    QCOMPARE(f.platform.openedFolders, QStringList{f.output({}).chopped(1)});
    QCOMPARE(f.window.sFolder, f.output({}).chopped(1));

    const QStringList expected{"first-one.pdf", "Second.pdf", "third.old.pdf"};
    const QStringList articles{"Alpha", "Bravo", "Charlie"};
    for (int i = 0; i < 3; ++i) {
        const QString text = pdfText(f.output(expected[i]));
        QVERIFY2(text.contains(QStringLiteral("Grab The Deal")), qPrintable(expected[i]));
        QVERIFY(text.contains(QStringLiteral("Click Here Now")));
        for (int j = 0; j < 3; ++j)
            QCOMPARE(text.contains(articles[j]), i == j);
    }
    auto *label = f.window.findChild<QLabel *>("lblPleaseWait");
    QCOMPARE(label->text(), QStringLiteral("Ready."));
    QVERIFY(!label->isHidden());
    QVERIFY(!f.window.findChild<QTimer *>("tmrPleaseWait")->isActive());
}

void CreateCommandTest::bulkRun_keywordNamesCycle()
{
    Fixture f;
    // The PDF holds the page's path, so the test can tell which article it came from.
    f.app.installFakeConverter(
        "t=$(mktemp); printf '%s' \"$1\" > \"$t\"; write_pdf \"$t\" \"$2\"; rm -f \"$t\"");
    for (int i = 1; i <= 5; ++i)
        f.addArticle(QStringLiteral("a%1.txt").arg(i), QByteArray::number(i));
    f.selectAllArticles();
    f.fillAd();
    f.chooseBulk();
    f.window.findChild<QRadioButton *>("optFilename_1")->click();
    // Names come from the applied final list.
    auto *finalList = f.window.findChild<QPlainTextEdit *>("txtFinalList");
    finalList->setPlainText(QStringLiteral("best dog food\nbest  cat\na - b"));
    f.window.keywordNames()->txtFinalList_KeyUp(Qt::Key_Return, {});
    // Later PDFs will replace earlier ones: asked first, and No changes nothing.
    f.platform.answers.enqueue(Platform::Answer::No);
    f.create();
    QCOMPARE(f.platform.messages.size(), 1);
    const RecordingPlatform::Message question = f.platform.messages.takeFirst();
    QCOMPARE(question.title, QStringLiteral("Please Confirm"));
    QCOMPARE(question.buttons, Platform::Buttons::YesNo);
    QCOMPARE(question.icon, Platform::Icon::Question);
    QVERIFY2(question.text.contains(QStringLiteral("5 articles")) &&
                 question.text.contains(QStringLiteral("3 different PDF names")) &&
                 question.text.contains(QStringLiteral("2 PDFs will replace")),
             qPrintable(question.text));
    QVERIFY(!f.window.isRunning());
    QCOMPARE(QDir(f.app.file(QStringLiteral("bin"))).entryList({QStringLiteral("*.html")}),
             QStringList{QStringLiteral("template.html")});
    QVERIFY(QDir(f.output({})).isEmpty());

    // Yes runs as before; No to the closing question.
    f.platform.answers.enqueue(Platform::Answer::Yes);
    f.platform.answers.enqueue(Platform::Answer::No);
    // While the closing question waits, another run (say from the command line) may start.
    bool folderFreeAtPrompt = false;
    f.platform.onMessage = [&](const RecordingPlatform::Message &) {
        QLockFile lock(f.app.file(QStringLiteral("bin/.paperwake-run.lock")));
        folderFreeAtPrompt = lock.tryLock(0);
    };
    f.createAndWait();
    QCOMPARE(f.platform.messages.size(), 2);
    QVERIFY(folderFreeAtPrompt);
    // The closing question names the PDFs that later articles replaced.
    QCOMPARE(f.platform.messages.last().text,
             QStringLiteral("Several articles went to one PDF name; each replaced the one before:\n"
                            "best-dog-food.pdf: made from 2 articles; the last one is kept\n"
                            "best-cat.pdf: made from 2 articles; the last one is kept\n\n"
                            "Ready. Do you want to open the output folder?"));
    QVERIFY(f.platform.openedFolders.isEmpty());
    QStringList pdfs = QDir(f.output({})).entryList(QDir::Files);
    pdfs.sort();
    QCOMPARE(pdfs, (QStringList{"a--b.pdf", "best-cat.pdf", "best-dog-food.pdf"}));
    // The fourth and fifth articles replaced the first two names.
    QVERIFY(fakePdfPage(f.output("best-dog-food.pdf")).endsWith("/a4.html"));
    QVERIFY(fakePdfPage(f.output("best-cat.pdf")).endsWith("/a5.html"));
    QVERIFY(fakePdfPage(f.output("a--b.pdf")).endsWith("/a3.html"));
}

void CreateCommandTest::singleRun_realConverter_joinsArticlesUnderTypedName()
{
    Fixture f;
    f.addArticle(QStringLiteral("b.txt"), "Zulu comes first because it was added first.");
    f.addArticle(QStringLiteral("a.txt"), "Yankee comes second.");
    f.window.articleBrowser()->setFolder(f.app.file(QStringLiteral("articles")));
    auto *files = f.window.findChild<QListWidget *>("File1");
    files->setCurrentRow(1); // b.txt
    f.window.articleBrowser()->cmdSingleMenu_Click(2);
    files->setCurrentRow(0); // a.txt
    f.window.articleBrowser()->cmdSingleMenu_Click(2);
    f.fillAd();
    f.window.findChild<QLineEdit *>("txtPDFFilename")->setText(QStringLiteral("my report"));
    f.platform.answers.enqueue(Platform::Answer::No);
    f.createAndWait();
    QCOMPARE(f.window.findChild<QLineEdit *>("txtPDFFilename")->text(), QStringLiteral("my-report"));
    QCOMPARE(f.platform.messages.last().text, QStringLiteral("Ready. Do you want to open the output folder?"));
    const QString text = pdfText(f.output("my-report.pdf"));
    QVERIFY(text.contains(QStringLiteral("Grab The Deal")));
    QVERIFY(text.indexOf(QStringLiteral("Zulu")) >= 0);
    QVERIFY(text.indexOf(QStringLiteral("Zulu")) < text.indexOf(QStringLiteral("Yankee")));
    QVERIFY(QFileInfo::exists(f.app.file(QStringLiteral("bin/my-report.html"))));
    QVERIFY(f.window.findChild<QLabel *>("lblPleaseWait")->isHidden());
}

void CreateCommandTest::closingWindow_duringRun_stopsConverters()
{
    Fixture f;
    const QString marker = f.app.file(QStringLiteral("converter.pid"));
    f.app.installFakeConverter(QStringLiteral("echo $$ > '%1'; sleep 30; printf '%%PDF' > \"$2\"")
                                   .arg(marker)
                                   .toUtf8());
    f.addArticle(QStringLiteral("a.txt"), "text");
    f.selectAllArticles();
    f.fillAd();
    f.chooseBulk();
    f.window.show();
    f.create();
    QVERIFY(f.window.isRunning());
    QTRY_VERIFY_WITH_TIMEOUT(!readBytes(marker).trimmed().isEmpty(), 10000);
    f.window.close();
    QTRY_VERIFY_WITH_TIMEOUT(!f.window.isRunning(), 10000);
    const QByteArray pid = readBytes(marker).trimmed();
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(QStringLiteral("/proc/") + QString::fromLatin1(pid)), 5000);
    QVERIFY(!QFileInfo::exists(f.output("a.pdf")));
    QVERIFY(QDir(f.output({})).entryList(QDir::Files | QDir::Hidden).isEmpty());
    // No closing prompt for a run the user ended by closing the window.
    QVERIFY(f.platform.messages.isEmpty());
}

void CreateCommandTest::stop_duringBulkRun_keepsMadeAndEarlierPdfs()
{
    Fixture f;
    const QString pids = f.app.file(QStringLiteral("converters.pid"));
    // The first two articles convert at once; the others begin their PDF and hang.
    f.app.installFakeConverter(
        QStringLiteral("case \"$1\" in *a1.html|*a2.html) write_pdf \"$1\" \"$2\"; exit ;; esac\n"
                       "echo $$ >> '%1'; printf '%%PDF' > \"$2\"; exec sleep 60")
            .arg(pids)
            .toUtf8());
    for (int i = 1; i <= 6; ++i)
        f.addArticle(QStringLiteral("a%1.txt").arg(i), "words");
    // Earlier runs' PDFs: one of a name this run is converting when stopped, one of another.
    const QString earlier = f.app.writeFile(QStringLiteral("bin/output/a3.pdf"), "%PDF earlier a3");
    const QString other = f.app.writeFile(QStringLiteral("bin/output/old.pdf"), "%PDF old");
    f.selectAllArticles();
    f.fillAd();
    f.chooseBulk();
    f.window.show();
    f.platform.answers.enqueue(Platform::Answer::No);
    f.create();
    auto *stop = f.window.findChild<QPushButton *>("cmdStop");
    QVERIFY(stop->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(f.output("a1.pdf")) &&
                                 QFileInfo::exists(f.output("a2.pdf")) &&
                                 !readBytes(pids).isEmpty(),
                             20000);
    stop->click();
    QTRY_VERIFY_WITH_TIMEOUT(!f.window.isRunning(), 10000);

    QStringList left = QDir(f.output({})).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    QCOMPARE(left, (QStringList{"a1.pdf", "a2.pdf", "a3.pdf", "old.pdf"}));
    QCOMPARE(readBytes(earlier), QByteArray("%PDF earlier a3"));
    QCOMPARE(readBytes(other), QByteArray("%PDF old"));
    QVERIFY(qpdfCheckPasses(f.output("a1.pdf")));
    for (const QByteArray &pid : readBytes(pids).split('\n'))
        if (!pid.trimmed().isEmpty())
            QTRY_VERIFY_WITH_TIMEOUT(
                !QFileInfo::exists(QStringLiteral("/proc/") + QString::fromLatin1(pid.trimmed())),
                5000);
    // The closing question tells how far the run came; what the stop ended is no failure.
    QCOMPARE(f.platform.messages.size(), 1);
    const QString said = f.platform.messages[0].text;
    QVERIFY2(said.contains(QStringLiteral("stopped")) && said.contains(QStringLiteral("2 PDFs")) &&
                 !said.contains(QStringLiteral("a3.pdf")),
             qPrintable(said));
    QVERIFY(stop->isHidden());
    QVERIFY(f.window.findChild<QPushButton *>("cmdCreate")->isEnabled());
}

void CreateCommandTest::stop_escapeEndsTheRun()
{
    Fixture f;
    f.app.installFakeConverter("exec sleep 60");
    f.addArticle(QStringLiteral("a.txt"), "words");
    f.selectAllArticles();
    f.fillAd();
    f.chooseBulk();
    f.window.show();
    f.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    f.platform.answers.enqueue(Platform::Answer::No);
    f.create();
    QVERIFY(f.window.isRunning());
    QTest::keyClick(f.window.findChild<QWidget *>("lstSelectedArticles"), Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!f.window.isRunning(), 10000);
    QCOMPARE(f.platform.messages.size(), 1);
    // Without a run Esc does nothing.
    QTest::keyClick(f.window.findChild<QWidget *>("lstSelectedArticles"), Qt::Key_Escape);
    QCOMPARE(f.platform.messages.size(), 1);
}

void CreateCommandTest::busyCaption_showsOnEveryRun()
{
    Fixture f;
    // Slow enough for several blinks.
    f.app.installFakeConverter("sleep 1.5; write_pdf \"$1\" \"$2\"");
    f.addArticle(QStringLiteral("a.txt"), "words");
    f.selectAllArticles();
    f.fillAd();
    f.window.findChild<QLineEdit *>("txtPDFFilename")->setText(QStringLiteral("all"));
    auto *label = f.window.findChild<QLabel *>("lblPleaseWait");
    // Bulk twice, then one PDF of all after a bulk run.
    for (bool bulk : {true, true, false}) {
        f.window.findChild<QRadioButton *>(bulk ? "optCreationMode_1" : "optCreationMode_0")->click();
        f.platform.answers.enqueue(Platform::Answer::No);
        f.create();
        QVERIFY(f.window.isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(label->isHidden(), 1000);
        QTRY_VERIFY_WITH_TIMEOUT(!label->isHidden(), 1000);
        QVERIFY(f.window.isRunning());
        QVERIFY2(label->text().startsWith(QStringLiteral("Please Wait")), qPrintable(label->text()));
        QTRY_VERIFY_WITH_TIMEOUT(!f.window.isRunning(), 20000);
    }
}

void CreateCommandTest::refusal_showsThePageAndFocusesTheField_data()
{
    QTest::addColumn<QString>("refused"); // what is missing or wrong
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("field");
    QTest::newRow("no articles") << "articles" << 0 << "File1";
    QTest::newRow("no ad title") << "txtAdTitle" << 1 << "txtAdTitle";
    QTest::newRow("no button text") << "txtCTAText" << 1 << "txtCTAText";
    QTest::newRow("invalid address") << "address" << 1 << "txtCTAURL";
    QTest::newRow("no keyword names") << "keywords" << 2 << "txtPDFKeywords";
    QTest::newRow("no single name") << "txtPDFFilename" << 2 << "txtPDFFilename";
    QTest::newRow("unusable single name") << "name" << 2 << "txtPDFFilename";
}

void CreateCommandTest::refusal_showsThePageAndFocusesTheField()
{
    QFETCH(QString, refused);
    QFETCH(int, page);
    QFETCH(QString, field);
    Fixture f;
    f.addArticle(QStringLiteral("a.txt"), "words");
    if (refused != u"articles")
        f.selectAllArticles();
    f.fillAd();
    f.window.findChild<QLineEdit *>("txtPDFFilename")->setText(QStringLiteral("fine"));
    if (refused.startsWith(u"txt"))
        f.window.findChild<QLineEdit *>(refused)->clear();
    if (refused == u"address")
        f.window.findChild<QLineEdit *>("txtCTAURL")->setText(QStringLiteral("http://"));
    if (refused == u"name")
        f.window.findChild<QLineEdit *>("txtPDFFilename")->setText(QStringLiteral("a/b"));
    if (refused == u"keywords") {
        f.chooseBulk();
        f.window.findChild<QRadioButton *>("optFilename_1")->click();
    }
    f.window.show();
    f.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    // Create is pressed from another page than the field's.
    f.window.ShowPage(page == 2 ? 0 : 2);
    f.window.cmdCreate_Click();
    QCOMPARE(f.platform.messages.size(), 1);
    QVERIFY(!f.window.isRunning());
    for (int i = 0; i < 3; ++i)
        QCOMPARE(f.window.findChild<QGroupBox *>(QStringLiteral("frPage_%1").arg(i))->isHidden(),
                 i != page);
    QTRY_COMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(),
                 field);
}

void CreateCommandTest::modalBox_duringRun_conversionsGoOn()
{
    Fixture f;
    const QString log = f.app.file(QStringLiteral("starts.log"));
    // Slow enough that most conversions start after the box has opened.
    f.app.installFakeConverter(QStringLiteral("echo start >> '%1'; sleep 0.3; "
                                              "write_pdf \"$1\" \"$2\"")
                                   .arg(log)
                                   .toUtf8());
    for (int i = 1; i <= 24; ++i)
        f.addArticle(QStringLiteral("a%1.txt").arg(i), "text");
    f.selectAllArticles();
    f.fillAd();
    f.chooseBulk();
    f.window.show();
    f.platform.answers.enqueue(Platform::Answer::No);
    f.create();
    QTRY_VERIFY_WITH_TIMEOUT(readBytes(log).count("start") >= 1, 10000);

    int startsWhenOpened = -1;
    int startsWhenClosed = -1;
    QMessageBox box(QMessageBox::Information, QStringLiteral("Missing Info"),
                    QStringLiteral("Please select a file first."), QMessageBox::Ok, &f.window);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &box, [&] {
        const int starts = int(readBytes(log).count("start"));
        if (startsWhenOpened < 0)
            startsWhenOpened = starts;
        // Kept open until three more conversions have started, or for ten seconds at most.
        if (starts >= startsWhenOpened + 3 || !f.window.isRunning()) {
            startsWhenClosed = starts;
            box.done(QMessageBox::Ok);
        }
    });
    QTimer::singleShot(10000, &box, [&] { box.done(QMessageBox::Ok); });
    poll.start(20);
    box.exec();
    poll.stop();
    QVERIFY2(startsWhenClosed >= startsWhenOpened + 3,
             qPrintable(QStringLiteral("%1 started before the box, %2 when it closed")
                            .arg(startsWhenOpened)
                            .arg(startsWhenClosed)));
    QTRY_VERIFY_WITH_TIMEOUT(!f.window.isRunning(), 60000);
    QCOMPARE(QDir(f.output({})).entryList({QStringLiteral("*.pdf")}).size(), 24);
}

void CreateCommandTest::fillerArticle_savedFromGenerator_becomesAPdf()
{
    Fixture f;
    f.window.articleBrowser()->setFolder(f.app.file(QStringLiteral("articles")));
    f.window.show();
    QString generated;
    bool drove = false;
    // The generator is modal: drive it from inside its own event loop.
    QTimer::singleShot(0, &f.window, [&] {
        auto *rc = qobject_cast<frmRC *>(QApplication::activeModalWidget());
        if (!rc) {
            if (QWidget *other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        rc->findChild<QComboBox *>("cboParagraphs")->setCurrentText(QStringLiteral("0"));
        rc->Command1_Click();
        QTRY_VERIFY_WITH_TIMEOUT(!rc->isGenerating(), 60000);
        generated = rc->generatedText();
        rc->findChild<QLineEdit *>("txtFilename")->setText(QStringLiteral("filler"));
        rc->cmdSave_Click();
        drove = true;
        rc->cmdClose_Click();
    });
    f.window.mnuDummy_Click();
    QVERIFY(drove);
    QCOMPARE(f.platform.messages.last().text, QStringLiteral("Done! You can now close this window."));

    // The new file is listed at once and can be chosen as an article.
    auto *files = f.window.findChild<QListWidget *>("File1");
    const auto found = files->findItems(QStringLiteral("filler.txt"), Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    files->setCurrentItem(found.first());
    f.window.articleBrowser()->cmdSingleMenu_Click(2);
    f.fillAd();
    f.chooseBulk();
    f.platform.answers.enqueue(Platform::Answer::No);
    f.createAndWait();
    QCOMPARE(f.platform.messages.last().text, QStringLiteral("Ready. Do you want to open the output folder?"));
    const QString text = pdfText(f.output(QStringLiteral("filler.pdf")));
    const QString firstWord = generated.section(u' ', 0, 0);
    QVERIFY(!firstWord.isEmpty());
    QVERIFY2(text.contains(firstWord), qPrintable(firstWord));
}

QTEST_MAIN(CreateCommandTest)
#include "tst_create_command.moc"
