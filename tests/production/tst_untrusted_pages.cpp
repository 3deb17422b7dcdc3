// Hostile articles, ad titles and button texts through the page builder and the real converter:
// nothing runs, nothing is fetched, nothing from outside the page's folder ends up in the PDF.

#include "converter.h"
#include "converter_lookup.h"
#include "converter_sandbox.h"
#include "page_builder.h"
#include "test_app_folder.h"

#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#ifdef Q_OS_LINUX
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

// What an article (or the ad) may hold to make a converter fetch or run something. {url} is the
// listener's address, {host} its host and port, {image} an image outside the page's folder;
// each row asks for a path of its own, so a request names its row. A script that runs writes SCRIPT-RAN, which its text as written does not hold.
struct Vector
{
    const char *name;
    const char *markup;
};
constexpr Vector kArticleVectors[] = {
    {"img src", "<img src={url}/img-src>"},
    {"img srcset", "<img srcset=\"{url}/srcset 1x, x.png 2x\">"},
    {"style url()", "<p style=\"background-image:url('{url}/style-url')\">style</p>"},
    {"style url() in CSS escapes", "<p style=\"background:\\75 rl({url}/css-escape)\">escaped</p>"},
    {"style image-set()", "<p style=\"background-image:image-set('{url}/image-set' 1x)\">set</p>"},
    {"input type=image", "<input type=image src={url}/input-image>"},
    {"table background", "<table background={url}/table-background><tr><td>cell</td></tr></table>"},
    {"td background", "<table><tr><td background={url}/td-background>cell</td></tr></table>"},
    {"address in character references", "<img src=\"http:&#x2f;&#x2f;{host}/char-refs\">"},
    {"address in named references", "<img src=\"http&colon;&sol;&sol;{host}/named-refs\">"},
    {"video poster", "<video poster={url}/poster></video>"},
    {"picture source", "<picture><source srcset={url}/picture-source><img src=x.png></picture>"},
    {"audio source", "<audio autoplay src={url}/audio></audio>"},
    {"svg style", "<svg width=20 height=20 style=\"background:url({url}/svg-style)\"></svg>"},
    {"link relation attachment", "<a rel=attachment href={url}/attachment>attached</a>"},
    {"outside file as attachment", "<a rel=attachment href=\"/etc/hostname\">host</a>"},
    {"outside file as image", "<img src=\"file://{image}\">"},
    {"outside file by its path", "<img src=\"{image}\">"},
    {"way up from the page folder", "<img src=\"../outside.bmp\">"},
    {"way up, encoded", "<img src=\"%2e%2e/outside.bmp\">"},
    {"iframe", "<iframe src={url}/iframe></iframe>"},
    {"object", "<object data={url}/object></object>"},
    {"embed", "<embed src={url}/embed>"},
    {"stylesheet link", "<link rel=stylesheet href={url}/link>"},
    {"style import", "<style>@import url({url}/import);</style>"},
    {"meta refresh", "<meta http-equiv=refresh content=\"0;url={url}/refresh\">"},
    {"base", "<base href={url}/base/><img src=based.png>"},
    {"script", "<script>document.write('SCRIPT' + '-RAN')</script>"},
    {"script from outside", "<script src={url}/script></script>"},
    {"event attribute", "<img src=x.png onerror=\"document.write('SCRIPT' + '-RAN')\">"},
    {"textarea hides a tag",
     "<textarea><p title=\"</textarea><img src={url}/textarea onerror=document.write('SCRIPT'+'-RAN')>\">"},
    {"noscript hides a tag",
     "<noscript><p title=\"</noscript><img src={url}/noscript onerror=document.write('SCRIPT'+'-RAN')>\">"},
    {"title hides a tag",
     "<title><p title=\"</title><img src={url}/title onerror=document.write('SCRIPT'+'-RAN')>\">"},
    {"xmp hides a tag", "<xmp><p title=\"</xmp><img src={url}/xmp>\">"},
    {"noembed hides a tag", "<noembed><p title=\"</noembed><img src={url}/noembed>\">"},
    {"noframes hides a tag", "<noframes><p title=\"</noframes><img src={url}/noframes>\">"},
    {"svg character data", "<svg><![CDATA[<p title=\"]]><img src={url}/svg-cdata>\">]]></svg>"},
    {"math breaking out of a style",
     "<math><mtext><table><mglyph><style><img src={url}/math-style></style></mglyph></table></mtext></math>"},
    {"plain text to the end (last)", "<plaintext><p title=\"<img src={url}/plaintext>\">"},
};
// The ad's title also fills the page's <title>, where "</title>" would end it.
constexpr Vector kTitleVectors[] = {
    {"image in the ad title", "<img src={url}/ad-title>"},
    {"ad title leaving the page title",
     "</title><img src={url}/title-breakout onerror=document.write('SCRIPT'+'-RAN')>"},
};
constexpr Vector kButtonVectors[] = {
    {"image in the button text", "<img src={url}/button-text>"},
};

