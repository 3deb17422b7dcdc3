#include "leftovers.h"

#include <QByteArray>
#include <QFile>

#include <cstring>
#include <mutex>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace leftovers {

#ifdef Q_OS_UNIX

namespace {

// The watcher's lists. They live in memory the program never touches, so the forked watcher
// needs no allocation: after a fork of a program with threads, only plain system calls are safe.
constexpr int kSlots = 256;
constexpr int kPathBytes = 4096;
pid_t g_groups[kSlots];
char g_files[kSlots][kPathBytes];
char g_message[kPathBytes + 16];

void keepGroup(pid_t group, bool add)
{
    for (pid_t &slot : g_groups)
        if (slot == group) {
            if (!add)
                slot = 0;
            return;
        }
    if (add)
        for (pid_t &slot : g_groups)
            if (slot == 0) {
                slot = group;
                return;
            }
}

bool sameFile(const char *slot, const char *path, size_t length)
{
    return std::memcmp(slot, path, length) == 0 && slot[length] == '\0';
}

void keepFile(const char *path, size_t length, bool add)
{
    if (length == 0 || length >= size_t(kPathBytes))
        return;
    for (char *slot : g_files)
        if (sameFile(slot, path, length)) {
            if (!add)
                slot[0] = '\0';
            return;
        }
    if (add)
        for (char *slot : g_files)
            if (slot[0] == '\0') {
                std::memcpy(slot, path, length);
                slot[length] = '\0';
                return;
            }
}

void closeAllFrom(int first)
{
#ifdef SYS_close_range
    if (::syscall(SYS_close_range, unsigned(first), ~0U, 0) == 0)
        return;
#endif
    struct rlimit limit;
    const int last = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < 65536
                         ? int(limit.rlim_cur)
                         : 65536;
    for (int fd = first; fd < last; ++fd)
        ::close(fd);
}

[[noreturn]] void watch(int socket)
{
    // Its own session: Ctrl-C and a closed terminal are meant for the program, and the
    // watcher has to stay to clean up after it. It holds nothing of the program's open.
    ::setsid();
#ifdef Q_OS_LINUX
    ::prctl(PR_SET_NAME, "paperwake-watch");
#endif
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    for (const int signal : {SIGINT, SIGHUP, SIGQUIT, SIGPIPE})
        ::sigaction(signal, &ignore, nullptr);
    struct sigaction normal = {};
    normal.sa_handler = SIG_DFL;
    ::sigaction(SIGTERM, &normal, nullptr);
    if (socket != 0) {
        ::dup2(socket, 0);
        socket = 0;
    }
    closeAllFrom(1);

    for (;;) {
        const ssize_t got = ::recv(socket, g_message, sizeof g_message, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break; // the program is gone
        const char op = g_message[0];
        if ((op == 'G' || op == 'g') && got == 1 + qsizetype(sizeof(pid_t))) {
            pid_t group;
            std::memcpy(&group, g_message + 1, sizeof group);
            if (group > 1)
                keepGroup(group, op == 'G');
        } else if (op == 'F' || op == 'f') {
            keepFile(g_message + 1, size_t(got - 1), op == 'F');
        }
    }
    // What the program did not clean up: first what still writes, then what it wrote.
    for (const pid_t group : g_groups)
        if (group > 1)
            ::kill(-group, SIGKILL);
    for (const char *file : g_files)
        if (file[0] != '\0')
            ::unlink(file);
    ::_exit(0);
}

std::mutex g_mutex;
int g_socket = -1;
bool g_tried = false;

// The watcher starts with the first thing to watch.
void send(const QByteArray &message, bool adding)
{
    const std::lock_guard lock(g_mutex);
    if (!g_tried && adding) {
        g_tried = true;
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0)
            return;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(pair[0]);
            watch(pair[1]);
        }
        ::close(pair[1]);
        if (pid < 0) {
            ::close(pair[0]);
            return;
        }
        g_socket = pair[0];
    }
    if (g_socket < 0)
        return;
    ssize_t sent;
    do
        sent = ::send(g_socket, message.constData(), size_t(message.size()), MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
}

QByteArray groupMessage(char op, qint64 groupId)
{
    const pid_t group = pid_t(groupId);
    QByteArray message(1, op);
    message.append(reinterpret_cast<const char *>(&group), sizeof group);
    return message;
}

} // namespace

void addGroup(qint64 groupId)
{
    if (groupId > 1)
        send(groupMessage('G', groupId), true);
}

void removeGroup(qint64 groupId)
{
    if (groupId > 1)
        send(groupMessage('g', groupId), false);
}

void addFile(const QString &path)
{
    send('F' + QFile::encodeName(path), true);
}

void removeFile(const QString &path)
{
    send('f' + QFile::encodeName(path), false);
}

#else

void addGroup(qint64) {}
void removeGroup(qint64) {}
void addFile(const QString &) {}
void removeFile(const QString &) {}

#endif

} // namespace leftovers
