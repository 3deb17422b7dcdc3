#pragma once

#include "converter.h"
#include "memory_room.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <deque>
#include <memory>

class QLockFile;
template <typename T> class QFutureWatcher;

// Everything a run needs, copied when it starts, so the window's lists can change meanwhile.
struct RunInput
{
    QString appFolder;
    QString adTitle;
    QString ctaText;
    QString ctaUrl;
    QStringList articles;         // full paths, in order
    bool bulk = true;             // one PDF per article, else one PDF of all articles
    bool useOriginalNames = true; // bulk: PDFs named after the articles, else after finalNames
    QStringList finalNames;       // bulk with keyword names: used in turn, from the first again
    QStringList namePatterns;     // what finalNames were made from: tells each name's keyword
    QString singleName;           // single: the name as typed; spaces become "-"
    // Document properties. Title, subject and keywords apply to a single run (empty: the name
    // as typed, the ad title, none); a bulk run derives them per PDF. The author goes on every
    // PDF.
    QString title;
    QString subject;
    QString keywords;
    QString author;
    int maxJobs = 0;              // conversions at once; 0: defaultJobs(converter)
    QString converter;            // empty: conversion::converterPath(appFolder)
    qint64 memoryBudgetMegabytes = 0; // conversions at once fit in it; 0: what the system has
    memoryroom::Sources memorySources; // where what the system has is read
    QString outputFolder;         // empty: appFolder/bin/output
    // How long one conversion may take; 0: conversionTimeLimit() of its page.
    std::chrono::milliseconds conversionTimeout{0};
    bool finishPdfs = true; // off: the converter's PDFs as they are (to measure what it costs)
};

struct RunFailure
{
    QString pdfName;
    QString reason;
    bool stopped = false; // its conversion was ended by cancel()
};

// A PDF name made more than once in one bulk run: each later PDF replaced the one before.
struct RunReplacement
{
    QString pdfName;
    int times = 0;
};

struct RunReport
{
    bool cancelled = false;
    int attempted = 0; // PDFs with a result: made + failures
    int made = 0;
    QList<RunFailure> failures;
    QList<RunReplacement> replaced;
    // Made, but with characters no installed font draws, e.g. "hindi.txt: 629 characters of
    // Devanagari have no font here; install fonts-noto-core" (the ad's as "the ad: ...").
    QStringList undrawn;
    QStringList pdfsMade; // full paths, in the order they were finished
    QString usedName;     // single run: the output name actually used (spaces made "-")

    // Different PDFs among those made: what the run leaves on disk, once a later article of a
    // name has replaced the earlier ones.
    int pdfsKept() const;
};
Q_DECLARE_METATYPE(RunReport)

struct PdfResult
{
    QString pdfName;
    bool made = false;
    QString reason; // why not, when not made
};
Q_DECLARE_METATYPE(PdfResult)

// How often a conversion killed for lack of memory is tried again, each time with fewer
// conversions at once.
inline constexpr int kMemoryRetries = 2;

// Conversions at once when the caller does not say: several per core, since a converter
// spends much of its time waiting, bounded by the memory available.
int defaultJobs(const QString &converter, const memoryroom::Sources &sources = {});
// The most a caller may ask for.
inline constexpr int kMaxJobs = 64;

// How long a conversion of a page file of pageBytes may take before it is stopped: long
// enough for the slowest converter on a busy machine, short enough that a page that never
// loads does not hold its slot for long.
std::chrono::milliseconds conversionTimeLimit(qint64 pageBytes);

// A PDF run as a job: start() checks everything and prepares the application folder, then
// the run advances on its own as pages are written and converters end, reporting by signals.
// Nothing in it blocks or runs a local event loop, so any window (a modal box included) stays
// live and conversions go on meanwhile. Pages are composed on a worker thread.
class ProductionRun : public QObject
{
    Q_OBJECT
public:
    explicit ProductionRun(QObject *parent = nullptr);
    ~ProductionRun() override;

