#include "page_preview.h"
#include "test_app_folder.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace std::chrono_literals;

namespace {

constexpr int kRenderTimeout = 60000;

QString writeArticle(const TestAppFolder &app, const QString &name, const QByteArray &bytes)
{
    return app.writeFile(QStringLiteral("articles/") + name, bytes);
}

} // namespace

class PagePreviewTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void unavailable_saysWhyInPlace_data();
    void unavailable_saysWhyInPlace();
    void render_showsTheAdAndTheRunsFirstPage_data();
    void render_showsTheAdAndTheRunsFirstPage();
    void newerRequest_supersedesTheRunningOne();
    void inactive_keepsTheRequestUntilShown();
    void largeArticle_startDecodedAsTheWholeFile_data();
    void largeArticle_startDecodedAsTheWholeFile();
    void charactersNoFontDraws_namedUnderThePreview();

private:
    QTemporaryDir m_fonts;
};

void PagePreviewTest::initTestCase()
{
    // Only DejaVu, read at the first look at the fonts: no Devanagari, no Thai.
    qputenv("FONTCONFIG_FILE",
            writeFontConfig(m_fonts.path(), QString::fromLatin1(kDejaVuFolder)).toLocal8Bit());
}

void PagePreviewTest::unavailable_saysWhyInPlace_data()
{
    QTest::addColumn<int>("parts");
    QTest::addColumn<QString>("article"); // relative to the app folder; empty: none
    QTest::addColumn<QString>("mentions");
    const int all = TestAppFolder::Bin | TestAppFolder::Template | TestAppFolder::Converter;
    QTest::newRow("no template") << int(TestAppFolder::Bin | TestAppFolder::Converter) << ""
                                 << "bin/template.html";
    QTest::newRow("article gone") << all << "articles/gone.txt"
                                  << "articles/gone.txt";
    QTest::newRow("article is a folder") << all << "articles"
                                         << "articles";
}

void PagePreviewTest::unavailable_saysWhyInPlace()
{
    QFETCH(int, parts);
    QFETCH(QString, article);
    QFETCH(QString, mentions);
    TestAppFolder app(parts);
    // Without one in the folder, a converter on the PATH would do.
    std::optional<NoConverterOnPath> noConverter;
    if (!(parts & TestAppFolder::Converter))
        noConverter.emplace();
    app.writeFile(QStringLiteral("articles/kept.txt"), "text");
    PagePreview preview(app.path());
    preview.setDelay(0ms);
    preview.setActive(true);
    PreviewInput input;
    if (!article.isEmpty())
        input.articles << app.file(article);
    preview.request(input);
    QTRY_COMPARE_WITH_TIMEOUT(preview.state(), PagePreview::State::Unavailable, kRenderTimeout);
    QVERIFY2(preview.problem().contains(app.file(mentions)), qPrintable(preview.problem()));
    QVERIFY(preview.image().isNull());
    QVERIFY(!QFileInfo::exists(preview.pdfPath()));
}

void PagePreviewTest::render_showsTheAdAndTheRunsFirstPage_data()
{
    QTest::addColumn<int>("articleCount");
    QTest::addColumn<bool>("singleRun");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("notShown");
    QTest::newRow("no article: sample text")
        << 0 << true << QStringList{"Your article starts here"} << QStringList{};
    QTest::newRow("bulk: first article only")
        << 2 << false << QStringList{"Alpenglow"} << QStringList{"Bramblewood"};
    QTest::newRow("single: the articles in turn")
        << 2 << true << QStringList{"Alpenglow", "Bramblewood"} << QStringList{};
}

void PagePreviewTest::render_showsTheAdAndTheRunsFirstPage()
{
    QFETCH(int, articleCount);
    QFETCH(bool, singleRun);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, notShown);
    TestAppFolder app;
    const QStringList articles = {
        writeArticle(app, QStringLiteral("one.txt"), "Alpenglow over the ridge.\r\nSecond line."),
        writeArticle(app, QStringLiteral("two.txt"), "Bramblewood in the valley.")};

    PagePreview preview(app.path());
    preview.setDelay(0ms);
    preview.setActive(true);
    PreviewInput input{QStringLiteral("Quarterly Garden Offer"), QStringLiteral("Grab it"),
                       QStringLiteral("https://example.com/offer"), articles.mid(0, articleCount),
                       singleRun};
    preview.request(input);
    QTRY_COMPARE_WITH_TIMEOUT(preview.state(), PagePreview::State::Ready, kRenderTimeout);
    QVERIFY(!preview.image().isNull());
    QVERIFY(preview.image().height() > preview.image().width()); // a portrait page

    const QString text = pdfText(preview.pdfPath()).simplified();
    for (const QString &words : QStringList{"Quarterly Garden Offer", "Grab it"} + shown)
        QVERIFY2(text.contains(words), qPrintable(words + QStringLiteral(" in: ") + text));
    for (const QString &words : notShown)
        QVERIFY2(!text.contains(words), qPrintable(words));
    // Never beside the runs' pages and PDFs.
    QVERIFY(!preview.pdfPath().startsWith(app.path()));
}

