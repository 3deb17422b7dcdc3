#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <memory>

class QWebEnginePage;
class QWebEngineProfile;
class LocalOnlyInterceptor;

// Turns page files into PDFs on Qt WebEngine, several at once, in this process. Offline by
// construction: a page may load files from its own folder and nothing else (no network, no
// other file), and page scripts never run, so nothing an article holds can run or fetch.
class PdfRenderer : public QObject
{
    Q_OBJECT
public:
    explicit PdfRenderer(QObject *parent = nullptr);
    ~PdfRenderer() override;

    // Starts rendering the page file; rendered() follows with the same id, never synchronously.
    // The PDF is written only when the page was rendered whole.
    void render(int id, const QString &pagePath, const QString &pdfPath);
    // The same, keeping the PDF in memory: renderedData() follows.
    void renderToData(int id, const QString &pagePath);
    // Forgets a render: no answer and no file come of it.
    void cancel(int id);
    int inFlight() const { return int(m_jobs.size()); }
    // Off: the page is printed as loaded, its long runs of lines not cut into blocks (slow on
    // long articles; kept to compare with).
    void setCutsLongRuns(bool on);

signals:
    void rendered(int id, bool ok, const QString &reason);
    void renderedData(int id, const QByteArray &pdf, const QString &reason);

private:
    struct Job
    {
        QWebEnginePage *page = nullptr;
        QString pdfPath;
        bool toData = false; // the PDF goes to renderedData()
    };

    void installScripts();
    void start(int id, const QString &pagePath, const QString &pdfPath, bool toData);
    void onLoaded(int id, bool ok);
    void onPrinted(int id, const QByteArray &pdf);
    void fail(int id, const QString &reason);
    // A page's renderer process is gone: the render it held fails at once.
    void onRendererEnded(QWebEnginePage *page, int status, int exitCode);
    void finish(int id, const QByteArray &pdf, const QString &reason);
    QWebEnginePage *takePage();
    void releasePage(QWebEnginePage *page);

    QWebEngineProfile *m_profile = nullptr;
    std::unique_ptr<LocalOnlyInterceptor> m_interceptor;
    QHash<int, Job> m_jobs;
    QList<QWebEnginePage *> m_idlePages; // kept warm: a page's renderer process is reused
    bool m_cutsLongRuns = true;
};

namespace renderengine {

// Sets what Qt WebEngine reads at start-up: no display, no GPU, no background network, and no
// sandbox when running as root (Chromium refuses to start there otherwise). Call before the
// application object is made.
void prepareEnvironment();

} // namespace renderengine
