#include "stop_signals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

volatile std::sig_atomic_t g_received = 0;
int g_pipe[2] = {-1, -1};

#ifdef Q_OS_UNIX
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
// What each signal did before; a signal the program was started to ignore (nohup, a
// background job) stays ignored.
struct sigaction g_before[3];
bool g_caught[3] = {};

void restoreBefore()
{
    for (int i = 0; i < 3; ++i)
        if (g_caught[i]) {
            ::sigaction(kSignals[i], &g_before[i], nullptr);
            g_caught[i] = false;
        }
}

extern "C" void onSignal(int signal)
{
    const int savedErrno = errno;
    // The next one is not ours to soften: it ends the program as signals normally do.
    restoreBefore();
    g_received = signal;
    const char byte = char(signal);
    [[maybe_unused]] const auto written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}
#endif

} // namespace

StopSignals::StopSignals(QObject *parent) : QObject(parent)
{
#ifdef Q_OS_UNIX
    g_received = 0;
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0)
        return;
    ::fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::onReadable);
    for (int i = 0; i < 3; ++i) {
        if (::sigaction(kSignals[i], nullptr, &g_before[i]) != 0
            || g_before[i].sa_handler == SIG_IGN)
            continue;
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        g_caught[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
    }
#endif
}

StopSignals::~StopSignals()
{
#ifdef Q_OS_UNIX
    restoreBefore();
#endif
}

int StopSignals::received()
{
    return g_received;
}

void StopSignals::onReadable()
{
#ifdef Q_OS_UNIX
    char byte = 0;
    if (::read(g_pipe[0], &byte, 1) == 1)
        emit stopRequested(int(byte));
#endif
}
