#include "article_reader.h"

#include "local_names.h"
#include "t_file.h"
#include "text_codec.h"

#include <QByteArray>

namespace articlereader {

namespace {

bool looksLikeText(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return true;
    return !bytes.contains('\0');
}

// The whole article, or with limit not negative at most limit + 1 bytes of it, checked and
// decoded by the caller's rule.
bool readChecked(const QString &path, qsizetype limit, QByteArray &bytes, QString &reason)
{
    if (!tFile::ReadRegularFile(bytes, path, limit < 0 ? -1 : limit + 1, reason))
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
