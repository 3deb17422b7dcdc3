#include "converter.h"
#include "modutf8.h"
#include "output_names.h"
#include "page_builder.h"
#include "production_run.h"
#include "safe_file_name.h"
#include "test_app_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;

// The page text, its file names and the writer, all without a converter.
class PageBuilderTest : public QObject
{
    Q_OBJECT
private slots:
    void writeUTF8_appendsExactBytes_data();
    void writeUTF8_appendsExactBytes();
    void openForAppend_unopenablePath_isReported();

    void prepareTemplate_fillsInOrderExactly_data();
    void prepareTemplate_fillsInOrderExactly();
    void articleToHtml_turnsCarriageReturnsIntoBreaks_data();
    void articleToHtml_turnsCarriageReturnsIntoBreaks();
    void composePage_templateArticlesTailWithoutSeparators();

    void pageFileNames_guardTheTemplate_data();
    void pageFileNames_guardTheTemplate();
    void getCleanFileName_data();
    void getCleanFileName();
    void keywordPdfName_tidiesAndStaysInOutputFolder_data();
    void keywordPdfName_tidiesAndStaysInOutputFolder();

    void commandLine_quotesEveryPath_data();
    void commandLine_quotesEveryPath();
    void closingMessage_listsFailuresBeforeTheQuestion();
    void removeOldPageFiles_keepsOnlyTheTemplate();
};

void PageBuilderTest::writeUTF8_appendsExactBytes_data()
{
    QTest::addColumn<QByteArray>("before"); // null: no file yet
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("newLine");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("e acute, no BOM") << QByteArray() << u"é"_s << false << "\xC3\xA9"_ba;
    QTest::newRow("e acute and euro")
        << QByteArray() << u"é€"_s << false << "\xC3\xA9\xE2\x82\xAC"_ba;
    QTest::newRow("surrogate pair is one sequence")
        << QByteArray() << QString::fromUcs4(U"\U0001F600") << false << "\xF0\x9F\x98\x80"_ba;
    QTest::newRow("appends to existing bytes") << "xyz"_ba << u"abc"_s << false << "xyzabc"_ba;
    QTest::newRow("line end only when asked") << "x"_ba << u"a\nb"_s << true << "xa\nb\r\n"_ba;
    QTest::newRow("empty text writes nothing") << QByteArray() << QString() << false << ""_ba;
    QTest::newRow("empty text with line end") << QByteArray() << QString() << true << "\r\n"_ba;
    QTest::newRow("BOM only from the text") << QByteArray() << u"\uFEFFa"_s << false
                                            << "\xEF\xBB\xBF"
                                               "a"_ba;
}

void PageBuilderTest::writeUTF8_appendsExactBytes()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, text);
    QFETCH(bool, newLine);
    QFETCH(QByteArray, after);

    TestAppFolder folder(0);
    const QString path = folder.file(u"page.html"_s);
    if (!before.isNull())
        folder.writeFile(u"page.html"_s, before);
    modUTF8::AppendFile file = modUTF8::OpenFileForAppend(path);
    QVERIFY2(file.isOpen(), qPrintable(file.errorString()));
    QVERIFY(modUTF8::WriteUTF8(file, text, newLine));
    QVERIFY(file.close());
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(readBytes(path), after);
}

void PageBuilderTest::openForAppend_unopenablePath_isReported()
{
    TestAppFolder folder(0);
    for (const QString &path : {folder.file(u"missing/page.html"_s), folder.path()}) {
        modUTF8::AppendFile file = modUTF8::OpenFileForAppend(path);
        QVERIFY(!file.isOpen());
        QVERIFY(!file.errorString().isEmpty());
        QVERIFY(!modUTF8::WriteUTF8(file, u"x"_s, false));
    }
    QVERIFY(!QFileInfo::exists(folder.file(u"missing"_s)));
}

