#include "article_browser.h"
#include "frm_mass.h"
#include "keyword_names.h"
#include "keyword_combinations.h"
#include "recording_platform.h"
#include "test_app_folder.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>

class KeywordNamesTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void combineKeywords_data();
    void combineKeywords();
    void keywordOfName_data();
    void keywordOfName();
    void combine_fillsFinalListAndInfo();
    void keywordLines_data();
    void keywordLines();
    void emptyKeywordBox_refusedAndNamesKept();
    void noPatternFile_emptyNamesWithoutMessage();
    void finalList_editsApplyOnEnterOnly();

private:
    // The window with a pattern file (or none) and an article folder of two articles.
    struct Window
    {
        TestAppFolder app{TestAppFolder::Bin};
        std::unique_ptr<frmMass> w;
        KeywordNames *names = nullptr;
        QPlainTextEdit *keywords = nullptr;
        QPlainTextEdit *finalBox = nullptr;
        QLabel *info = nullptr;

        Window(RecordingPlatform *platform, const QByteArray &patternFile)
        {
            if (!patternFile.isNull())
                app.writeFile(QStringLiteral("lstcombinations.txt"), patternFile);
            app.writeFile(QStringLiteral("articles/one.txt"), "1");
            app.writeFile(QStringLiteral("articles/two.txt"), "2");
            w = std::make_unique<frmMass>(app.path(), platform);
            w->articleBrowser()->setFolder(app.file(QStringLiteral("articles")));
            names = w->keywordNames();
            keywords = w->findChild<QPlainTextEdit *>("txtPDFKeywords");
            finalBox = w->findChild<QPlainTextEdit *>("txtFinalList");
            info = w->findChild<QLabel *>("lblKeywordsInfo");
        }
        void combine(const QString &keywordText)
        {
            keywords->setPlainText(keywordText);
            QTest::mouseClick(w->findChild<QPushButton *>("cmdCreateList"), Qt::LeftButton);
        }
    };

    std::unique_ptr<RecordingPlatform> platform;
};

void KeywordNamesTest::init()
{
    platform = std::make_unique<RecordingPlatform>();
}

void KeywordNamesTest::combineKeywords_data()
{
    QTest::addColumn<QStringList>("patterns");
    QTest::addColumn<QStringList>("keywords");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("pattern-major")
        << QStringList{"#KEYWORD#", "best #KEYWORD# tips"} << QStringList{"dog", "cat"}
        << QStringList{"dog", "cat", "best dog tips", "best cat tips"};
    QTest::newRow("placeholder twice")
        << QStringList{"#KEYWORD# vs #KEYWORD#"} << QStringList{"a"} << QStringList{"a vs a"};
    QTest::newRow("no placeholder, once per keyword")
        << QStringList{"plain name"} << QStringList{"x", "y"}
        << QStringList{"plain name", "plain name"};
    QTest::newRow("duplicates kept") << QStringList{"#KEYWORD#", "#KEYWORD#"}
                                     << QStringList{"x", "x"} << QStringList{"x", "x", "x", "x"};
    QTest::newRow("placeholder is case-sensitive")
        << QStringList{"#keyword# #KEYWORD#"} << QStringList{"a"} << QStringList{"#keyword# a"};
    QTest::newRow("no patterns") << QStringList{} << QStringList{"a"} << QStringList{};
}

void KeywordNamesTest::combineKeywords()
{
    QFETCH(QStringList, patterns);
    QFETCH(QStringList, keywords);
    QFETCH(QStringList, names);
    QCOMPARE(::combineKeywords(patterns, keywords), names);
}

void KeywordNamesTest::keywordOfName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("patterns");
    QTest::addColumn<QString>("keyword");
    const QStringList patterns{QStringLiteral("#KEYWORD#"), QStringLiteral("best #KEYWORD# tips"),
                               QStringLiteral("#KEYWORD# tips"),
                               QStringLiteral("#KEYWORD# (or #KEYWORD#?)")};
    QTest::newRow("most fixed text wins") << QStringLiteral("best garden planner tips") << patterns
                                          << QStringLiteral("garden planner");
    QTest::newRow("catch-all pattern") << QStringLiteral("roses") << patterns
                                       << QStringLiteral("roses");
    QTest::newRow("repeated placeholder, characters regular expressions use")
        << QStringLiteral("tea (or tea?)") << patterns << QStringLiteral("tea");
    QTest::newRow("repeated placeholder must hold one keyword")
        << QStringLiteral("tea (or coffee?)") << patterns.mid(1) << QString();
    QTest::newRow("edited name fits no pattern")
        << QStringLiteral("my own name") << patterns.mid(1) << QString();
}

void KeywordNamesTest::keywordOfName()
{
    QFETCH(QString, name);
    QFETCH(QStringList, patterns);
    QFETCH(QString, keyword);
    QCOMPARE(::keywordOfName(name, patterns), keyword);
}