// Records the first line of every request that reaches it.
class Listener : public QObject
{
public:
    Listener()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                m_requests << u"(a connection)"_s;
                const qsizetype slot = m_requests.size() - 1;
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket, slot] {
                    m_requests[slot] = QString::fromLatin1(socket->readAll().split('\n').value(0));
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    bool listening() const { return m_server.isListening(); }
    QString hostAndPort() const { return u"127.0.0.1:%1"_s.arg(m_server.serverPort()); }
    QString address() const { return u"http://"_s + hostAndPort(); }
    const QStringList &requests() const { return m_requests; }

private:
    QTcpServer m_server;
    QStringList m_requests;
};

// Every proxy setting names the listener: a converter that honoured them would ask it for the
// page tail's script (and for anything else on the network).
class ProxiesToListener
{
public:
    explicit ProxiesToListener(const QString &proxy)
    {
        for (const char *name : kNames) {
            m_saved << qgetenv(name);
            qputenv(name, proxy.toUtf8());
        }
    }
    ~ProxiesToListener()
    {
        for (int i = 0; i < int(std::size(kNames)); ++i)
            qputenv(kNames[i], m_saved.at(i));
    }

private:
    static constexpr const char *kNames[] = {"http_proxy", "https_proxy", "all_proxy", "proxy",
                                             "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"};
    QList<QByteArray> m_saved;
};

QString filled(const Vector &vector, const Listener &listener, const QString &outsideImage)
{
    return QString::fromUtf8(vector.markup)
        .replace(u"{url}"_s, listener.address())
        .replace(u"{host}"_s, listener.hostAndPort())
        .replace(u"{image}"_s, outsideImage);
}

// An image of a size nothing else in the PDF has (13 by 7 pixels, a BMP every converter reads):
// a converter that loaded it would put it into the PDF.
constexpr int kImageWidth = 13, kImageHeight = 7;
QByteArray outsideImage()
{
    const auto le = [](quint32 value, int bytes) {
        QByteArray out;
        for (int i = 0; i < bytes; ++i)
            out += char((value >> (8 * i)) & 0xFF);
        return out;
    };
    const int row = (kImageWidth * 3 + 3) & ~3;
    const QByteArray pixels(row * kImageHeight, '\x40');
    return "BM" + le(54 + pixels.size(), 4) + le(0, 4) + le(54, 4) + le(40, 4) + le(kImageWidth, 4)
           + le(kImageHeight, 4) + le(1, 2) + le(24, 2) + le(0, 4) + le(pixels.size(), 4)
           + le(2835, 4) + le(2835, 4) + le(0, 4) + le(0, 4) + pixels;
}

// Converts the page with the converter under test.
ConversionOutcome convert(const QString &page, const QString &pdf)
{
    ConversionLauncher launcher(testConverter());
    QSignalSpy spy(&launcher, &ConversionLauncher::finished);
    launcher.start(page, pdf);
    if (!spy.wait(300000))
        return ConversionOutcome::TimedOut;
    return spy.at(0).at(1).value<ConversionOutcome>();
}

bool networkCanBeLeft()
{
#ifdef Q_OS_LINUX
    const convertersandbox::Exit exit = convertersandbox::prepareExit();
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(convertersandbox::leaveNetwork(exit) ? 0 : 1);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)
           && WEXITSTATUS(status) == 0;
#else
    return false;
#endif
}

} // namespace

class UntrustedPagesTest : public QObject
{
    Q_OBJECT
private slots:
    void hostileMarkup_noConverterFetchesOrRunsAnything();
    void pageWithOutsideAddresses_converterStaysOffline();
};