void PageBuilderTest::prepareTemplate_fillsInOrderExactly_data()
{
    QTest::addColumn<QString>("templateText");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("cta");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("expected");

    QTest::newRow("each several times") << u"#ADTITLE#|#ADTITLE#|#CTATEXT#|#CTAURL#|#ADTITLE#"_s
                                        << u"T"_s << u"C"_s << u"U"_s << u"T|T|C|U|T"_s;
    QTest::newRow("missing placeholder changes nothing")
        << u"<h1>#ADTITLE#</h1>"_s << u"T"_s << u"C"_s << u"U"_s << u"<h1>T</h1>"_s;
    QTest::newRow("small letters are no placeholder")
        << u"#adtitle# #AdTitle# #ADTITLE#"_s << u"T"_s << u"C"_s << u"U"_s
        << u"#adtitle# #AdTitle# T"_s;
    // The title is filled first, so a placeholder typed into it is filled by a later step,
    // while one typed into the address stays.
    QTest::newRow("fixed order") << u"#ADTITLE# #CTAURL#"_s << u"#CTATEXT#"_s << u"C"_s
                                 << u"#ADTITLE#"_s << u"C #ADTITLE#"_s;
    QTest::newRow("nothing escaped")
        << u"<a href=\"#CTAURL#\">#CTATEXT#</a>"_s << u""_s << u"<b>Buy</b> & save"_s
        << u"http://x.test/?a=1&b=\"2\""_s
        << u"<a href=\"http://x.test/?a=1&b=\"2\"\"><b>Buy</b> & save</a>"_s;
    QTest::newRow("empty field") << u"[#ADTITLE#]"_s << QString() << u"C"_s << u"U"_s << u"[]"_s;
}

void PageBuilderTest::prepareTemplate_fillsInOrderExactly()
{
    QFETCH(QString, templateText);
    QFETCH(QString, title);
    QFETCH(QString, cta);
    QFETCH(QString, url);
    QFETCH(QString, expected);
    QCOMPARE(pagebuilder::prepareTemplate(templateText, title, cta, url), expected);
}

void PageBuilderTest::articleToHtml_turnsCarriageReturnsIntoBreaks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("html");
    QTest::newRow("empty line between") << u"a\r\n\r\nb"_s << u"a<br><br><br><br>b"_s;
    QTest::newRow("lone CR") << u"a\rb"_s << u"a<br><br>b"_s;
    QTest::newRow("lone LF stays") << u"a\nb"_s << u"a\nb"_s;
    QTest::newRow("CR before CR LF") << u"a\r\r\nb"_s << u"a<br><br><br><br>b"_s;
    QTest::newRow("LF CR") << u"a\n\rb"_s << u"a\n<br><br>b"_s;
    QTest::newRow("markup passes") << u"<b>x</b> & <i>y</i>"_s << u"<b>x</b> & <i>y</i>"_s;
}

void PageBuilderTest::articleToHtml_turnsCarriageReturnsIntoBreaks()
{
    QFETCH(QString, text);
    QFETCH(QString, html);
    QCOMPARE(pagebuilder::articleToHtml(text), html);
}

void PageBuilderTest::composePage_templateArticlesTailWithoutSeparators()
{
    const QString tail = u"<script src= assets/js/jquery.min.js ></script>"
                         "<script src= assets/bootstrap/js/bootstrap.min.js ></script>"
                         "<script src= https://cdnjs.cloudflare.com/ajax/libs/jquery-easing/1.4.1/"
                         "jquery.easing.min.js ></script>"
                         "<script src= assets/js/stylish-portfolio.js ></script>"
                         "</body></html>"_s;
    QCOMPARE(pagebuilder::pageTail(), tail);

    const QString part = pagebuilder::singleRunArticlePart({u"A"_s, u"B<br><br>b"_s, u"C"_s});
    QCOMPARE(part, u"<br><br><br>A<br><br><br>B<br><br>b<br><br><br>C"_s);
    QCOMPARE(pagebuilder::composePage(u"<body>T"_s, part), u"<body>T"_s + part + tail);
    QCOMPARE(pagebuilder::composePage(u"T"_s, u"x"_s), u"Tx"_s + tail);
}

