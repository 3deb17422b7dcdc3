#include "article_folder_access.h"
#include "frm_rc.h"
#include "recording_platform.h"
#include "test_app_folder.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

namespace {

// The main window's browser: a real folder whose file list is read again on each refresh.
struct FakeBrowser : ArticleFolderAccess
{
    QString path;
    int refreshes = 0;
    QStringList files;

    QString folder() const override { return QDir::toNativeSeparators(path); }
    void refreshFiles() override
    {
        ++refreshes;
        files = QDir(path).entryList({QStringLiteral("*.txt")}, QDir::Files);
    }
};

const QString kCaption = QStringLiteral("Random Content Generator");

// Words of the text that came from the word lists, keywords left out.
int listWordCount(const QString &text, const QStringList &keywords = {})
{
    static const QRegularExpression gaps(QStringLiteral("[ \r]+"));
    int count = 0;
    for (const QString &piece : text.split(gaps, Qt::SkipEmptyParts))
        count += piece != u"." && !keywords.contains(piece);
    return count;
}

QByteArray asSaved(const QString &text)
{
    return QString(text).replace(QStringLiteral("\r"), QStringLiteral("\r\n")).toUtf8();
}

} // namespace

class FrmRcTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void load_controlsAndWordLists();
    void generate_data();
    void generate();
    void generate_above50AsksAndNoChangesNothing();
    void generate_refusesBadPageCountOrWordList_data();
    void generate_refusesBadPageCountOrWordList();
    void keywords_collectedAcrossRunsOfOneOpening();
    void caption_alternatesWhileTimerTicks();
    void closeDuringRun_stopsTheRun_data();
    void closeDuringRun_stopsTheRun();
    void close_asksOnlyWhenTextWasNeverSaved_data();
    void close_asksOnlyWhenTextWasNeverSaved();
    void save_missingInfoInOrder();
    void save_refusesUnsafeNames_data();
    void save_refusesUnsafeNames();
    void save_writesUtf8CrLfAndRefreshesFileList();
    void save_failureShowsReasonAndNoDone();
    void save_overAnotherFile_asksFirst();

private:
    std::unique_ptr<TestAppFolder> app;
    std::unique_ptr<QTemporaryDir> articles;
    FakeBrowser browser;
    RecordingPlatform platform;
    std::unique_ptr<frmRC> w;

    template <typename T = QPushButton> T *child(const char *name)
    {
        T *found = w->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    // Clicks Generate and waits until the text has come back from the worker.
    void generate(const QString &pages)
    {
        child<QComboBox>("cboParagraphs")->setEditText(pages);
        child("Command1")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w->isGenerating(), 120000);
    }
    bool idle()
    {
        return child("Command1")->isEnabled() && child("cmdSave")->isEnabled() &&
               child("cmdClose")->isEnabled() && !child<QTimer>("tmrPleaseWait")->isActive() &&
               w->windowTitle() == kCaption && !w->isGenerating();
    }
};

void FrmRcTest::init()
{
    app = std::make_unique<TestAppFolder>(0);
    for (int k = 1; k <= 5; ++k)
        app->writeFile(QStringLiteral("random/%1.txt").arg(k), "a\r\nb\r\nc\r\nd\r\n");
    articles = std::make_unique<QTemporaryDir>();
    browser = FakeBrowser();
    browser.path = articles->path();
    platform = RecordingPlatform();
    w = std::make_unique<frmRC>(app->path(), &platform, &browser);
}

