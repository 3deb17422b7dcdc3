#pragma once

#include "production_run.h"

#include <QString>

class QTextStream;

// Reports a run on standard error: a line per PDF finished, or one line that keeps being
// rewritten when standard error is a terminal.
class CliProgress
{
public:
    CliProgress(QTextStream &err, bool terminal);

    void pdfFinished(int done, int count, const PdfResult &result);

    // Ends the rewritten line, so what follows starts on a line of its own.
    void finish();

    // True when the stream of this file descriptor is a terminal.
    static bool isTerminal(int fd);

private:
    void showLine(const QString &line);
    int terminalWidth() const;

    QTextStream &m_err;
    bool m_terminal;
    bool m_lineOpen = false;
};
