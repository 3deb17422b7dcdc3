#pragma once

#include "production_run.h"

#include <QString>

#include <csignal>

class QTextStream;

// Reports a run on standard error: a line per PDF finished, or one line that keeps being
// rewritten when standard error is a terminal. It also ends the run cleanly when the process
// is asked to stop (Ctrl-C, SIGTERM).
class CliProgress : public RunObserver
{
public:
    CliProgress(QTextStream &err, bool terminal, ProductionRun *run);

    void pdfFinished(int done, int count, const PdfResult &result) override;
    void preparingPage(int number, int count) override;
    void keepAlive() override;

    // Ends the rewritten line, so what follows starts on a line of its own.
    void finish();

    // Catches SIGINT and SIGTERM until stopCatchingSignals(); a second signal kills at once.
    static void catchStopSignals();
    static void stopCatchingSignals();
    // The signal that asked the run to stop, or 0.
    static int stopSignal();

    // True when the stream of this file descriptor is a terminal.
    static bool isTerminal(int fd);

private:
    void showLine(const QString &line);
    int terminalWidth() const;

    QTextStream &m_err;
    bool m_terminal;
    ProductionRun *m_run;
    bool m_lineOpen = false;
};
