#include "pdf_renderer.h"

#include "long_runs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// Lets a page load files from its own folder and below; blocks every other request (network,
// other files, any other scheme) before it leaves the engine.
class LocalOnlyInterceptor : public QWebEngineUrlRequestInterceptor
{
public:
    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        if (!allowed(info.requestUrl(), info.firstPartyUrl()))
            info.block(true);
    }

    static bool allowed(const QUrl &url, const QUrl &page)
    {
        if (!url.isLocalFile() || !page.isLocalFile())
            return false;
        const QString path = QDir::cleanPath(url.toLocalFile());
        const QString pagePath = QDir::cleanPath(page.toLocalFile());
        if (path == pagePath)
            return true;
        const QString folder = QFileInfo(pagePath).path();
        return path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
    }
};

namespace {

// The printed page is laid out as wkhtmltopdf lays it out: A4, its margins and its shrinking
// to fit, measured on its PDFs (text positions and sizes); over the license texts of Debian
// every article then takes exactly as many pages as there.
constexpr double kZoom = 0.76;
constexpr double kMarginMm = 3.5;

QPageLayout a4Layout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
}

// The printed width in CSS px (96 a inch) before the zoom, as the layout of the page sees it.
double printableWidthPx()
{
    return a4Layout().paintRect(QPageLayout::Point).width() * 96 / 72;
}

QString zoomScript()
{
    return QStringLiteral("document.documentElement.style.zoom = '%1';").arg(kZoom);
}

// Zooms and cuts once: when the document is ready (so that what its layout loads, fonts and
// pictures, the load waits for), or else after the load.
QString prepareScript()
{
    return QStringLiteral("if (!window.paperwakePrepared) {\nwindow.paperwakePrepared = true;\n")
           + zoomScript() + u'\n' + renderengine::longRunsScript(printableWidthPx()) + QStringLiteral("\n}");
}

QWebEngineScript engineScript(const QString &name, QWebEngineScript::InjectionPoint when,
                              const QString &source)
{
    QWebEngineScript script;
    script.setName(name);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setInjectionPoint(when);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(source);
    return script;
}

} // namespace

PdfRenderer::PdfRenderer(QObject *parent)
    : QObject(parent), m_interceptor(std::make_unique<LocalOnlyInterceptor>())
{
    // Read when the first profile starts the engine; a program that did not set it up at its
    // start (the window's tests) gets the same settings here.
    static const bool prepared = (renderengine::prepareEnvironment(), true);
    Q_UNUSED(prepared);
    // Off the record: nothing of a page is kept on disk between runs.
    m_profile = new QWebEngineProfile(this);
    m_profile->setUrlRequestInterceptor(m_interceptor.get());
    m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    QWebEngineSettings *settings = m_profile->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    settings->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    installScripts();
}

void PdfRenderer::setCutsLongRuns(bool on)
{
    m_cutsLongRuns = on;
    installScripts();
}

void PdfRenderer::installScripts()
{
    QWebEngineScriptCollection *scripts = m_profile->scripts();
    scripts->clear();
    if (!m_cutsLongRuns)
        return;
    // Hidden from its start until the lines are cut, the page's load lays nothing out: the
    // layout of an uncut article costs more than the rest of the load.
    scripts->insert(engineScript(QStringLiteral("paperwake-hide"), QWebEngineScript::DocumentCreation,
                                 renderengine::hideScript()));
    scripts->insert(engineScript(QStringLiteral("paperwake-prepare"), QWebEngineScript::DocumentReady,
                                 prepareScript()));
}

PdfRenderer::~PdfRenderer()
{
    // Pages before their profile, also those given up and not yet deleted.
    m_jobs.clear();
    m_idlePages.clear();
    qDeleteAll(findChildren<QWebEnginePage *>(Qt::FindDirectChildrenOnly));
    delete m_profile;
}

void PdfRenderer::render(int id, const QString &pagePath, const QString &pdfPath)
{
    start(id, pagePath, pdfPath, false);
}

void PdfRenderer::renderToData(int id, const QString &pagePath)
{
    start(id, pagePath, QString(), true);
}

QWebEnginePage *PdfRenderer::takePage()
{
    if (!m_idlePages.isEmpty())
        return m_idlePages.takeLast();
    auto *page = new QWebEnginePage(m_profile, this);
    // Kept for the page's life (its context is the page, so releasing it does not undo this).
    connect(page, &QWebEnginePage::renderProcessTerminated, page,
            [this, page](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
                onRendererEnded(page, status, exitCode);
            });
    return page;
}

void PdfRenderer::onRendererEnded(QWebEnginePage *page, int status, int exitCode)
{
    // The page goes with its renderer: the next render gets a fresh page and renderer.
    m_idlePages.removeOne(page);
    page->disconnect(this);
    page->deleteLater();
    int id = 0;
    for (auto it = m_jobs.begin(); it != m_jobs.end(); ++it)
        if (it->page == page) {
            id = it.key();
            it->page = nullptr;
            break;
        }
    if (id == 0)
        return;
    QString how;
    switch (QWebEnginePage::RenderProcessTerminationStatus(status)) {
    case QWebEnginePage::KilledTerminationStatus:
        how = QStringLiteral("was killed");
        break;
    case QWebEnginePage::CrashedTerminationStatus:
        how = QStringLiteral("crashed");
        break;
    default:
        // Some Chromium versions report a killed renderer as a normal end with status 0.
        how = exitCode == 0 ? QStringLiteral("ended unexpectedly")
                            : QStringLiteral("ended (exit status %1)").arg(exitCode);
        break;
    }
    fail(id, QStringLiteral("the engine's renderer process %1").arg(how));
}

