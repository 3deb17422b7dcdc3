// The engine cuts an article's long run of lines into blocks: pages, links and markup stay as
// they were.

#include "long_runs.h"
#include "page_builder.h"
#include "page_file.h"
#include "pdf_renderer.h"
#include "test_app_folder.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>

#include <poppler-qt6.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kTimeout = 120000;
constexpr double kPrintableWidth = 767; // about A4's, for scripts run outside the renderer

QString lines(const QString &what, int count)
{
    QString text;
    for (int i = 1; i <= count; ++i) {
        text += u"%1, line %2 of %3"_s.arg(what).arg(i).arg(count);
        // Now and then a line long enough to wrap, so lines and source lines differ.
        if (i % 7 == 0)
            text += u", and it goes on with words enough to run past the right edge of the page, "
                    "so that it takes two lines"_s;
        text += u'\n';
    }
    return text;
}

// An article with markup that spans many lines: every kind a cut must keep whole or split.
QByteArray markupArticle()
{
    QString text = u"Markup across the cuts\n"_s;
    text += u"<b>"_s + lines(u"Bold"_s, 100).replace(u"line 50"_s, u"<i>line 50 in italics</i>"_s)
            + u"</b>"_s;
    text += lines(u"Plain"_s, 30);
    text += u"<a href=\"https://example.org/long\">"_s + lines(u"Linked"_s, 90) + u"</a>"_s;
    text += u"<ul><li>first item</li><li>second item</li></ul>"_s;
    text += lines(u"After the list"_s, 70);
    text += u"<table border=1><tr><td>cell one</td><td>cell two</td></tr></table>"_s;
    // Its copies would show the border twice: never split, the run is cut around it.
    text += u"<span style=\"border-left: 3px solid #c00; padding-left: 4px\">"_s
            + lines(u"Bordered"_s, 90) + u"</span>"_s;
    text += lines(u"Closing"_s, 100);
    return text.toUtf8();
}

// Lines of one word each, of every length from well within the line to well past it, among
// plain lines: blocks whose words all fit stop breaking inside words, the others must not.
QByteArray wordsNearTheEdge()
{
    QString text = lines(u"Before"_s, 40);
    for (int length = 60; length <= 120; ++length)
        text += QString(length, u'x') + u'\n' + lines(u"Between"_s, 19);
    return text.toUtf8();
}

QString writePage(const TestAppFolder &app, const QString &name, const QByteArray &article,
                  const QString &extraStyle = QString())
{
    const QString articlePath = app.writeFile(u"articles/"_s + name + u".txt"_s, article);
    QString templateText = QString::fromUtf8(readBytes(app.file(u"bin/template.html"_s)));
    templateText.replace(u"</style>"_s, extraStyle + u"</style>"_s);
    const QString page = app.file(u"bin/"_s + name + u".html"_s);
    const QString filled = pagebuilder::prepareTemplate(templateText, u"Offer"_s, u"Go"_s,
                                                        u"https://example.com/"_s);
    if (!pagefile::writePage(page, filled, {articlePath}, false).isEmpty())
        return {};
    return page;
}

QByteArray render(PdfRenderer &renderer, const QString &page, bool cut)
{
    static int id = 0;
    renderer.setCutsLongRuns(cut);
    QSignalSpy spy(&renderer, &PdfRenderer::renderedData);
    renderer.renderToData(++id, page);
    if (!spy.wait(kTimeout))
        return {};
    return spy.at(0).at(1).toByteArray();
}

double differingShare(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 1;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            differing += p[col] != q[col];
    }
    return double(differing) / (double(x.width()) * x.height());
}

// How many times the word shows on the page, and how many of those lie on no link to url.
QPair<int, int> wordsOnLinks(Poppler::Page &page, const QString &word, const QString &url)
{
    QList<QRectF> areas;
    for (const std::unique_ptr<Poppler::Link> &link : page.links())
        if (const auto *browse = dynamic_cast<const Poppler::LinkBrowse *>(link.get());
            browse && browse->url() == url)
            areas << link->linkArea().normalized();
    const QSizeF size = page.pageSizeF();
    int shown = 0, off = 0;
    for (const std::unique_ptr<Poppler::TextBox> &box : page.textList()) {
        if (box->text() != word)
            continue;
        ++shown;
        const QPointF centre = box->boundingBox().center();
        const QPointF relative(centre.x() / size.width(), centre.y() / size.height());
        off += std::none_of(areas.cbegin(), areas.cend(),
                            [&](const QRectF &area) { return area.contains(relative); });
    }
    return {shown, off};
}

