#include "local_names.h"

#include "text_codec.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace localnames {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// Length of the valid UTF-8 sequence at p (at most `left` bytes), 0 when there is none.
qsizetype utf8SequenceLength(const unsigned char *p, qsizetype left)
{
    const unsigned char lead = p[0];
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    char32_t codePoint = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, codePoint = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, codePoint = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, codePoint = lead & 0x07, smallest = 0x10000;
    } else {
        return 0;
    }
    if (left < length)
        return 0;
    for (qsizetype k = 1; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (p[k] & 0x3F);
    }
    // Overlong forms and surrogates are not valid UTF-8; refusing them keeps escapes unique.
    if (codePoint < smallest || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

// Calls onRun(text) for the plain stretches of path and onEscape(byte) for each escape.
template <typename OnRun, typename OnEscape>
void walk(QStringView path, OnRun onRun, OnEscape onEscape)
{
    qsizetype runStart = 0;
    const qsizetype n = path.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = path[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n &&
            QChar::isLowSurrogate(path[i + 1].unicode())) {
            ++i; // a real pair, whatever its second half looks like
            continue;
        }
        if (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF) {
            onRun(path.sliced(runStart, i - runStart));
            onEscape(static_cast<unsigned char>(c - kEscapeBase));
            runStart = i + 1;
        }
    }
    onRun(path.sliced(runStart));
}

template <typename ByteToChar> QString replaceEscapes(QStringView path, ByteToChar byteToChar)
{
    QString out;
    out.reserve(path.size());
    walk(
        path, [&](QStringView run) { out += run; },
        [&](unsigned char byte) { out += byteToChar(byte); });
    return out;
}

} // namespace

QString fromLocalBytes(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < n) {
        const qsizetype length = utf8SequenceLength(p + i, n - i);
        if (length > 0) {
            i += length;
            continue;
        }
        out += QString::fromUtf8(bytes.sliced(runStart, i - runStart));
        out += QChar(char16_t(kEscapeBase + p[i]));
        runStart = ++i;
    }
    out += QString::fromUtf8(bytes.sliced(runStart));
    return out;
}

QByteArray toLocalBytes(QStringView path)
{
    QByteArray out;
    out.reserve(path.size());
    walk(
        path, [&](QStringView run) { out += run.toUtf8(); },
        [&](unsigned char byte) { out += char(byte); });
    return out;
}

QString forDisplay(QStringView path)
{
    return replaceEscapes(path, [](unsigned char) { return QChar(QChar::ReplacementCharacter); });
}

QString asValidName(QStringView path)
{
    return replaceEscapes(path, [](unsigned char byte) { return textcodec::windows1252(byte); });
}

#ifdef Q_OS_UNIX

EntryKind entryKind(const QString &path)
{
    const QByteArray bytes = toLocalBytes(path);
    struct stat info;
    if (::lstat(bytes.constData(), &info) != 0)
        // Anything but "not there" (no permission to look, say) is left for the reader to tell.
        return errno == ENOENT || errno == ENOTDIR ? EntryKind::Missing : EntryKind::Other;
    if (::stat(bytes.constData(), &info) == 0 && S_ISDIR(info.st_mode))
        return EntryKind::Folder;
    return EntryKind::Other;
}

QStringList nonFolderEntries(const QString &folder)
{
    QStringList names;
    DIR *dir = ::opendir(toLocalBytes(folder).constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.')
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type != DT_REG && entry->d_type != DT_DIR) {
            struct stat info;
            isFolder = ::fstatat(::dirfd(dir), name, &info, 0) == 0 && S_ISDIR(info.st_mode);
        }
        if (!isFolder)
            names << fromLocalBytes(QByteArrayView(name));
    }
    ::closedir(dir);
    return names;
}

#else

EntryKind entryKind(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return EntryKind::Folder;
    return info.exists() || info.isSymLink() ? EntryKind::Other : EntryKind::Missing;
}

QStringList nonFolderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::System, QDir::Unsorted);
}

#endif

} // namespace localnames
