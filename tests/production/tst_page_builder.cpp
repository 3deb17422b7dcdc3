#include "article_reader.h"
#include "converter_lookup.h"
#include "modutf8.h"
#include "output_names.h"
#include "page_builder.h"
#include "production_run.h"
#include "safe_file_name.h"
#include "test_app_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <random>

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
    void articleToHtml_lineEndsAndAngleBrackets_data();
    void articleToHtml_lineEndsAndAngleBrackets();
    void htmlWriter_partsJoinedAreTheWholeHtml();
    void readArticle_decodesTextOrRefusesBinary_data();
    void readArticle_decodesTextOrRefusesBinary();
    void composePage_templateArticlesTailWithoutSeparators();

    void pageFileNames_guardTheTemplate_data();
    void pageFileNames_guardTheTemplate();
    void pageFileNames_tooLong_shortenedAndKeptApart();
    void isTemplateFileName_ignoresCaseEverywhere_data();
    void isTemplateFileName_ignoresCaseEverywhere();
    void getCleanFileName_data();
    void getCleanFileName();
    void bulkNames_nameInLatin1Bytes_readsAsItsCharacters();
    void keywordPdfName_tidiesAndStaysInOutputFolder_data();
    void keywordPdfName_tidiesAndStaysInOutputFolder();

    void commandLine_quotesEveryPath_data();
    void commandLine_quotesEveryPath();
    void closingMessage_listsFailuresBeforeTheQuestion();
    void removeOldPageFiles_onlyPagesTheListNames();
    void removeStalePartialPdfs_onlyTemporariesOfEndedRuns();
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
    QTest::newRow("markup in title and button stays, stray < does not")
        << u"<h1>#ADTITLE#</h1><a>#CTATEXT#</a>"_s << u"Only <b>today</b>: x<y"_s
        << u"<i>Buy</i> & save >"_s << u"U"_s
        << u"<h1>Only <b>today</b>: x&lt;y</h1><a><i>Buy</i> & save ></a>"_s;
    QTest::newRow("title and button run nothing")
        << u"<h1>#ADTITLE#</h1><a>#CTATEXT#</a>"_s << u"<script>x()</script>!"_s
        << u"<b onmouseover=x()>Buy</b> <!-- now"_s << u"U"_s
        << u"<h1>&lt;script>x()&lt;/script>!</h1><a><b>Buy</b> &lt;!-- now</a>"_s;
    QTest::newRow("address: what would end the attribute is encoded")
        << u"<a href=\"#CTAURL#\">"_s << u""_s << u""_s << u"https://x.example/?q=\"a\" b<c>\td"_s
        << u"<a href=\"https://x.example/?q=%22a%22%20b%3Cc%3E%09d\">"_s;
    QTest::newRow("address: everything else as typed")
        << u"#CTAURL#"_s << u""_s << u""_s << u"https://x.example/ü?a=1&b='2'#%41"_s
        << u"https://x.example/ü?a=1&b='2'#%41"_s;
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

