#include "cli_progress.h"

#include "cli_parser.h"

#include <QTextStream>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

CliProgress::CliProgress(QTextStream &err, bool terminal) : m_err(err), m_terminal(terminal) {}

void CliProgress::pdfFinished(int done, int count, const PdfResult &result)
{
    QString line = QStringLiteral("[%1/%2] %3").arg(done).arg(count).arg(cli::visible(result.pdfName));
    if (!result.made)
        line += QStringLiteral(" (failed)");
    showLine(line);
}

void CliProgress::showLine(const QString &line)
{
    if (!m_terminal) {
        m_err << line << '\n';
        m_err.flush();
        return;
    }
    // Cut to the terminal's width: a wrapped line could not be rewritten in place.
    const int width = terminalWidth();
    const QString shown = line.size() >= width ? line.left(width - 1) : line;
    m_err << '\r' << shown << "\x1b[K";
    m_err.flush();
    m_lineOpen = true;
}

void CliProgress::finish()
{
    if (m_lineOpen) {
        m_err << '\n';
        m_err.flush();
        m_lineOpen = false;
    }
}

int CliProgress::terminalWidth() const
{
#ifndef Q_OS_WIN
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 10)
        return size.ws_col;
#endif
    return 80;
}

bool CliProgress::isTerminal(int fd)
{
#ifdef Q_OS_WIN
    return _isatty(fd) != 0;
#else
    return isatty(fd) != 0;
#endif
}
