#include "converter_sandbox.h"

#include <QStringList>

#include <cstdio>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sched.h>
#include <unistd.h>
#endif

namespace convertersandbox {

namespace {

// Where a proxy leads nowhere: nothing listens on this machine's discard port, and a
// connection there never leaves it. (Port 0 would not do: wkhtmltopdf then takes the port of
// the address it fetches.)
const QString kNowhere = QStringLiteral("http://127.0.0.1:9");

#ifdef Q_OS_LINUX
bool writeAll(const char *path, const char *text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    size_t length = 0;
    while (text[length])
        ++length;
    const bool written = ::write(fd, text, length) == ssize_t(length);
    ::close(fd);
    return written;
}
#endif

} // namespace

QProcessEnvironment environment(const QProcessEnvironment &from)
{
    QProcessEnvironment env = from;
    for (const QString &name : from.keys()) {
        const QString lower = name.toLower();
        if (lower == u"no_proxy")
            env.remove(name);
        else if (lower.endsWith(u"_proxy") || lower == u"proxy")
            env.insert(name, kNowhere);
    }
    // wkhtmltopdf reads "proxy" and "all_proxy" as well as the usual ones.
    for (const char *name : {"http_proxy", "https_proxy", "ftp_proxy", "all_proxy", "proxy",
                             "HTTP_PROXY", "HTTPS_PROXY", "FTP_PROXY", "ALL_PROXY"})
        env.insert(QLatin1StringView(name), kNowhere);
    return env;
}

Exit prepareExit()
{
    Exit exit;
#ifdef Q_OS_LINUX
    std::snprintf(exit.uidMap, sizeof exit.uidMap, "%u %u 1", unsigned(::getuid()),
                  unsigned(::getuid()));
    std::snprintf(exit.gidMap, sizeof exit.gidMap, "%u %u 1", unsigned(::getgid()),
                  unsigned(::getgid()));
#endif
    return exit;
}

bool leaveNetwork(const Exit &exit)
{
#ifdef Q_OS_LINUX
    if (::unshare(CLONE_NEWNET) == 0)
        return true;
    // Without the right to make one directly: in a user namespace of its own, mapped onto the
    // same ids, so that files keep their owners and new ones can be made.
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0)
        return false;
    writeAll("/proc/self/setgroups", "deny");
    writeAll("/proc/self/uid_map", exit.uidMap);
    writeAll("/proc/self/gid_map", exit.gidMap);
    return true;
#else
    Q_UNUSED(exit);
    return false;
#endif
}

} // namespace convertersandbox