void PageBuilderTest::articleToHtml_lineEndsAndAngleBrackets_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("html");
    // Every kind of line end, alone or mixed, is the same break; CR LF is one line end.
    QTest::newRow("CR LF, empty line between") << u"a\r\n\r\nb"_s << u"a<br><br><br><br>b"_s;
    QTest::newRow("lone CRs") << u"a\r\rb"_s << u"a<br><br><br><br>b"_s;
    QTest::newRow("lone LFs") << u"a\n\nb"_s << u"a<br><br><br><br>b"_s;
    QTest::newRow("CR before CR LF") << u"a\r\r\nb"_s << u"a<br><br><br><br>b"_s;
    QTest::newRow("LF CR is two") << u"a\n\rb"_s << u"a<br><br><br><br>b"_s;
    QTest::newRow("line end last") << u"a\n"_s << u"a<br><br>"_s;

    // Markup stays markup.
    QTest::newRow("bold and italic, any case") << u"<b>x</b> & <I>y</I> <STRONG>z</Strong>"_s
                                               << u"<b>x</b> & <I>y</I> <STRONG>z</Strong>"_s;
    QTest::newRow("link with attributes") << u"<a href=\"https://e.example/?a=1&b=2\">l</a>"_s
                                          << u"<a href=\"https://e.example/?a=1&b=2\">l</a>"_s;
    QTest::newRow("self-closing break") << u"a<br/>b<br />c"_s << u"a<br/>b<br />c"_s;
    QTest::newRow("heading, list, tab after name")
        << u"<h2>T</h2><ul><li>i</li></ul><img\tsrc=x>"_s
        << u"<h2>T</h2><ul><li>i</li></ul><img\tsrc=x>"_s;
    QTest::newRow("comment") << u"<!-- note -->"_s << u"<!-- note -->"_s;

    // Every other "<" is text.
    QTest::newRow("comparisons") << u"if x<y and y>z then"_s << u"if x&lt;y and y>z then"_s;
    QTest::newRow("loop bound") << u"if (i<n)"_s << u"if (i&lt;n)"_s;
    QTest::newRow("address in brackets")
        << u"see <https://www.gnu.org/licenses/why-not-lgpl.html>"_s
        << u"see &lt;https://www.gnu.org/licenses/why-not-lgpl.html>"_s;
    QTest::newRow("mail address") << u"<john@example.org>"_s << u"&lt;john@example.org>"_s;
    QTest::newRow("blank after <") << u"a < b </ b>"_s << u"a &lt; b &lt;/ b>"_s;
    QTest::newRow("unknown name") << u"<foo>x</foo>"_s << u"&lt;foo>x&lt;/foo>"_s;
    QTest::newRow("element name only a prefix")
        << u"<bold> <h7> <b2>"_s << u"&lt;bold> &lt;h7> &lt;b2>"_s;
    QTest::newRow("name at the very end") << u"x <b"_s << u"x &lt;b"_s;
    QTest::newRow("< at the very end") << u"x<"_s << u"x&lt;"_s;
    QTest::newRow("declaration is no comment")
        << u"<!DOCTYPE html><!- x>"_s << u"&lt;!DOCTYPE html>&lt;!- x>"_s;
    QTest::newRow("entities and > untouched") << u"AT&T -> &amp; &lt;"_s << u"AT&T -> &amp; &lt;"_s;
    QTest::newRow("line end inside a tag stays in it")
        << u"<p\r\nclass=x>a"_s << u"<p\r\nclass=x>a"_s;
    QTest::newRow("tag never closed") << u"x <b title=\"y>\n"_s << u"x &lt;b title=\"y><br><br>"_s;

    // Articles are often written by others: nothing in them may run or fetch.
    QTest::newRow("elements that run or fetch")
        << u"<script>a()</script><STYLE>b</style><iframe src=x></iframe><frame src=x>"
           "<object data=x><embed src=x><link rel=x><meta charset=x><base href=/><form action=x>"_s
        << u"&lt;script>a()&lt;/script>&lt;STYLE>b&lt;/style>&lt;iframe src=x>&lt;/iframe>"
           "&lt;frame src=x>&lt;object data=x>&lt;embed src=x>&lt;link rel=x>&lt;meta charset=x>"
           "&lt;base href=/>&lt;form action=x>"_s;
    QTest::newRow("event attributes dropped, the rest kept")
        << u"<img src=x onerror=a()><b ONCLICK=\"b()\" title='t>t'>x</b><img src=\"y\"/onload=c>"_s
        << u"<img src=x><b title='t>t'>x</b><img src=\"y\">"_s;
    QTest::newRow("script addresses dropped, however written")
        << u"<a href=\"javascript:a()\">1</a><a href=' JaVa&#115;cript&colon;b()'>2</a>"
           "<img src=\"java&#x09;script:c()\"><a href=\"https://e.example/javascript:\">3</a>"_s
        << u"<a>1</a><a>2</a><img><a href=\"https://e.example/javascript:\">3</a>"_s;
    QTest::newRow("elements read as plain text stay text, so they hide no tag")
        << u"<textarea><p title=\"</textarea><img src=x onerror=a()>\"><TITLE>t</title>"
           "<noscript>n</noscript>"_s
        << u"&lt;textarea><p title=\"</textarea><img src=x onerror=a()>\">&lt;TITLE>t&lt;/title>"
           "&lt;noscript>n&lt;/noscript>"_s;
    QTest::newRow("addresses outside the page's folder dropped, its own files kept")
        << u"<img src=a/b.png><img src=\"http://h/x\"><img src='//h/x'><img src=/etc/x>"
           "<img src=\"..\\x\"><img src=\"sub/../../x\"><img src=\"%2E%2E/x\"><img src=C:x>"
           "<table background=t.png><td background=\"https://h/\">"_s
        << u"<img src=a/b.png><img><img><img><img><img><img><img><table background=t.png><td>"_s;
    QTest::newRow("addresses read as a converter reads them")
        << u"<img src=\"http:&#x2f;&#x2f;h/x\"><img src=\"&sol;&sol;h/x\"><img src=\" &#32;//h\">"
           "<img src=\"x&copy;.png\"><img srcset=\"a.png 1x,http://h/b 2x\">"
           "<img srcset=\"a.png 1x, b.png 2x\">"_s
        << u"<img><img><img><img><img><img srcset=\"a.png 1x, b.png 2x\">"_s;
    QTest::newRow("CSS that loads from elsewhere dropped")
        << u"<p style=\"color:red\">1</p><p style=\"background:url(bg.png)\">2</p>"
           "<p style=\"background:url( 'http://h/x' )\">3</p><p style=\"background:\\75 rl(//h)\">4</p>"
           "<p style=\"background:image-set('a.png' 1x)\">5</p><svg fill=\"url(http://h/#a)\">"_s
        << u"<p style=\"color:red\">1</p><p style=\"background:url(bg.png)\">2</p><p>3</p><p>4</p>"
           "<p>5</p><svg>"_s;
    QTest::newRow("links keep their address, not an attachment relation")
        << u"<a href=\"https://e.example/x\" rel=\"attachment\">l</a><a href=\"file:///f\">f</a>"_s
        << u"<a href=\"https://e.example/x\">l</a><a href=\"file:///f\">f</a>"_s;
    QTest::newRow("comment never closed is text") << u"a <!-- b\nc"_s << u"a &lt;!-- b<br><br>c"_s;
    QTest::newRow("nothing inside a comment is markup")
        << u"<!-- <script>a()</script> -->x"_s << u"<!-- &lt;script>a()&lt;/script> -->x"_s;
    QTest::newRow("comments end where a browser ends them")
        << u"<!--><script>a<!-- --!><img src=x onerror=b()>"_s
        << u"<!-->&lt;script>a<!-- --!><img src=x>"_s;

    // An article that starts in a right-to-left script reads from the right margin, its runs
    // of digits and Latin letters set apart; its first letter decides, whatever digits,
    // punctuation or markup come before it.
    const QString rtl = u"<div dir=\"rtl\" style=\"text-align: right\">"_s;
    QTest::newRow("Arabic") << u"مرحبا\r\nبكم ٢"_s << rtl + u"مرحبا<br><br>بكم <span>٢</span></div>"_s;
    QTest::newRow("digits and markup before Hebrew")
        << u"12. <b class=x>שלום</b> PNG 3"_s
        << rtl + u"<span>12</span>. <b class=x>שלום</b> <span>PNG</span> <span>3</span></div>"_s;
    QTest::newRow("Latin first, Persian later") << u"Note: سلام"_s << u"Note: سلام"_s;
}