void KeywordNamesTest::combine_fillsFinalListAndInfo()
{
    Window win(platform.get(), "#KEYWORD#\r\nbest #KEYWORD# tips\r\n");
    // Original names are the choice at start.
    QVERIFY(win.w->findChild<QRadioButton *>("optFilename_0")->isChecked());
    QVERIFY(!win.names->useKeywordNames());
    QVERIFY(win.info->text().isEmpty());

    win.combine(QStringLiteral("dog\ncat"));
    QCOMPARE(win.names->keywords(), (QStringList{"dog", "cat"}));
    const QStringList expected = {"dog", "cat", "best dog tips", "best cat tips"};
    QCOMPARE(win.names->finalList(), expected);
    QCOMPARE(win.finalBox->toPlainText(), expected.join(u'\n') + u'\n');
    // Articles are the files of the browsed folder, not the selected ones.
    QCOMPARE(win.info->text(), QStringLiteral("Articles to Create: 2  - Filenames: 4"));
    QCOMPARE(win.w->findChild<QListWidget *>("lstKeywordCombinations")->currentRow(), 1);
    QVERIFY(platform->messages.isEmpty());

    QTest::mouseClick(win.w->findChild<QRadioButton *>("optFilename_1"), Qt::LeftButton);
    QVERIFY(win.names->useKeywordNames());
    QVERIFY(!win.w->findChild<QRadioButton *>("optFilename_0")->isChecked());
}

void KeywordNamesTest::keywordLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("keywords");

    QTest::newRow("only line breaks") << "\n\n" << QStringList{};
    QTest::newRow("blank lines between") << "dog\n\n\ncat\n" << QStringList{"dog", "cat"};
    QTest::newRow("a single blank is a keyword") << " \ncat" << QStringList{" ", "cat"};
    QTest::newRow("kept as typed")
        << "  Big Dog  \nbig dog" << QStringList{"  Big Dog  ", "big dog"};
    QTest::newRow("pasted CR LF lines") << "dog\r\ncat\r\n" << QStringList{"dog", "cat"};
}

void KeywordNamesTest::keywordLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, keywords);
    Window win(platform.get(), "#KEYWORD#\r\n");
    win.combine(text);
    QVERIFY(platform->messages.isEmpty()); // line breaks alone pass the empty-box check
    QCOMPARE(win.names->keywords(), keywords);
    QCOMPARE(win.names->finalList(), keywords);
    QCOMPARE(win.info->text(),
             QStringLiteral("Articles to Create: 2  - Filenames: %1").arg(keywords.size()));
}

void KeywordNamesTest::emptyKeywordBox_refusedAndNamesKept()
{
    Window win(platform.get(), "#KEYWORD#\r\n");
    win.combine(QStringLiteral("dog"));
    const QString infoBefore = win.info->text();

    win.combine(QString());
    QCOMPARE(platform->messages.size(), 1);
    QCOMPARE(platform->messages.first().text, QStringLiteral("Please enter some keywords first."));
    QCOMPARE(platform->messages.first().title, QStringLiteral("Missing Info"));
    QCOMPARE(platform->messages.first().icon, Platform::Icon::Information);
    QCOMPARE(win.names->keywords(), QStringList{"dog"});
    QCOMPARE(win.names->finalList(), QStringList{"dog"});
    QCOMPARE(win.finalBox->toPlainText(), QStringLiteral("dog\n"));
    QCOMPARE(win.info->text(), infoBefore);
}

void KeywordNamesTest::noPatternFile_emptyNamesWithoutMessage()
{
    Window win(platform.get(), QByteArray());
    win.combine(QStringLiteral("dog\ncat"));
    QVERIFY(platform->messages.isEmpty());
    QCOMPARE(win.names->keywords(), (QStringList{"dog", "cat"}));
    QVERIFY(win.names->finalList().isEmpty());
    QVERIFY(win.finalBox->toPlainText().isEmpty());
    QCOMPARE(win.info->text(), QStringLiteral("Articles to Create: 2  - Filenames: 0"));
}

void KeywordNamesTest::finalList_editsApplyOnEnterOnly()
{
    Window win(platform.get(), "#KEYWORD#\r\nbest #KEYWORD# tips\r\n");
    win.combine(QStringLiteral("dog\ncat"));

    // Typed names count only once Enter comes up.
    win.finalBox->moveCursor(QTextCursor::End);
    QTest::keyClicks(win.finalBox, QStringLiteral("my own name"));
    QCOMPARE(win.names->finalList().size(), 4);
    QTest::keyClick(win.finalBox, Qt::Key_Return);
    QCOMPARE(win.names->finalList().size(), 5);
    QCOMPARE(win.names->finalList().last(), QStringLiteral("my own name"));
    QCOMPARE(win.info->text(), QStringLiteral("Articles to Create: 2  - Filenames: 5"));

    // Clear List empties only the box; Enter in the empty box then empties the names.
    QTest::mouseClick(win.w->findChild<QPushButton *>("cmdClearList"), Qt::LeftButton);
    QVERIFY(win.finalBox->toPlainText().isEmpty());
    QCOMPARE(win.names->finalList().size(), 5);
    QCOMPARE(win.info->text(), QStringLiteral("Articles to Create: 2  - Filenames: 5"));
    QTest::keyClick(win.finalBox, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(win.names->finalList().isEmpty());
    QCOMPARE(win.info->text(), QStringLiteral("Articles to Create: 2  - Filenames: 0"));
}

QTEST_MAIN(KeywordNamesTest)
#include "tst_keyword_names.moc"