// The page's content as a reader meets it: each text and line break in order, with the
// elements around it (the blocks of whole lines not counted).
const QString kContentScript = uR"JS((function () {
  var out = [];
  var walker = document.createTreeWalker(document.body, NodeFilter.SHOW_ALL);
  for (var n = walker.nextNode(); n; n = walker.nextNode()) {
    if (n.nodeType === 1 && n.tagName !== 'BR') continue;
    if (n.nodeType === 3 && !n.data.trim()) continue;
    var around = [];
    for (var p = n.parentNode; p && p !== document.body; p = p.parentNode) {
      if (p.tagName === 'PW-LINES') continue;
      var attributes = Array.prototype.map.call(p.attributes, function (a) {
        return a.name + '=' + a.value;
      });
      around.push(p.tagName + '[' + attributes.join(' ') + ']');
    }
    out.push(around.join('<') + ' | ' + (n.nodeType === 3 ? n.data : 'BR'));
  }
  return out.join('\n');
})())JS"_s;

class LoadedPage
{
public:
    explicit LoadedPage(const QString &path) : m_page(&m_profile)
    {
        m_profile.settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
        QSignalSpy loaded(&m_page, &QWebEnginePage::loadFinished);
        m_page.load(QUrl::fromLocalFile(path));
        m_loaded = loaded.wait(kTimeout) && loaded.at(0).at(0).toBool();
    }
    bool isLoaded() const { return m_loaded; }

    QVariant run(const QString &script)
    {
        QVariant result;
        bool done = false;
        m_page.runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant &v) {
            result = v;
            done = true;
        });
        if (!QTest::qWaitFor([&] { return done; }, kTimeout))
            return QVariant();
        return result;
    }

private:
    QWebEngineProfile m_profile;
    QWebEnginePage m_page;
    bool m_loaded = false;
};

} // namespace

class LongRunsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { renderengine::prepareEnvironment(); }
    void cut_keepsEveryTextInItsMarkup();
    void cut_leavesAloneWhatItCannotCutUnseen_data();
    void cut_leavesAloneWhatItCannotCutUnseen();
    void cut_breaksInsideWordsOnlyWhereAWordMayNotFit_data();
    void cut_breaksInsideWordsOnlyWhereAWordMayNotFit();
    void cutPages_lookAsTheUncutOnesWithTheSameLinks_data();
    void cutPages_lookAsTheUncutOnesWithTheSameLinks();
};

void LongRunsTest::cut_keepsEveryTextInItsMarkup()
{
    TestAppFolder app(TestAppFolder::Bin | TestAppFolder::Template);
    LoadedPage page(writePage(app, u"markup"_s, markupArticle()));
    QVERIFY(page.isLoaded());
    const QString before = page.run(kContentScript).toString();
    QVERIFY(before.contains(u"I[]<B[]<DIV[class=article]<DIV[class=page] | line 50 in italics"_s));
    QVERIFY(page.run(renderengine::longRunsScript(kPrintableWidth)).toInt() >= 4);
    QCOMPARE(page.run(kContentScript).toString(), before);
    // The bold part and the link were cut into copies, the bordered span was not; the list
    // and the table were left whole.
    const QString shape = uR"JS([document.querySelectorAll('b').length > 1,
        document.querySelectorAll('a[href="https://example.org/long"]').length > 1,
        document.querySelectorAll('span').length, document.querySelectorAll('ul, li').length,
        document.querySelectorAll('table, td').length].join(' '))JS"_s;
    QCOMPARE(page.run(shape).toString(), u"true true 1 3 3"_s);
}

void LongRunsTest::cut_leavesAloneWhatItCannotCutUnseen_data()
{
    QTest::addColumn<QByteArray>("article");
    QTest::addColumn<QString>("style");
    QTest::newRow("a short article") << lines(u"Short"_s, 40).toUtf8() << QString();
    QTest::newRow("all in one bordered span")
        << (u"<span style=\"border: 1px solid\">"_s + lines(u"Boxed"_s, 300) + u"</span>"_s).toUtf8()
        << QString();
    // A rule that sees the article's children would no longer see them inside the blocks.
    QTest::newRow("a style for the article's children")
        << lines(u"Styled"_s, 300).toUtf8() << u".article > br { line-height: 2; }"_s;
    // No line starts with <i> in the article's first place, but each block's first would.
    QString italicLines = u"<b>Start</b>\n"_s;
    for (int i = 1; i <= 300; ++i)
        italicLines += u"<i>Line</i> %1\n"_s.arg(i);
    QTest::newRow("a style for the first of its kind")
        << italicLines.toUtf8() << u"i:first-child { color: #c00; }"_s;
    // Its lines run on as one: no cut may end one.
    QTest::newRow("line ends hidden by a style")
        << lines(u"Joined"_s, 300).toUtf8() << u".article br { display: none; }"_s;
}

void LongRunsTest::cut_leavesAloneWhatItCannotCutUnseen()
{
    QFETCH(QByteArray, article);
    QFETCH(QString, style);
    TestAppFolder app(TestAppFolder::Bin | TestAppFolder::Template);
    LoadedPage page(writePage(app, u"page"_s, article, style));
    QVERIFY(page.isLoaded());
    const QString before = page.run(u"document.documentElement.outerHTML"_s).toString();
    QCOMPARE(page.run(renderengine::longRunsScript(kPrintableWidth)).toInt(), 0);
    QCOMPARE(page.run(u"document.documentElement.outerHTML"_s).toString(), before);
}