void PageBuilderTest::articleToHtml_lineEndsAndAngleBrackets()
{
    QFETCH(QString, text);
    QFETCH(QString, html);
    QCOMPARE(pagebuilder::articleToHtml(text), html);
}

void PageBuilderTest::htmlWriter_partsJoinedAreTheWholeHtml()
{
    // Tags, comments and line ends of all kinds, so parts end inside every one of them.
    QString text =
        u"<b>bold</b>\t<br/>\r\n<p\nclass=x onclick=y>x<y >z<i\r\n<!--c\r\n-->\n<h1 >"
        "\r\r\n<b\t<a\n< b<\n</li>\t(i<n) <x@y.z>\r\n<!-- <b> --> <a href='j&#97;vascript:'>"
        "<script>x</script> <!-- never closed"_s;
    for (const char *fixture :
         {"lf-paragraphs.txt", "mixed-line-ends.txt", "angle-brackets.txt", "markup.txt"}) {
        QString fileText, reason;
        QVERIFY2(articlereader::readArticle(testData(u"articles/"_s + QLatin1StringView(fixture)),
                                            fileText, reason),
                 qPrintable(reason));
        text = fileText + text;
    }
    // A right-to-left article's block opens in the first part and closes in the last.
    const QString rightToLeft = u"שלום\r\n"_s + text;
    for (const QString &article : {text, rightToLeft}) {
        const QString whole = pagebuilder::articleToHtml(article);
        for (const qsizetype limit : {1, 2, 3, 5, 7, 64}) {
            pagebuilder::HtmlWriter writer(article, true);
            QString joined;
            int parts = 0;
            while (!writer.atEnd()) {
                joined += writer.next(limit);
                ++parts;
            }
            QVERIFY(parts > 10);
            QCOMPARE(joined, whole);
        }
    }
}