void PageBuilderTest::pageFileNames_guardTheTemplate_data()
{
    QTest::addColumn<bool>("single");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("page");
    QTest::newRow("single") << true << u"my-report"_s << u"my-report.html"_s;
    QTest::newRow("single template") << true << u"template"_s << u"etemplate.html"_s;
    QTest::newRow("single templates") << true << u"templates"_s << u"templates.html"_s;
    QTest::newRow("bulk") << false << u"My-first-article.txt"_s << u"My-first-article.html"_s;
    QTest::newRow("bulk template") << false << u"template.txt"_s << u"etemplate.html"_s;
    QTest::newRow("bulk a-template") << false << u"a-template.txt"_s << u"a-template.html"_s;
#if !defined(Q_OS_WIN) && !defined(Q_OS_DARWIN)
    // Where case matters in file names, Template.html is another file than the template.
    QTest::newRow("single Template") << true << u"Template"_s << u"Template.html"_s;
    QTest::newRow("bulk Template") << false << u"Template.txt"_s << u"Template.html"_s;
#endif
}

void PageBuilderTest::pageFileNames_guardTheTemplate()
{
    QFETCH(bool, single);
    QFETCH(QString, name);
    QFETCH(QString, page);
    QCOMPARE(single ? pagebuilder::singlePageFileName(name) : pagebuilder::bulkPageFileName(name),
             page);
}

void PageBuilderTest::getCleanFileName_data()
{
    const QString s = QDir::separator();
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("clean");
    QTest::newRow("first dot, underscores and blanks")
        << s + u"texts"_s + s + u"My first_article.final.txt"_s << u"My-first-article.txt"_s;
    QTest::newRow("no dot") << u"README"_s << u"README.txt"_s;
    QTest::newRow("starts with a dot") << s + u"x"_s + s + u".notes.txt"_s << u".txt"_s;
    QTest::newRow("empty") << QString() << u".txt"_s;
    QTest::newRow("blank next to underscore") << u"a _b"_s << u"a--b.txt"_s;
    QTest::newRow("dot in a folder only") << s + u"a.b"_s + s + u"c"_s << u"c.txt"_s;
    QTest::newRow("ends with a separator") << s + u"x"_s + s << u".txt"_s;
    QTest::newRow("case kept") << u"Big_Name.TXT"_s << u"Big-Name.txt"_s;
#ifndef Q_OS_WIN
    // Only the native separator ends the folder part.
    QTest::newRow("backslash is no separator here")
        << u"D:\\texts\\My_first article.old.txt"_s << u"D:\\texts\\My-first-article.txt"_s;
#endif
}

void PageBuilderTest::getCleanFileName()
{
    QFETCH(QString, path);
    QFETCH(QString, clean);
    QCOMPARE(outputnames::GetCleanFileName(path), clean);
    // Output names never hold what an output file cannot: here the backslash becomes "-".
    QCOMPARE(outputnames::bulkPdfName(path),
             safename::replaceForbidden(clean.chopped(4), u'-') + u".pdf"_s);
    QVERIFY(safename::isSafe(outputnames::bulkPdfName(path)));
}

void PageBuilderTest::keywordPdfName_tidiesAndStaysInOutputFolder_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("pdf");
    QTest::newRow("blanks") << u"best dog food"_s << u"best-dog-food.pdf"_s;
    QTest::newRow("two blanks") << u"best  dog"_s << u"best-dog.pdf"_s;
    QTest::newRow("one pass") << u"a - b"_s << u"a--b.pdf"_s;
    QTest::newRow("slash") << u"a/b"_s << u"a-b.pdf"_s;
    QTest::newRow("backslash") << u"a\\b"_s << u"a-b.pdf"_s;
    QTest::newRow("climbing out") << u"../../etc/x"_s << u"..-..-etc-x.pdf"_s;
    QTest::newRow("dot dot") << u".."_s << u"...pdf"_s;
    QTest::newRow("empty") << QString() << u".pdf"_s;
    QTest::newRow("control character") << u"a\nb"_s << u"a-b.pdf"_s;
}