void LongRunsTest::cut_breaksInsideWordsOnlyWhereAWordMayNotFit_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<bool>("relaxes");
    QTest::newRow("the page's own style") << QString() << true;
    // What is measured on screen may not be what is printed.
    QTest::newRow("a print style") << u"@media print { .article { font-size: 20pt; } }"_s << false;
    QTest::newRow("a width by the viewport") << u".article { width: 90vw; }"_s << false;
}

void LongRunsTest::cut_breaksInsideWordsOnlyWhereAWordMayNotFit()
{
    QFETCH(QString, style);
    QFETCH(bool, relaxes);
    TestAppFolder app(TestAppFolder::Bin | TestAppFolder::Template);
    LoadedPage page(writePage(app, u"edge"_s, wordsNearTheEdge(), style));
    QVERIFY(page.isLoaded());
    const int blocks = page.run(renderengine::longRunsScript(kPrintableWidth)).toInt();
    QVERIFY(blocks > 4);
    const int relaxed =
        page.run(u"Array.prototype.filter.call(document.getElementsByTagName('pw-lines'),"
                 " function (b) { return getComputedStyle(b).overflowWrap === 'normal'; }).length"_s)
            .toInt();
    if (relaxes)
        QVERIFY2(relaxed > 0 && relaxed < blocks, qPrintable(u"%1 of %2"_s.arg(relaxed).arg(blocks)));
    else
        QCOMPARE(relaxed, 0);
}

void LongRunsTest::cutPages_lookAsTheUncutOnesWithTheSameLinks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("article");
    QTest::addColumn<QString>("style");
    QTest::newRow("markup") << u"markup"_s << markupArticle() << QString();
    QTest::newRow("words near the edge") << u"edge"_s << wordsNearTheEdge() << QString();
    // Loaded only once the page is laid out: the load must still wait for them.
    QTest::newRow("a font and a picture of the page's own")
        << u"loaded"_s << lines(u"In its own font"_s, 300).toUtf8()
        << u"@font-face { font-family: Shipped; src: url(shipped.ttf); }"
           ".article { font-family: Shipped; } .page { background: url(paper.png); }"_s;
    // Real articles: license texts every Debian system has.
    for (const QString &license : {u"Apache-2.0"_s, u"GPL-2"_s})
        QTest::newRow(qPrintable(license))
            << license << readBytes(u"/usr/share/common-licenses/"_s + license) << QString();
}

void LongRunsTest::cutPages_lookAsTheUncutOnesWithTheSameLinks()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, article);
    QFETCH(QString, style);
    if (article.isEmpty())
        QSKIP("the license texts of /usr/share/common-licenses are missing");
    TestAppFolder app(TestAppFolder::Bin | TestAppFolder::Template);
    if (!style.isEmpty()) {
        app.writeFile(u"bin/shipped.ttf"_s, readBytes(u"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"_s));
        QImage paper(8, 8, QImage::Format_RGB32);
        paper.fill(QColor(250, 240, 200));
        paper.setPixel(0, 0, qRgb(200, 60, 60));
        QVERIFY(paper.save(app.file(u"bin/paper.png"_s)));
    }
    const QString page = writePage(app, name, article, style);
    QVERIFY(!page.isEmpty());
    PdfRenderer renderer;
    const auto uncut = Poppler::Document::loadFromData(render(renderer, page, false));
    const auto cut = Poppler::Document::loadFromData(render(renderer, page, true));
    QVERIFY(uncut && cut);
    QVERIFY(uncut->numPages() > 3);
    QCOMPARE(cut->numPages(), uncut->numPages());
    // Every word of a link lies on it: the ad's button, and the link over many lines.
    const QList<QPair<QString, QString>> linked{{u"Go"_s, u"https://example.com/"_s},
                                                {u"Linked,"_s, u"https://example.org/long"_s}};
    QHash<QString, int> shown;
    for (int i = 0; i < cut->numPages(); ++i) {
        const std::unique_ptr<Poppler::Page> ours = cut->page(i), theirs = uncut->page(i);
        const double share = differingShare(ours->renderToImage(72, 72), theirs->renderToImage(72, 72));
        QVERIFY2(share <= 0.001, qPrintable(u"page %1: %2 % of pixels differ"_s.arg(i + 1).arg(share * 100)));
        for (const auto &[word, url] : linked) {
            const auto [count, off] = wordsOnLinks(*ours, word, url);
            QVERIFY2(off == 0, qPrintable(u"page %1: %2 of %3 \"%4\" on no link"_s.arg(i + 1).arg(off).arg(count).arg(word)));
            shown[word] += count;
        }
    }
    QCOMPARE(shown.value(u"Go"_s), 1);
    if (name == u"markup"_s)
        QCOMPARE(shown.value(u"Linked,"_s), 90);
}

QTEST_MAIN(LongRunsTest)
#include "tst_long_runs.moc"
