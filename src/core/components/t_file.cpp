#include "t_file.h"

#include "local_names.h"
#include "text_codec.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>

#include <system_error>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX

QString systemReason(int error)
{
    // std::generic_category is thread-safe where strerror is not.
    QString message = QString::fromStdString(std::generic_category().message(error));
    if (!message.isEmpty())
        message[0] = message.at(0).toLower();
    return message;
}

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
        return errno == ENOENT ? QStringLiteral("it is a link to nothing") : systemReason(errno);
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

#endif

} // namespace

bool tFile::ReadRegularFile(QByteArray &bytes, const QString &path, qsizetype limit,
                            QString &reason)
{
    bytes.clear();
#ifdef Q_OS_UNIX
    const QByteArray local = localnames::toLocalBytes(path);
    reason = whyNotReadable(local);
    if (!reason.isEmpty())
        return false;
    // Non-blocking, should a pipe have taken the file's place since the look above.
    const int fd = ::open(local.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
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
#else
    reason.clear();
    const QFileInfo info(path);
    if (info.isSymLink() && !info.exists()) {
        reason = QStringLiteral("it is a link to nothing");
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
#endif
}

bool tFile::LoadText(QString &text, const QString &path, QString *errorString)
{
    QByteArray bytes;
    QString reason;
    if (ReadRegularFile(bytes, path, kMaxTextBytes + 1, reason) && bytes.size() > kMaxTextBytes)
        reason = QStringLiteral("it is larger than %1, the most read from such a file")
                     .arg(QLocale::c().formattedDataSize(kMaxTextBytes, 0,
                                                         QLocale::DataSizeTraditionalFormat));
    if (!reason.isEmpty()) {
        if (errorString)
            *errorString = reason;
        return false;
    }
    text = textcodec::decode(bytes);
    return true;
}

bool tFile::SaveText(const QString &text, const QString &path, QString *errorString)
{
    // QSaveFile follows a link and renames its temporary file over the target: a device, a
    // pipe or a folder there would be replaced, and a dangling link would write wherever it
    // points. Only a regular file (or a link to one) or nothing is ours to replace.
    const QFileInfo target(path);
    const bool free = !target.exists() && !target.isSymLink();
    if (!free && !IsRegularFile(path)) {
        if (errorString)
            *errorString = target.exists() ? QStringLiteral("it is not a regular file")
                                           : QStringLiteral("it is a link to nothing");
        return false;
    }
    // QSaveFile keeps an existing file intact when the write fails half way.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (errorString)
            *errorString = file.errorString();
        return false;
    }
    file.write(textcodec::toCrLf(text).toUtf8());
    if (!file.commit()) {
        if (errorString)
            *errorString = file.errorString();
        return false;
    }
    return true;
}

bool tFile::IsRegularFile(const QString &path)
{
#ifdef Q_OS_UNIX
    // QFileInfo::isFile() answers true for a pipe or a device as well.
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
#else
    return QFileInfo(path).isFile();
#endif
}

bool tFile::LoadList(QStringList &list, const QString &path, QString *errorString)
{
    QString text;
    if (!LoadText(text, path, errorString))
        return false;
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = text.split(lineEnd, Qt::SkipEmptyParts);
    list.append(lines);
    return true;
}
