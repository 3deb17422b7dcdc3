#include "article_reader.h"

#include "local_names.h"
#include "text_codec.h"

#include <QByteArray>

#include <system_error>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QFile>
#include <QFileInfo>
#endif

namespace articlereader {

namespace {

QString systemReason(int error)
{
    // std::generic_category is thread-safe where strerror is not.
    QString message = QString::fromStdString(std::generic_category().message(error));
    if (!message.isEmpty())
        message[0] = message.at(0).toLower();
    return message;
}

bool looksLikeText(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return true;
    return !bytes.contains('\0');
}

#ifdef Q_OS_UNIX

QString notRegularReason(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("it is a folder, not a file");
    return QStringLiteral("not a regular file (a device, a pipe or a socket)");
}

// What is at path, looked at before anything is opened; empty when it may be read.
QString whyNotReadable(const QByteArray &path)
{
    struct stat info;
    if (::lstat(path.constData(), &info) != 0)
        return systemReason(errno);
    if (S_ISLNK(info.st_mode) && ::stat(path.constData(), &info) != 0)
        return errno == ENOENT ? QStringLiteral("the article file is a link to nothing")
                               : systemReason(errno);
    return S_ISREG(info.st_mode) ? QString() : notRegularReason(info.st_mode);
}

// Reads what fd holds into bytes (at most limit bytes when limit is not negative), sized as
// expected up front so it is never copied; empty when all went well, else why not.
QString readToEnd(int fd, qsizetype expectedSize, qsizetype limit, QByteArray &bytes)
{
    bytes.resize(limit >= 0 ? qMin(expectedSize, limit) : expectedSize);
    qsizetype filled = 0;
    char more[64 * 1024];
    for (;;) {
        // Past the expected size (a file that grew), the rest comes in pieces.
        const bool inPlace = filled < bytes.size();
        char *target = inPlace ? bytes.data() + filled : more;
        const size_t room = inPlace ? size_t(bytes.size() - filled) : sizeof more;
        const ssize_t got = ::read(fd, target, room);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            bytes.clear();
            return systemReason(errno);
        }
        if (got == 0)
            break;
        if (!inPlace)
            bytes.append(more, got);
        filled += got;
        if (limit >= 0 && filled >= limit)
            break;
    }
    if (limit >= 0)
        filled = qMin(filled, limit);
    bytes.truncate(filled);
    return {};
}

bool readBytes(const QByteArray &path, qsizetype limit, QByteArray &bytes, QString &reason)
{
    reason = whyNotReadable(path);
    if (!reason.isEmpty())
        return false;
    // Non-blocking, should a pipe have taken the file's place since the look above.
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        reason = systemReason(errno);
        return false;
    }
    struct stat info;
    const bool known = ::fstat(fd, &info) == 0;
    if (!known || !S_ISREG(info.st_mode)) {
        reason = known ? notRegularReason(info.st_mode) : systemReason(errno);
        ::close(fd);
        return false;
    }
    reason = readToEnd(fd, qsizetype(info.st_size), limit, bytes);
    ::close(fd);
    return reason.isEmpty();
}

#else

bool readBytes(const QString &path, qsizetype limit, QByteArray &bytes, QString &reason)
{
    const QFileInfo info(path);
    if (info.isSymLink() && !info.exists()) {
        reason = QStringLiteral("the article file is a link to nothing");
        return false;
    }
    if (info.exists() && !info.isFile()) {
        reason = QStringLiteral("not a regular file");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return false;
    }
    bytes = limit >= 0 ? file.read(limit) : file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reason = file.errorString();
        bytes.clear();
        return false;
    }
    return true;
}

#endif

// The whole article, or with limit not negative at most limit + 1 bytes of it, checked and
// decoded by the caller's rule.
bool readChecked(const QString &path, qsizetype limit, QByteArray &bytes, QString &reason)
{
    reason.clear();
#ifdef Q_OS_UNIX
    const bool read = readBytes(localnames::toLocalBytes(path), limit < 0 ? -1 : limit + 1, bytes,
                                reason);
#else
    const bool read = readBytes(path, limit < 0 ? -1 : limit + 1, bytes, reason);
#endif
    if (!read)
        return false;
    if (!looksLikeText(bytes)) {
        bytes.clear();
        reason = QStringLiteral("not a text file");
        return false;
    }
    return true;
}

} // namespace

bool readArticle(const QString &path, QString &text, QString &reason)
{
    text.clear();
    QByteArray bytes;
    if (!readChecked(path, -1, bytes, reason))
        return false;
    text = textcodec::decode(bytes);
    return true;
}

bool readArticleStart(const QString &path, qsizetype maxBytes, QString &text, QString &reason)
{
    text.clear();
    QByteArray bytes;
    if (!readChecked(path, maxBytes, bytes, reason))
        return false;
    if (bytes.size() > maxBytes) {
        // Cut where a character begins, so the start decodes as the whole file would.
        bytes.truncate(maxBytes);
        qsizetype end = bytes.size();
        while (end > 0 && (uchar(bytes.at(end - 1)) & 0xC0) == 0x80)
            --end;
        bytes.truncate(end > 0 ? end - 1 : 0);
        if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
            bytes.truncate(bytes.size() & ~qsizetype(1));
    }
    text = textcodec::decode(bytes);
    return true;
}

QString failureText(const QString &path, const QString &reason)
{
    return QStringLiteral("the article %1 could not be read: %2")
        .arg(localnames::forDisplay(path), reason);
}

} // namespace articlereader
