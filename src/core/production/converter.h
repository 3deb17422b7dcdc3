#pragma once

#include "converter_lookup.h"
#include "memory_room.h"
#include "pdf_finishing.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class QProcess;
class QTimer;


enum class ConversionOutcome {
    Made,
    NotStarted,
    Crashed,
    TimedOut,
    NoPdfWritten,  // also: a file that does not start with "%PDF"
    IncompletePdf, // "%PDF" at the start but no "%%EOF" at the end
    NotPutInPlace, // a complete PDF that could not be finished or moved onto the PDF's name
    DamagedPdf,    // complete at both ends, but qpdf cannot read it or finds no page
    Stopped,       // ended by stopAll()
    DiskFull,      // the PDF could not be written whole: the output disk is full
    OutOfMemory,   // killed by the kernel for lack of memory
};

enum class PdfCheck { Complete, Incomplete, NotPdf };
// Complete: starts with "%PDF" and ends with "%%EOF" (white space after it allowed).
PdfCheck checkPdf(const QString &path);

// A short reason for messages, e.g. "the converter crashed"; empty for Made.
QString outcomeReason(ConversionOutcome outcome, std::chrono::milliseconds timeout = {});

// Starts conversions and watches them. An external converter runs as one process per
// conversion; the built-in engine runs as one warm process that takes every conversion over a
// pipe. A conversion counts as made only when the converter ended normally (any exit code: the
// converter exits 1 when a page script cannot be loaded and still writes a good PDF), it wrote
// a complete PDF (see checkPdf) and qpdf reads it (see pdffinishing), which happens on a worker
// thread. The converter writes to a fresh temporary file beside the PDF, moved onto the PDF
// only when good, so a PDF of an earlier run neither passes for the result nor is lost to a
// failure.
class ConversionLauncher : public QObject
{
    Q_OBJECT
public:
    explicit ConversionLauncher(const QString &converter, QObject *parent = nullptr);
    // Ends converters still running.
    ~ConversionLauncher() override;

    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    std::chrono::milliseconds timeout() const { return m_timeout; }
    // Off: the converter's PDF goes into place as it is, unread by qpdf (to measure what the
    // check and finishing cost).
    void setPdfChecks(bool on) { m_pdfChecks = on; }
    // Where the kernel's count of kills for lack of memory is read.
    void setMemorySources(const memoryroom::Sources &sources) { m_memorySources = sources; }

    // Starts the converter on the page and returns the id that finished() will carry. Never
    // reports synchronously. With properties the PDF is finished (properties set, linearized)
    // before it is moved into place; without, it is only checked. A timeout given replaces
    // the launcher's for this conversion.
    int start(const QString &pagePath, const QString &pdfPath,
              const std::optional<PdfProperties> &properties = std::nullopt,
              std::chrono::milliseconds timeout = {});
    int runningCount() const { return int(m_jobs.size() + m_finishing.size()); }
    // Kills every running converter; each is reported as Stopped once it has ended, and what it
    // began is removed then. Returns at once.
    void stopAll();

signals:
    // detail: the converter's last error line or the start error, when there is one.
    void finished(int id, ConversionOutcome outcome, const QString &detail);

private:
    struct Job
    {
        QProcess *process = nullptr; // null: the conversion is the engine's
        QTimer *timer = nullptr;
        QString pdfPath;
        QString partialPath; // what the converter writes; moved onto pdfPath when good
        std::optional<PdfProperties> properties;
        QByteArray errorTail;
        qint64 memoryKillsBefore = -1; // the kernel's count when it started
        bool timedOut = false;
        bool stopped = false;
    };
    // Shared with the worker that checks a PDF, so the temporary file is removed exactly once
    // when the launcher goes away first.
    struct Abandon;
    struct Finishing
    {
        QString pdfPath;
        QString partialPath;
        QObject *watcher = nullptr;
        std::shared_ptr<Abandon> abandon;
        bool stopped = false;
    };

    QProcess *startProcess(const QStringList &arguments);
    void startOnEngine(int id, const QString &pagePath);
    void sendToEngine(const QByteArray &line);
    // Lets the engine go: killed when it still holds conversions, else told to end.
    void releaseEngine(bool kill);
    void onEngineOutput();
    void onEngineEnded(ConversionOutcome outcome, const QString &detail, bool killed = false);
    void onFinished(int id, int exitCode, int exitStatus);
    // Whether a conversion that died of SIGKILL, or whose engine lost its page, was killed by
    // the kernel for lack of memory: its count of such kills grew meanwhile. Where the kernel
    // keeps no count, withoutCount: a SIGKILL from nobody of ours is most likely its own.
    bool killedForMemory(int id, bool withoutCount) const;
    void onFailedToStart(int id);
    void onTimeout(int id);
    // Reports a conversion whose converter has ended: failure, or its PDF checked and moved.
    void conclude(int id, ConversionOutcome failure, const QString &detail);
    void startFinishing(int id, const Job &job);
    void onFinishingDone(int id, const pdffinishing::Result &result);
    static QString lastErrorLine(const QByteArray &errorTail);

    QString m_converter;
    bool m_pdfChecks = true;
    memoryroom::Sources m_memorySources;
    QHash<int, Finishing> m_finishing; // converter done, qpdf at work on the PDF
    bool m_builtin = false;
    QProcess *m_engine = nullptr; // the warm built-in engine, started with the first conversion
    QByteArray m_engineOutput;    // an answer not yet ended by its line end
    QByteArray m_engineErrorTail;
    std::chrono::milliseconds m_timeout{std::chrono::minutes(10)};
    int m_nextId = 1;
    QHash<int, Job> m_jobs;
};