void PdfRenderer::releasePage(QWebEnginePage *page)
{
    page->disconnect(this);
    m_idlePages.append(page);
}

void PdfRenderer::start(int id, const QString &pagePath, const QString &pdfPath, bool toData)
{
    const QFileInfo page(pagePath);
    if (!page.isFile()) {
        QMetaObject::invokeMethod(
            this,
            [this, id, toData, name = page.absoluteFilePath()] {
                const QString reason = QStringLiteral("the page file %1 is missing").arg(name);
                if (toData)
                    emit renderedData(id, {}, reason);
                else
                    emit rendered(id, false, reason);
            },
            Qt::QueuedConnection);
        return;
    }
    Job job;
    job.page = takePage();
    job.pdfPath = pdfPath;
    job.toData = toData;
    m_jobs.insert(id, job);
    connect(job.page, &QWebEnginePage::loadFinished, this, [this, id](bool ok) { onLoaded(id, ok); });
    job.page->load(QUrl::fromLocalFile(page.absoluteFilePath()));
}

void PdfRenderer::onLoaded(int id, bool ok)
{
    const auto it = m_jobs.find(id);
    if (it == m_jobs.end())
        return;
    if (!ok) {
        fail(id, QStringLiteral("the page could not be loaded"));
        return;
    }
    QWebEnginePage *page = it->page;
    page->disconnect(this);
    // The zoom is set and long runs are cut from a world of our own: the page's scripts stay off.
    const QString script = m_cutsLongRuns
                               ? prepareScript() + u'\n' + renderengine::beforePrintScript()
                               : zoomScript();
    page->runJavaScript(script, QWebEngineScript::ApplicationWorld, [this, id, page](const QVariant &) {
        const auto job = m_jobs.find(id);
        if (job == m_jobs.end() || job->page != page)
            return;
        page->printToPdf([this, id, page](const QByteArray &pdf) {
            const auto printed = m_jobs.find(id);
            if (printed == m_jobs.end() || printed->page != page)
                return;
            onPrinted(id, pdf);
        }, a4Layout());
    });
}

void PdfRenderer::onPrinted(int id, const QByteArray &pdf)
{
    if (pdf.isEmpty()) {
        fail(id, QStringLiteral("the page could not be printed"));
        return;
    }
    finish(id, pdf, QString());
}

void PdfRenderer::fail(int id, const QString &reason)
{
    finish(id, QByteArray(), reason);
}

void PdfRenderer::finish(int id, const QByteArray &pdf, const QString &reason)
{
    const Job job = m_jobs.take(id);
    if (job.page)
        releasePage(job.page);
    if (job.toData) {
        emit renderedData(id, pdf, reason);
        return;
    }
    if (!reason.isEmpty()) {
        emit rendered(id, false, reason);
        return;
    }
    // Written under the caller's own temporary name, which it checks before it takes the PDF.
    QFile out(job.pdfPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(pdf) != pdf.size()
        || !out.flush()) {
        const QString why = out.errorString();
        out.close();
        QFile::remove(job.pdfPath);
        emit rendered(id, false, QStringLiteral("the PDF could not be written: %1").arg(why));
        return;
    }
    emit rendered(id, true, QString());
}

void PdfRenderer::cancel(int id)
{
    const auto it = m_jobs.find(id);
    if (it == m_jobs.end())
        return;
    QWebEnginePage *page = it->page;
    m_jobs.erase(it);
    // A page that hangs in its load is not reused: its renderer may be stuck.
    page->disconnect(this);
    page->triggerAction(QWebEnginePage::Stop);
    page->deleteLater();
}

namespace renderengine {

namespace {

void appendChromiumFlags(const QByteArray &flags)
{
    QByteArray all = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!all.isEmpty())
        all += ' ';
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", all + flags);
}

} // namespace

void prepareEnvironment()
{
    static bool done = false;
    if (std::exchange(done, true))
        return;
    // No network at all, whatever a page asks: names resolve nowhere and no proxy is tried.
    appendChromiumFlags("--disable-gpu --disable-background-networking --disable-component-update "
                        "--no-proxy-server --host-resolver-rules=\"MAP * ~NOTFOUND\" "
                        "--disable-features=NetworkPrediction");
    // Its pages are never shown, so Chromium counts their renderers as background tabs and
    // lowers their priority: on a busy machine the pages then wait behind everything else.
    appendChromiumFlags("--disable-renderer-backgrounding");
    // Its start-up report of graphics settings says nothing to a user of a PDF engine.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
#ifdef Q_OS_UNIX
    // Chromium's sandbox cannot start as root; scripts are off and the network is shut, so the
    // pages it renders are ours.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

} // namespace renderengine