void FrmRcTest::load_controlsAndWordLists()
{
    QCOMPARE(w->windowTitle(), kCaption);
    QVERIFY(w->isModal());
    const QList<std::pair<const char *, QString>> labels = {
        {"Label1", "Number of Pages (Estimated):"},
        {"Label2", "Save as "},
        {"Label3", ".txt"},
        {"Label6", "Comment: The software generates random content (not readable) but may help "
                   "you to increase the size of a PDF. "},
        {"Label4", "Randomly Add Some of the Following Keywords to the Content (Optional):"},
        {"Label5", "Please enter 1 keyword per line."}};
    for (const auto &[name, caption] : labels)
        QCOMPARE(child<QLabel>(name)->text(), caption);
    QCOMPARE(child("Command1")->text(), QStringLiteral("Generate"));
    QCOMPARE(child("cmdSave")->text(), QStringLiteral("Save File"));
    QCOMPARE(child("cmdClose")->text(), QStringLiteral("Close"));

    auto *pages = child<QComboBox>("cboParagraphs");
    QVERIFY(pages->isEditable());
    QCOMPARE(pages->count(), 200);
    QCOMPARE(pages->itemText(199), QStringLiteral("200"));
    QCOMPARE(pages->currentText(), QStringLiteral("10"));
    QCOMPARE(child<QLabel>("Label1")->buddy(), pages);
    QCOMPARE(child<QLabel>("Label2")->buddy(), child<QLineEdit>("txtFilename"));
    QCOMPARE(child<QLabel>("Label4")->buddy(), child<QPlainTextEdit>("txtKeywords"));
    QCOMPARE(child<QPlainTextEdit>("RichTextBox1")->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(child<QTimer>("tmrPleaseWait")->interval(), 500);
    QVERIFY(idle());
    QCOMPARE(w->lstContent[4], (QStringList{"a", "b", "c", "d"}));
}

void FrmRcTest::generate_data()
{
    QTest::addColumn<QString>("pages");
    QTest::addColumn<int>("listWords");
    QTest::newRow("preset 10") << "10" << 1100;
    QTest::newRow("0") << "0" << 100;
    QTest::newRow("50 asks nothing") << "50" << 5100;
}

void FrmRcTest::generate()
{
    QFETCH(QString, pages);
    QFETCH(int, listWords);
    bool checkedDuringRun = false;
    // Posted before the run, handled while the worker generates.
    QTimer::singleShot(0, this, [&] {
        checkedDuringRun = w->isGenerating() && !child("Command1")->isEnabled() &&
                           !child("cmdSave")->isEnabled() && !child("cmdClose")->isEnabled() &&
                           child<QTimer>("tmrPleaseWait")->isActive();
        w->Command1_Click(); // ignored while running
    });
    generate(pages);

    QVERIFY(checkedDuringRun);
    QVERIFY(platform.messages.isEmpty());
    const QString text = w->generatedText();
    QCOMPARE(listWordCount(text), listWords);
    QCOMPARE(text.count(QStringLiteral("\r\r")), listWords / 25);
    QCOMPARE(child<QPlainTextEdit>("RichTextBox1")->toPlainText(),
             QString(text).replace(u'\r', u'\n'));
    QVERIFY(idle());
}

void FrmRcTest::generate_above50AsksAndNoChangesNothing()
{
    generate(QStringLiteral("1"));
    const QString before = w->generatedText();
    child<QPlainTextEdit>("txtKeywords")->setPlainText(QStringLiteral("kw"));
    platform.answers << Platform::Answer::No << Platform::Answer::Yes;

    generate(QStringLiteral("51"));
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].text,
             QStringLiteral("Please notice that generating over 50 pages "
                            "will take from 2 to 5 minutes. Want to go on?"));
    QCOMPARE(platform.messages[0].title, QStringLiteral("Please Confirm"));
    QCOMPARE(platform.messages[0].buttons, Platform::Buttons::YesNo);
    QCOMPARE(platform.messages[0].icon, Platform::Icon::Question);
    QCOMPARE(w->generatedText(), before);
    QVERIFY(w->lstRandomKeywords.isEmpty());
    QVERIFY(idle());

    child("Command1")->click(); // Yes
    QTRY_VERIFY_WITH_TIMEOUT(!w->isGenerating(), 120000);
    QCOMPARE(listWordCount(w->generatedText(), {"kw"}), 5200);
}

void FrmRcTest::generate_refusesBadPageCountOrWordList_data()
{
    QTest::addColumn<QString>("pages");
    QTest::addColumn<QString>("message"); // a part of it
    const QString count = QStringLiteral("whole number from 0 to 32767");
    QTest::newRow("text") << "many" << count;
    QTest::newRow("negative") << "-3" << count;
    QTest::newRow("too large") << "32768" << count;
    QTest::newRow("empty") << "" << count;
    QTest::newRow("empty word list")
        << "empty list" << QStringLiteral("random") + QDir::separator() + "3.txt";
}