void PagePreviewTest::newerRequest_supersedesTheRunningOne()
{
    TestAppFolder app;
    PagePreview preview(app.path());
    preview.setDelay(0ms);
    preview.setActive(true);
    QList<PagePreview::State> states;
    connect(&preview, &PagePreview::stateChanged, this, [&] { states << preview.state(); });
    PreviewInput input;
    input.adTitle = QStringLiteral("Obsolete Heading");
    preview.request(input);
    QTRY_COMPARE_WITH_TIMEOUT(preview.state(), PagePreview::State::Rendering, kRenderTimeout);
    input.adTitle = QStringLiteral("Current Heading");
    preview.request(input);
    QCOMPARE(preview.state(), PagePreview::State::Rendering); // still busy, not Ready

    QTRY_COMPARE_WITH_TIMEOUT(preview.state(), PagePreview::State::Ready, kRenderTimeout);
    const QString text = pdfText(preview.pdfPath());
    QVERIFY2(text.contains(QStringLiteral("Current Heading")), qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("Obsolete Heading")));
    // The stale page was never shown: Ready came once, at the end.
    QCOMPARE(states.count(PagePreview::State::Ready), 1);
    QCOMPARE(states.last(), PagePreview::State::Ready);
}

void PagePreviewTest::inactive_keepsTheRequestUntilShown()
{
    TestAppFolder app;
    PagePreview preview(app.path());
    preview.setDelay(10ms);
    PreviewInput input;
    input.adTitle = QStringLiteral("Waiting Title");
    preview.request(input);
    QTest::qWait(300);
    QCOMPARE(preview.state(), PagePreview::State::Waiting);
    QVERIFY(!QFileInfo::exists(preview.pdfPath()));

    preview.setActive(true);
    QTRY_COMPARE_WITH_TIMEOUT(preview.state(), PagePreview::State::Ready, kRenderTimeout);
    QVERIFY(pdfText(preview.pdfPath()).contains(QStringLiteral("Waiting Title")));
}

void PagePreviewTest::largeArticle_startDecodedAsTheWholeFile_data()
{
    // Only the start of a large article is read. Made of two-byte characters, with one byte
    // more or less in front, so that one of the rows cuts inside a character.
    QTest::addColumn<QByteArray>("padding");
    QTest::newRow("even") << QByteArray();
    QTest::newRow("odd") << QByteArray("x");
}

void PagePreviewTest::largeArticle_startDecodedAsTheWholeFile()
{
    QFETCH(QByteArray, padding);
    TestAppFolder app;
    QByteArray bytes = padding + "D\xC3\xA9"
                                 "but d\xE2\x80\x99"
                                 "article\r\n";
    while (bytes.size() < 1024 * 1024)
        bytes += QByteArray("\xC3\xA9").repeated(40) + "\r\n";
    const QString article = writeArticle(app, QStringLiteral("big.txt"), bytes);

    PagePreview preview(app.path());
    preview.setDelay(0ms);
    preview.setActive(true);
    PreviewInput input;
    input.articles << article;
    preview.request(input);
    QTRY_COMPARE_WITH_TIMEOUT(preview.state(), PagePreview::State::Ready, kRenderTimeout);
    const QString text = pdfText(preview.pdfPath());
    QVERIFY2(text.contains(QString::fromUtf8("D\xC3\xA9"
                                             "but d\xE2\x80\x99"
                                             "article")),
             qPrintable(text.left(200)));
}

void PagePreviewTest::charactersNoFontDraws_namedUnderThePreview()
{
    TestAppFolder app;
    const QString hindi = copyTestData(QStringLiteral("scripts/hindi.txt"), app.file("articles"));
    PagePreviewView view(app.path());
    view.preview()->setDelay(0ms);
    view.show();
    view.preview()->request({QStringLiteral("สวัสดี Offer"), QStringLiteral("Grab it"),
                             QStringLiteral("https://example.com/offer"), {hindi}, false});
    QTRY_COMPARE_WITH_TIMEOUT(view.preview()->state(), PagePreview::State::Ready, kRenderTimeout);
    const QStringList undrawn = view.preview()->undrawn();
    QCOMPARE(undrawn.size(), 2);
    QCOMPARE(undrawn.first(),
             QStringLiteral("the ad: 6 characters of Thai have no font here; install fonts-noto-core"));
    QVERIFY2(undrawn.last().startsWith(QStringLiteral("hindi.txt: ")) &&
                 undrawn.last().endsWith(
                     QStringLiteral(" characters of Devanagari have no font here; install "
                                    "fonts-noto-core")),
             qPrintable(undrawn.last()));
    const auto *line = view.findChild<QLabel *>(QStringLiteral("lblPreviewFonts"));
    QVERIFY(line && line->isVisible());
    QCOMPARE(line->text(), undrawn.join(u'\n'));
}

QTEST_MAIN(PagePreviewTest)
#include "tst_page_preview.moc"