void PageBuilderTest::readArticle_decodesTextOrRefusesBinary_data()
{
    // What to make in the folder, then what is read from "article.txt" there.
    QTest::addColumn<QString>("make");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");   // when read
    QTest::addColumn<QString>("reason"); // when refused

    QTest::newRow("UTF-8") << u"file"_s << "caf\xC3\xA9\r\nb"_ba << u"café\r\nb"_s << QString();
    QTest::newRow("Windows-1252") << u"file"_s << "\x93q\x94 caf\xE9"_ba << u"\u201Cq\u201D café"_s
                                  << QString();
    QTest::newRow("empty") << u"file"_s << ""_ba << u""_s << QString();
    QTest::newRow("UTF-16 with BOM holds NULs") << u"fixture utf16-bom.txt"_s << QByteArray()
                                                << u"Wide text café with €.\r\n"_s << QString();
    QTest::newRow("binary") << u"fixture binary.txt"_s << QByteArray() << QString()
                            << u"not a text file"_s;
    QTest::newRow("one NUL in UTF-8 with BOM") << u"file"_s
                                               << QByteArray("\xEF\xBB\xBF"
                                                             "a\0b",
                                                             6)
                                               << QString() << u"not a text file"_s;
    // Pipes, devices and links: the shared reader's test in the components.
}

void PageBuilderTest::readArticle_decodesTextOrRefusesBinary()
{
    QFETCH(QString, make);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QString, reason);
    TestAppFolder folder(0);
    QString path = folder.file(u"article.txt"_s);
    if (make == u"file") {
        folder.writeFile(u"article.txt"_s, bytes);
    } else if (make.startsWith(u"fixture ")) {
        QVERIFY(QFile::copy(testData(u"articles/"_s + make.sliced(8)), path));
    }

    QString read = u"left from before"_s;
    QString why;
    const bool ok = articlereader::readArticle(path, read, why);
    QCOMPARE(why, reason);
    QCOMPARE(ok, reason.isEmpty());
    QCOMPARE(read, ok ? text : QString());
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
    // The bin folder may sit on a file system that folds case, so case never matters.
    QTest::newRow("single Template") << true << u"Template"_s << u"eTemplate.html"_s;
    QTest::newRow("bulk TEMPLATE") << false << u"TEMPLATE.txt"_s << u"eTEMPLATE.html"_s;
}

void PageBuilderTest::pageFileNames_guardTheTemplate()
{
    QFETCH(bool, single);
    QFETCH(QString, name);
    QFETCH(QString, page);
    QCOMPARE(single ? outputnames::singlePageFileName(name) : outputnames::bulkPageFileName(name),
             page);
}

void PageBuilderTest::pageFileNames_tooLong_shortenedAndKeptApart()
{
    // 251 characters: the PDF name just fits, "NAME.html" is one byte over.
    const QString a = QString(250, u'a') + u'1';
    const QString b = QString(250, u'a') + u'2';
    // Two UTF-16 units each; "ab" leaves room for half of one where the name is cut.
    const QString multiByte = u"ab"_s + u"😀"_s.repeated(100);
    const QStringList pages = {
        outputnames::bulkPageFileName(a + u".txt"_s), outputnames::bulkPageFileName(b + u".txt"_s),
        outputnames::singlePageFileName(a), outputnames::singlePageFileName(multiByte)};
    for (const QString &page : pages) {
        QVERIFY2(QFile::encodeName(page).size() <= 255, qPrintable(page));
        QVERIFY(page.endsWith(u".html"_s));
        QVERIFY(page.startsWith(u"aaaa"_s) || page.startsWith(u"ab😀😀"_s));
        QVERIFY(safename::isSafe(page));
    }
    QVERIFY(pages[0] != pages[1]);
    QVERIFY(pages[3].isValidUtf16()); // never cut inside a character
    // Names that fit are left as they are.
    QCOMPARE(outputnames::singlePageFileName(QString(250, u'a')), QString(250, u'a') + u".html"_s);
}

void PageBuilderTest::isTemplateFileName_ignoresCaseEverywhere_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isTemplate");
    QTest::newRow("as installed") << u"template.html"_s << true;
    QTest::newRow("capital") << u"Template.html"_s << true;
    QTest::newRow("mixed") << u"tEmPlAtE.HtMl"_s << true;
    QTest::newRow("guarded page") << u"etemplate.html"_s << false;
    QTest::newRow("other extension") << u"template.htm"_s << false;
    QTest::newRow("trailing blank") << u"template.html "_s << false;
}

void PageBuilderTest::isTemplateFileName_ignoresCaseEverywhere()
{
    QFETCH(QString, name);
    QFETCH(bool, isTemplate);
    QCOMPARE(outputnames::isTemplateFileName(name), isTemplate);
}