void FrmRcTest::generate_refusesBadPageCountOrWordList()
{
    QFETCH(QString, pages);
    QFETCH(QString, message);
    if (pages == u"empty list") {
        app->writeFile(QStringLiteral("random/3.txt"), "\r\n");
        QFile::remove(app->file(QStringLiteral("random/4.txt")));
        w = std::make_unique<frmRC>(app->path(), &platform, &browser);
        QVERIFY(platform.messages.isEmpty()); // loading does not complain
        pages = QStringLiteral("10");
    }
    child<QPlainTextEdit>("txtKeywords")->setPlainText(QStringLiteral("kw"));
    generate(pages);

    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].title, QStringLiteral("Missing Info"));
    QVERIFY2(platform.messages[0].text.contains(message), qPrintable(platform.messages[0].text));
    QVERIFY(w->generatedText().isEmpty());
    QVERIFY(w->lstRandomKeywords.isEmpty());
    QVERIFY(idle());
}

void FrmRcTest::keywords_collectedAcrossRunsOfOneOpening()
{
    auto *keywords = child<QPlainTextEdit>("txtKeywords");
    keywords->setPlainText(QStringLiteral("alpha\n\nbeta\n"));
    generate(QStringLiteral("2"));
    QCOMPARE(w->lstRandomKeywords, (QStringList{"alpha", "beta"}));

    // An emptied box keeps using what earlier runs collected.
    keywords->clear();
    generate(QStringLiteral("2"));
    QCOMPARE(w->lstRandomKeywords, (QStringList{"alpha", "beta"}));
    QCOMPARE(listWordCount(w->generatedText(), {"alpha", "beta"}), 300);
    QCOMPARE(w->generatedText().count(QRegularExpression(QStringLiteral(" (alpha|beta) "))), 12);

    keywords->setPlainText(QStringLiteral("alpha"));
    generate(QStringLiteral("2"));
    QCOMPARE(w->lstRandomKeywords, (QStringList{"alpha", "beta", "alpha"}));
}

void FrmRcTest::caption_alternatesWhileTimerTicks()
{
    const QString working = kCaption + QStringLiteral(" (Working, Please Wait ...");
    auto *timer = child<QTimer>("tmrPleaseWait");
    timer->start();
    QTRY_COMPARE_WITH_TIMEOUT(w->windowTitle(), working + QStringLiteral("..)"), 2000);
    QTRY_COMPARE_WITH_TIMEOUT(w->windowTitle(), working + QStringLiteral("....)"), 2000);
    QTRY_COMPARE_WITH_TIMEOUT(w->windowTitle(), working + QStringLiteral("..)"), 2000);
    timer->stop();

    // A run puts the plain caption back; the dots' state stays with the open window.
    const QString tag = w->Tag;
    generate(QStringLiteral("0"));
    QCOMPARE(w->windowTitle(), kCaption);
    QCOMPARE(w->Tag, tag);
}

void FrmRcTest::closeDuringRun_stopsTheRun_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("title bar") << "close";
    QTest::newRow("Escape key") << "escape";
    QTest::newRow("window destroyed") << "delete";
}

void FrmRcTest::closeDuringRun_stopsTheRun()
{
    QFETCH(QString, how);
    // Long enough that only a stop ends it quickly; the question is answered Yes.
    child<QComboBox>("cboParagraphs")->setEditText(QStringLiteral("32767"));
    bool closedDuringRun = false;
    QTimer::singleShot(0, this, [&] {
        QTimer::singleShot(0, this, [&] { // handled while the worker generates
            closedDuringRun = w->isGenerating();
            if (how == u"close")
                w->close();
            else if (how == u"escape")
                QTest::keyClick(w.get(), Qt::Key_Escape);
            else
                w.reset();
        });
        frmRC *window = w.get();
        window->Command1_Click();
    });
    if (how == u"delete") {
        w->show();
        QTRY_VERIFY(!w);
        QVERIFY(closedDuringRun);
        return;
    }
    QCOMPARE(w->exec(), int(QDialog::Rejected));
    QVERIFY(closedDuringRun);
    QVERIFY(w->generatedText().isEmpty());
    QVERIFY(idle());
}