    // Empty when the run has started; else what stands in the way and what to do, and nothing
    // in the application or output folder was changed. finished() follows only a started run.
    QString start(const RunInput &input);
    bool isRunning() const { return m_running; }
    // The single run's output name as the last start() made it from the name typed.
    QString usedName() const { return m_report.usedName; }
    // Stops the run: no further page is written, running converters are killed and what they
    // began is removed; finished() then reports it with cancelled set. Returns at once.
    void cancel();

signals:
    // Page number (from 1) of count is being prepared.
    void preparingPage(int number, int count);
    // A PDF has its result; done of count PDFs have one now.
    void pdfFinished(int done, int count, const PdfResult &result);
    void finished(const RunReport &report);

private:
    struct Item
    {
        QStringList articles; // one in bulk, all in single
        QString pdfName;
        QString pdfPath;
        QString pagePath;
        QString problem; // known before anything is read: the item fails with it
        QStringList undrawn;
        PdfProperties properties;
        qint64 pageBytes = 0; // the size of its page file, once started
        qint64 megabytes = 0; // what its conversion may take, once started
        std::chrono::milliseconds timeout{0};
        int memoryRetries = 0; // conversions again after the kernel killed one for memory
    };
    struct Prepared
    {
        QString pagePath;
        QString failure; // empty when the page was written
        QStringList undrawn;
    };

    QString prepare(const RunInput &input);
    void buildItems();
    // In bin: the page name, or a numbered one when a file of the user's has that name.
    QString freePagePath(const QString &pageName) const;
    // Writes the list of the run's page files; empty, or why it could not be written.
    QString listPageFiles() const;
    void advance();
    bool pageBusy(const QString &pagePath) const;
    bool pdfBusy(const QString &pdfPath, qsizetype readyIndex) const;
    void startPreparing(Item item);
    void onPrepared();
    void onConversionFinished(int id, ConversionOutcome outcome, const QString &detail);
    void record(const Item &item, const PdfResult &result, bool stopped = false);
    void finishIfDone();
    void releaseLock();

    bool m_running = false;
    bool m_cancelled = false;
    RunInput m_input;
    RunReport m_report;
    QString m_binFolder;
    QString m_outputFolder;
    QString m_filledTemplate;
    int m_count = 0;
    bool m_builtin = false;
    qint64 m_memoryBudget = -1; // MB; -1: unknown, conversions bounded by maxJobs alone
    qint64 m_memoryInUse = 0;
    int m_prepareNumber = 0;
    std::deque<Item> m_queue;             // not yet prepared
    std::unique_ptr<Item> m_preparing;    // its page is being written on the worker
    std::deque<Item> m_ready;             // page written, waiting for a converter slot
    QHash<int, Item> m_converting;        // by launcher id
    QHash<QString, int> m_madeTimes;      // PDF path -> conversions made in this run
    QStringList m_pdfOrder;               // PDF paths in the order of the articles
    std::unique_ptr<QFutureWatcher<Prepared>> m_watcher;
    std::unique_ptr<ConversionLauncher> m_launcher;
    std::unique_ptr<QLockFile> m_lock;
};

// The PDF names a bulk run gives its articles, in their order: after the article files, or
// after the final names in turn, from the first again when they run out.
QStringList bulkPdfNames(const RunInput &input);

// How a bulk run's names fall on its articles, known before it starts.
struct NameRepeats
{
    int articles = 0;
    int pdfNames = 0; // different PDF names among them
    // PDFs that will replace one made earlier in the same run under the same name.
    int replaced() const { return articles - pdfNames; }
};
NameRepeats nameRepeats(const RunInput &input);
// Says what the repeats will do, with the numbers; empty when no PDF will be replaced.
QString repeatNotice(const NameRepeats &repeats);

// The question at the end of a run, preceded by how far a stopped run came, the failures, the
// characters no font draws and the replaced PDFs when there were any.
QString closingMessage(const RunReport &report);
// One line per PDF name made more than once, e.g. "book.pdf: made from 5 articles; the last
// one is kept".
QStringList replacementLines(const RunReport &report);

// The page files a run writes are listed in this file in bin before the first is written, so
// the next run removes them and nothing else.
inline const QString kPageListName = QStringLiteral(".paperwake-pages");

// Removes the page files of the last run, as its list names them; any other file in
// appFolder/bin stays. Returns the names that could not be removed.
QStringList removeOldPageFiles(const QString &appFolder);

// Removes the converters' temporary PDFs ".pw-<pid>-<n>.part" in folder whose process no
// longer exists (left by a Paperwake that was killed). Returns how many were removed; a PDF,
// whatever its name, is never one of them.
int removeStalePartialPdfs(const QString &folder);