void PageBuilderTest::getCleanFileName_data()
{
    const QString s = QDir::separator();
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("clean");
    QTest::newRow("last dot, underscores and blanks")
        << s + u"texts"_s + s + u"My first_article.final.txt"_s << u"My-first-article.final.txt"_s;
    QTest::newRow("version numbers") << s + u"GFDL-1.2.txt"_s << u"GFDL-1.2.txt"_s;
    QTest::newRow("several dots") << u"x.y.z.txt"_s << u"x.y.z.txt"_s;
    QTest::newRow(".txt twice") << u"a.txt.txt"_s << u"a.txt.txt"_s;
    QTest::newRow("no dot") << u"README"_s << u"README.txt"_s;
    QTest::newRow("starts with a dot") << s + u"x"_s + s + u".notes.txt"_s << u".notes.txt"_s;
    QTest::newRow("empty") << QString() << u".txt"_s;
    QTest::newRow("blank next to underscore") << u"a _b"_s << u"a--b.txt"_s;
    QTest::newRow("dot in a folder only") << s + u"a.b"_s + s + u"c"_s << u"c.txt"_s;
    QTest::newRow("ends with a separator") << s + u"x"_s + s << u".txt"_s;
    QTest::newRow("case kept") << u"Big_Name.TXT"_s << u"Big-Name.txt"_s;
#ifndef Q_OS_WIN
    // Only the native separator ends the folder part.
    QTest::newRow("backslash is no separator here")
        << u"D:\\texts\\My_first article.old.txt"_s << u"D:\\texts\\My-first-article.old.txt"_s;
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

void PageBuilderTest::bulkNames_nameInLatin1Bytes_readsAsItsCharacters()
{
    // The byte 0xE9 of a Latin-1 name, as the listing holds it.
    const QString path = QDir::separator() + u"caf\xDCE9_au lait.txt"_s;
    QCOMPARE(outputnames::bulkPdfName(path), u"café-au-lait.pdf"_s);
    QCOMPARE(outputnames::bulkPageFileName(outputnames::articleBaseName(path)),
             u"café-au-lait.html"_s);
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

    // PDFs made with characters no font draws are in the same list.
    const QString hindi =
        u"hindi.txt: 629 characters of Devanagari have no font here; install fonts-noto-core"_s;
    report.undrawn = {hindi};
    QCOMPARE(closingMessage(report),
             u"2 of 5 PDFs could not be made, and some that were made hold characters no font "
             "here can draw:\n"
             "a.pdf: the converter crashed\n"
             "b.pdf: the article could not be read: /x/b.txt\n"_s +
                 hindi + u"\n\nReady. Do you want to open the output folder?"_s);
    report.failures.clear();
    QCOMPARE(closingMessage(report),
             u"Made, but some PDFs hold characters no font here can draw:\n"_s + hindi +
                 u"\n\nReady. Do you want to open the output folder?"_s);
}

void PageBuilderTest::removeOldPageFiles_onlyPagesTheListNames()
{
    TestAppFolder app(TestAppFolder::Bin);
    app.writeFile(u"outside.html"_s, "x");
    for (const QString &name : {u"a.html"_s, u"template.html"_s, u"notes.txt"_s, u"mine.html"_s})
        app.writeFile(u"bin/"_s + name, "x");
    QDir().mkpath(app.file(u"bin/folder.html"_s));
    app.writeFile(u"bin/.paperwake-pages"_s,
                  "a.html\r\n../outside.html\r\ntemplate.html\r\nnotes.txt\r\nfolder.html\r\n");

    QCOMPARE(removeOldPageFiles(app.path()), QStringList());
    QDir bin(app.file(u"bin"_s));
    QStringList left = bin.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    left.sort();
    QCOMPARE(left, QStringList({u"folder.html"_s, u"mine.html"_s, u"notes.txt"_s,
                                u"template.html"_s}));
    QVERIFY(QFileInfo::exists(app.file(u"outside.html"_s)));
}

void PageBuilderTest::removeStalePartialPdfs_onlyTemporariesOfEndedRuns()
{
    TestAppFolder app(TestAppFolder::Output);
    const QString output = app.file(u"bin/output"_s);
    // Beyond the largest process id Linux hands out, so surely ended.
    const QString ended = u".pw-99999999-1.part"_s;
    const QString running = u".pw-%1-1.part"_s.arg(QCoreApplication::applicationPid());
    const QString pdf = u".pw-99999999-1.part.pdf"_s; // a PDF of the user's, whatever its name
    for (const QString &name : {ended, running, pdf})
        app.writeFile(u"bin/output/"_s + name, "%PDF");

    QCOMPARE(removeStalePartialPdfs(output), 1);
    QStringList left = QDir(output).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    QCOMPARE(left, QStringList({running, pdf}));
}

QTEST_GUILESS_MAIN(PageBuilderTest)
#include "tst_page_builder.moc"