void FrmRcTest::close_asksOnlyWhenTextWasNeverSaved_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("before"); // what happened to the text first
    QTest::addColumn<QList<Platform::Answer>>("answers");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("closes");
    using A = Platform::Answer;
    QTest::newRow("nothing generated, Escape") << "escape"
                                               << "" << QList<A>{} << false << true;
    QTest::newRow("generated, Escape, No") << "escape"
                                           << "generate" << QList<A>{A::No} << true << false;
    QTest::newRow("generated, Escape, Yes") << "escape"
                                            << "generate" << QList<A>{A::Yes} << true << true;
    QTest::newRow("generated, Close, No") << "button"
                                          << "generate" << QList<A>{A::No} << true << false;
    QTest::newRow("generated, title bar, No") << "close"
                                              << "generate" << QList<A>{A::No} << true << false;
    QTest::newRow("saved, Escape") << "escape"
                                   << "save" << QList<A>{} << false << true;
    QTest::newRow("edited after saving, Close, No")
        << "button"
        << "edit after save" << QList<A>{A::No} << true << false;
}

void FrmRcTest::close_asksOnlyWhenTextWasNeverSaved()
{
    QFETCH(QString, how);
    QFETCH(QString, before);
    QFETCH(QList<Platform::Answer>, answers);
    QFETCH(bool, asked);
    QFETCH(bool, closes);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    auto *box = child<QPlainTextEdit>("RichTextBox1");
    if (!before.isEmpty())
        generate(QStringLiteral("1"));
    if (before.contains(u"save")) {
        child<QLineEdit>("txtFilename")->setText(QStringLiteral("kept"));
        child("cmdSave")->click();
    }
    if (before.contains(u"edit"))
        box->appendPlainText(QStringLiteral("one more line"));
    const QString text = box->toPlainText();
    platform.messages.clear();
    for (Platform::Answer answer : answers)
        platform.answers.enqueue(answer);

    if (how == u"escape")
        QTest::keyClick(w.get(), Qt::Key_Escape);
    else if (how == u"button")
        child("cmdClose")->click();
    else
        w->close();

    QCOMPARE(platform.messages.size(), asked ? 1 : 0);
    if (asked) {
        QCOMPARE(platform.messages[0].title, QStringLiteral("Please Confirm"));
        QCOMPARE(platform.messages[0].buttons, Platform::Buttons::YesNo);
    }
    QCOMPARE(w->isVisible(), !closes);
    QCOMPARE(box->toPlainText(), text); // a window that stays keeps every word
}

void FrmRcTest::save_missingInfoInOrder()
{
    child("cmdSave")->click(); // neither text nor name: only the first message
    child<QLineEdit>("txtFilename")->setText(QStringLiteral("filler"));
    child("cmdSave")->click(); // a name but no text
    child<QLineEdit>("txtFilename")->clear();
    generate(QStringLiteral("0"));
    child("cmdSave")->click(); // text but no name

    const QString nothing = "There's nothing to save. Please generate some content first.";
    const QStringList expected = {nothing, nothing, "Please enter a name for the file."};
    QCOMPARE(platform.messages.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(platform.messages[i].text, expected[i]);
        QCOMPARE(platform.messages[i].title, QStringLiteral("Missing Info"));
    }
    QVERIFY(QDir(browser.path).isEmpty());
    QCOMPARE(browser.refreshes, 0);
}

void FrmRcTest::save_refusesUnsafeNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("named"); // what the message must show
    QTest::newRow("separator") << "sub/filler"
                               << "/";
    QTest::newRow("parent") << ".."
                            << "\"..\"";
    QTest::newRow("control character") << "a\tb"
                                       << "control character 9";
}

void FrmRcTest::save_refusesUnsafeNames()
{
    QFETCH(QString, name);
    QFETCH(QString, named);
    QDir(browser.path).mkdir(QStringLiteral("sub"));
    generate(QStringLiteral("0"));
    child<QLineEdit>("txtFilename")->setText(name);
    child("cmdSave")->click();

    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].title, QStringLiteral("Invalid Name"));
    QVERIFY2(platform.messages[0].text.contains(named), qPrintable(platform.messages[0].text));
    QVERIFY(QDir(browser.path).entryList(QDir::Files).isEmpty());
    QVERIFY(QDir(browser.path + QStringLiteral("/sub")).isEmpty());
    QVERIFY(!QFileInfo::exists(QFileInfo(browser.path).path() + QStringLiteral("/.txt")));
    QCOMPARE(browser.refreshes, 0);
}