void PageBuilderTest::keywordPdfName_tidiesAndStaysInOutputFolder()
{
    QFETCH(QString, keyword);
    QFETCH(QString, pdf);
    const QString name = outputnames::keywordPdfName(keyword);
    QCOMPARE(name, pdf);
    QVERIFY(safename::isSafe(name));
    const QString output = QDir::cleanPath(QDir::tempPath() + u"/out"_s);
    QCOMPARE(QFileInfo(output + QDir::separator() + name).absolutePath(), output);
}

void PageBuilderTest::commandLine_quotesEveryPath_data()
{
    QTest::addColumn<QString>("app");
    QTest::addColumn<QString>("expected");
#ifdef Q_OS_WIN
    QTest::newRow("plain") << u"C:\\App"_s
                           << u"\"C:\\App\\bin\\wkhtmltopdf.exe\"  \"C:\\App\\bin\\my-file.html\" "
                              "\"C:\\App\\bin\\output\\my-file.pdf\""_s;
#else
    QTest::newRow("plain") << u"/App"_s
                           << u"\"/App/bin/wkhtmltopdf\"  \"/App/bin/my-file.html\" "
                              "\"/App/bin/output/my-file.pdf\""_s;
    QTest::newRow("blanks") << u"/my apps/Paper wake"_s
                            << u"\"/my apps/Paper wake/bin/wkhtmltopdf\"  "
                               "\"/my apps/Paper wake/bin/my-file.html\" "
                               "\"/my apps/Paper wake/bin/output/my-file.pdf\""_s;
#endif
}

void PageBuilderTest::commandLine_quotesEveryPath()
{
    QFETCH(QString, app);
    QFETCH(QString, expected);
    const NoConverterOnPath noConverterOnPath; // so the path is the application folder's
    const QString s = QDir::separator();
    const QString bin = app + s + u"bin"_s + s;
    QCOMPARE(conversion::converterCommandLine(conversion::converterPath(app),
                                              bin + u"my-file.html"_s,
                                              bin + u"output"_s + s + u"my-file.pdf"_s),
             expected);
}

void PageBuilderTest::closingMessage_listsFailuresBeforeTheQuestion()
{
    RunReport report;
    report.attempted = 3;
    report.made = 3;
    QCOMPARE(closingMessage(report), u"Ready. Do you want to open the output folder?"_s);

    report.attempted = 5;
    report.made = 3;
    report.failures = {{u"a.pdf"_s, u"the converter crashed"_s},
                       {u"b.pdf"_s, u"the article could not be read: /x/b.txt"_s}};
    QCOMPARE(closingMessage(report), u"2 of 5 PDFs could not be made:\n"
                                     "a.pdf: the converter crashed\n"
                                     "b.pdf: the article could not be read: /x/b.txt\n"
                                     "\n"
                                     "Ready. Do you want to open the output folder?"_s);
}

void PageBuilderTest::removeOldPageFiles_keepsOnlyTheTemplate()
{
    TestAppFolder app(TestAppFolder::Bin);
    const QByteArray templateBytes = "<html>#ADTITLE#";
    app.writeFile(u"bin/template.html"_s, templateBytes);
    for (const QString &name :
         {u"a.html"_s, u".html"_s, u"etemplate.html"_s, u"template.html.html"_s, u"notes.txt"_s})
        app.writeFile(u"bin/"_s + name, "x");
    QDir().mkpath(app.file(u"bin/folder.html"_s));

    QCOMPARE(removeOldPageFiles(app.path()), QStringList());
    QDir bin(app.file(u"bin"_s));
    QStringList left =
        bin.entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    left.sort();
    QCOMPARE(left, QStringList({u"folder.html"_s, u"notes.txt"_s, u"template.html"_s}));
    QCOMPARE(readBytes(app.file(u"bin/template.html"_s)), templateBytes);
}

QTEST_GUILESS_MAIN(PageBuilderTest)
#include "tst_page_builder.moc"