void UntrustedPagesTest::hostileMarkup_noConverterFetchesOrRunsAnything()
{
    if (testConverter().isEmpty())
        QSKIP("no converter installed");
    Listener listener;
    QVERIFY(listener.listening());
    const ProxiesToListener proxies(listener.address());
    TestAppFolder app(TestAppFolder::Bin | TestAppFolder::Template | TestAppFolder::Output);
    const QString outside = app.writeFile(u"outside.bmp"_s, outsideImage());

    QStringList article, title, button;
    for (const Vector &vector : kArticleVectors)
        article << u"<p>row %1</p>"_s.arg(QString::fromUtf8(vector.name)) + filled(vector, listener, outside);
    for (const Vector &vector : kTitleVectors)
        title << filled(vector, listener, outside);
    for (const Vector &vector : kButtonVectors)
        button << filled(vector, listener, outside);
    const QString templateText = QString::fromUtf8(readBytes(app.file(u"bin/template.html"_s)));
    const QString page = app.writeFile(
        u"bin/hostile.html"_s,
        pagebuilder::composePage(pagebuilder::prepareTemplate(templateText, u"Offer "_s + title.join(u' '),
                                                              u"Buy "_s + button.join(u' '),
                                                              u"https://example.com/"_s),
                                 pagebuilder::articleToHtml(article.join(u'\n')))
            .toUtf8());
    const QString pdf = app.file(u"bin/output/hostile.pdf"_s);

    QCOMPARE(convert(page, pdf), ConversionOutcome::Made);
    QTest::qWait(300); // a request on its way arrives by now
    QVERIFY2(listener.requests().isEmpty(), qPrintable(listener.requests().join(u"\n"_s)));
    const QString text = pdfText(pdf);
    QVERIFY2(text.contains(u"row base"_s), qPrintable(text)); // the article was laid out
    QVERIFY2(!text.contains(u"SCRIPT-RAN"_s), qPrintable(text));
    // Nothing from outside the page's folder: not its image (found by its size: converters
    // draw missing images and borders as images of their own), no file.
    QVERIFY(!pdfImageSizes(pdf).contains(QSize(kImageWidth, kImageHeight)));
    QCOMPARE(pdfEmbeddedFileCount(pdf), 0);
}

void UntrustedPagesTest::pageWithOutsideAddresses_converterStaysOffline()
{
    // Should an outside address reach a page all the same (a template may name one), the
    // converter does not reach out for it, and runs no script of the page.
    const QString converter = testConverter();
    if (converter.isEmpty())
        QSKIP("no converter installed");
    if (conversion::isBuiltinEngine(converter))
        QSKIP("the engine's own test reads such a page");
    Listener listener;
    QVERIFY(listener.listening());
    const ProxiesToListener proxies(listener.address());
    TestAppFolder app(TestAppFolder::Bin | TestAppFolder::Output);
    // wkhtmltopdf asks no proxy for this machine's own addresses: only a network of its own
    // keeps it from the listener.
    const bool ownNetwork = networkCanBeLeft();
    const QString local = ownNetwork ? u"<img src=%1/img>"_s.arg(listener.address()) : QString();
    const QString page = app.writeFile(
        u"bin/raw.html"_s,
        (u"<html><body><p>raw words</p>%1<img src=http://192.0.2.1/remote.png>"
         "<script>document.write('SCRIPT' + '-RAN')</script>"_s.arg(local)
         + pagebuilder::pageTail())
            .toUtf8());
    const QString pdf = app.file(u"bin/output/raw.pdf"_s);

    QCOMPARE(convert(page, pdf), ConversionOutcome::Made);
    QTest::qWait(300);
    QVERIFY2(listener.requests().isEmpty(), qPrintable(listener.requests().join(u"\n"_s)));
    const QString text = pdfText(pdf);
    QVERIFY2(text.contains(u"raw words"_s) && !text.contains(u"SCRIPT-RAN"_s), qPrintable(text));
    if (!ownNetwork)
        QSKIP("this system lets no process make a network of its own: checked through proxies only");
}

QTEST_GUILESS_MAIN(UntrustedPagesTest)
#include "tst_untrusted_pages.moc"