void FrmRcTest::save_writesUtf8CrLfAndRefreshesFileList()
{
    child<QPlainTextEdit>("txtKeywords")->setPlainText(QStringLiteral("café"));
    generate(QStringLiteral("1"));
    child<QLineEdit>("txtFilename")->setText(QStringLiteral("notes.txt"));
    child("cmdSave")->click();

    const QString path = browser.path + QStringLiteral("/notes.txt.txt");
    const QByteArray bytes = readBytes(path);
    QCOMPARE(bytes, asSaved(w->generatedText()));
    QVERIFY(bytes.contains("caf\xc3\xa9"));
    QCOMPARE(bytes.count(". \r\n\r\n"), 8);
    QCOMPARE(bytes.count('\r'), bytes.count('\n'));
    QCOMPARE(browser.refreshes, 1);
    QCOMPARE(browser.files, QStringList{QStringLiteral("notes.txt.txt")});
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].text, QStringLiteral("Done! You can now close this window."));
    QCOMPARE(platform.messages[0].title, QStringLiteral("Done"));
    QCOMPARE(child<QLineEdit>("txtFilename")->text(), QStringLiteral("notes.txt"));
    QVERIFY(idle());

    // Saving again under the same name replaces the file without asking.
    generate(QStringLiteral("1"));
    child("cmdSave")->click();
    QCOMPARE(readBytes(path), asSaved(w->generatedText()));
    QCOMPARE(platform.messages.size(), 2);
    QCOMPARE(browser.refreshes, 2);

    // What the user typed into the box is what gets saved.
    auto *box = child<QPlainTextEdit>("RichTextBox1");
    box->moveCursor(QTextCursor::Start);
    box->insertPlainText(QStringLiteral("My own opening line.\n"));
    child("cmdSave")->click();
    QVERIFY(readBytes(path).startsWith("My own opening line.\r\n"));
    QCOMPARE(readBytes(path).mid(22), asSaved(w->generatedText()));
}

void FrmRcTest::save_failureShowsReasonAndNoDone()
{
    generate(QStringLiteral("0"));
    // A folder stands where the file should go; then the browsed folder has gone away.
    QDir(browser.path).mkdir(QStringLiteral("taken.txt"));
    child<QLineEdit>("txtFilename")->setText(QStringLiteral("taken"));
    child("cmdSave")->click();
    const QString gone = browser.path + QStringLiteral("/gone");
    browser.path = gone;
    child<QLineEdit>("txtFilename")->setText(QStringLiteral("filler"));
    child("cmdSave")->click();

    QCOMPARE(platform.messages.size(), 2);
    for (const auto &message : platform.messages) {
        QCOMPARE(message.title, QStringLiteral("Error"));
        // The path, then the system's reason below it.
        const QStringList lines = message.text.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[1].endsWith(QStringLiteral(".txt")));
        QVERIFY(!lines[2].trimmed().isEmpty());
    }
    QVERIFY(!QFileInfo::exists(gone));
    QCOMPARE(browser.refreshes, 0);
}

void FrmRcTest::save_overAnotherFile_asksFirst()
{
    const QString path = browser.path + QStringLiteral("/markup.txt");
    QFile mine(path);
    QVERIFY(mine.open(QIODevice::WriteOnly));
    mine.write("the user's article");
    mine.close();
    generate(QStringLiteral("0"));
    const QString text = child<QPlainTextEdit>("RichTextBox1")->toPlainText();
    child<QLineEdit>("txtFilename")->setText(QStringLiteral("markup"));

    platform.answers.enqueue(Platform::Answer::No);
    child("cmdSave")->click();
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].buttons, Platform::Buttons::YesNo);
    QCOMPARE(platform.messages[0].title, QStringLiteral("Please Confirm"));
    QVERIFY2(platform.messages[0].text.contains(QDir::toNativeSeparators(path)),
             qPrintable(platform.messages[0].text));
    QCOMPARE(readBytes(path), QByteArray("the user's article"));
    QCOMPARE(child<QPlainTextEdit>("RichTextBox1")->toPlainText(), text);
    QCOMPARE(browser.refreshes, 0);

    platform.answers.enqueue(Platform::Answer::Yes);
    child("cmdSave")->click();
    QCOMPARE(readBytes(path), asSaved(w->generatedText()));
    QCOMPARE(platform.messages.size(), 3); // the question, then Done
    QCOMPARE(platform.messages[2].title, QStringLiteral("Done"));
}

QTEST_MAIN(FrmRcTest)
#include "tst_frm_rc.moc"
