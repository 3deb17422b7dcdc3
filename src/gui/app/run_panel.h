#pragma once

#include "twips.h"

#include <QObject>

class Platform;
class ProductionRun;
class QLabel;
class QProgressBar;
class QPushButton;
class QShortcut;
class QTimer;
class QWidget;
struct RunInput;
struct RunReport;

// The run as the window shows it: the blinking busy caption, the progress bar and the Stop
// button (or Esc) in the header strip while PDFs are made, and the closing question when the
// run is over.
class RunPanel : public QObject
{
    Q_OBJECT
public:
    // The caption and the bar go into strip; boxes are shown over window.
    RunPanel(Platform *platform, QWidget *strip, QWidget *window);

    // Starts a run; else what stands in the way, and nothing was touched.
    QString start(const RunInput &input);
    bool isRunning() const;
    // The single run's name as the last start() used it.
    QString usedName() const;
    // Ends the run for a window that closes: running converters end, no half-made page is
    // left behind, and nothing more is asked.
    void cancel();
    // The user's stop: as cancel(), then the closing question says how far the run came.
    void cmdStop_Click();
    // The busy caption where the window's size puts it, the bar under it, Stop left of both.
    void place(const TwipRect &caption);

    void tmrPleaseWait_Timer();

signals:
    // The run is over and the window may take input again; it was one of articles articles.
    void runEnded(int articles);
    // The user answered the closing question with Yes.
    void outputFolderWanted();

private:
    void onPreparingPage(int number, int count);
    void onPdfFinished(int done, int count);
    void onRunFinished(const RunReport &report);
    void closingPrompt(const RunReport &report);

    Platform *m_platform;
    QWidget *m_window;
    QLabel *lblPleaseWait = nullptr;
    QProgressBar *pbProgress = nullptr;
    QPushButton *cmdStop = nullptr;
    QShortcut *m_escape = nullptr;
    QTimer *tmrPleaseWait = nullptr;
    ProductionRun *m_run = nullptr;
    int m_runArticles = 0;
    bool m_runIsBulk = false;
    bool m_closing = false;
};
