#pragma once

#include "converter.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>

#include <chrono>
#include <memory>

class QEventLoop;
class QLockFile;

// Everything a run needs, copied when it starts, so the window's lists can change meanwhile.
struct RunInput
{
    QString appFolder;
    QString adTitle;
    QString ctaText;
    QString ctaUrl;
    QStringList articles;         // full paths, in order
    bool useOriginalNames = true; // bulk: PDFs named after the articles, else after finalNames
    QStringList finalNames;       // bulk with keyword names: used in turn, from the first again
    QString singleName;           // single: the name as typed; spaces become "-"
    int maxJobs = QThread::idealThreadCount();
    QString outputFolder; // empty: appFolder/bin/output
    std::chrono::milliseconds conversionTimeout{std::chrono::minutes(10)};
};

struct RunFailure
{
    QString pdfName;
    QString reason;
};

struct RunReport
{
    // Set when the run stopped before converting anything (converter or template missing,
    // unusable name); the message names the path and what to do.
    QString error;
    bool cancelled = false;
    int attempted = 0; // PDFs with a result: made + failures
    int made = 0;
    QList<RunFailure> failures;
    QStringList pdfsMade; // full paths, in the order they were finished
    QString usedName;     // single run: the output name actually used (spaces made "-")
};

struct PdfResult
{
    QString pdfName;
    bool made = false;
    QString reason; // why not, when not made
};

// What a window or a command line wants to hear while a run works.
class RunObserver
{
public:
    virtual ~RunObserver() = default;
    // Bulk run: page number (from 1) of count is about to be prepared.
    virtual void preparingPage(int /*number*/, int /*count*/) {}
    // A PDF has its result; done of count PDFs have one now.
    virtual void pdfFinished(int /*done*/, int /*count*/, const PdfResult & /*result*/) {}
    // Called often while the run waits for converters, so the caller can update itself.
    virtual void keepAlive() {}
};

// The two PDF runs. A run returns when all its conversions have ended; meanwhile it waits in
// a local event loop, so the window stays responsive, and cancel() can end it.
class ProductionRun : public QObject
{
    Q_OBJECT
public:
    explicit ProductionRun(QObject *parent = nullptr);
    ~ProductionRun() override;

    // One PDF per article, several conversions at once (at most maxJobs).
    RunReport runBulk(const RunInput &input, RunObserver *observer = nullptr);
    // One PDF from all articles, under the single name.
    RunReport runSingle(const RunInput &input, RunObserver *observer = nullptr);

    bool isRunning() const { return m_running; }
    // Stops the run: no further page is written, running converters are ended and what they
    // began is removed. The run's call then returns with cancelled set.
    void cancel();

private:
    struct Conversion
    {
        QString pdfName;
        QString pdfPath;
        QString pagePath;
    };
    struct Context;

    bool begin(const RunInput &input, RunObserver *observer, RunReport &report);
    void end();
    bool prepareFolders(Context &context, RunReport &report);
    bool writePage(Context &context, const QString &pagePath, const QString &page,
                   const QString &pdfName, const QString &pdfPath);
    void launch(Context &context, const QString &pagePath, const QString &pdfPath,
                const QString &pdfName);
    void record(Context &context, const PdfResult &result, const QString &pdfPath);
    void onConversionFinished(int id, ConversionOutcome outcome, const QString &detail);
    template <typename Ready> void waitUntil(Context &context, Ready ready);

    bool m_running = false;
    bool m_cancelled = false;
    std::unique_ptr<Context> m_context;
    std::unique_ptr<ConversionLauncher> m_launcher;
    QEventLoop *m_loop = nullptr;
};

// The question at the end of a run, preceded by the failures when there were any.
QString closingMessage(const RunReport &report);

// Removes the page files of earlier runs: every *.html in appFolder/bin except the template.
// Returns the names that could not be removed.
QStringList removeOldPageFiles(const QString &appFolder);

// Held for the length of a run, so that two runs on one application folder (from the window
// or the command line) never remove or overwrite each other's page files.
class ApplicationFolderLock
{
public:
    explicit ApplicationFolderLock(const QString &appFolder);
    ~ApplicationFolderLock();
    ApplicationFolderLock(const ApplicationFolderLock &) = delete;
    ApplicationFolderLock &operator=(const ApplicationFolderLock &) = delete;

    // False only when another run holds the folder; a folder without bin has nothing to guard,
    // and the run itself reports what is missing.
    bool acquired() const { return m_acquired; }

private:
    std::unique_ptr<QLockFile> m_lock;
    bool m_acquired = true;
};

// Makes the application folder ready for a run: the converter can be run, no other run holds
// the folder (the lock is taken into `lock` and must be held until the run has finished) and
// the page files of earlier runs are gone. Empty when all went well, else what stands in the
// way and what to do; nothing has been removed then.
QString prepareForRun(const QString &appFolder, std::unique_ptr<ApplicationFolderLock> &lock);
