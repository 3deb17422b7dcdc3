#include "t_file.h"

#include "text_codec.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

bool readAll(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

} // namespace

bool tFile::LoadText(QString &text, const QString &path)
{
    QByteArray bytes;
    if (!readAll(path, bytes))
        return false;
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

bool tFile::LoadList(QStringList &list, const QString &path)
{
    QString text;
    if (!LoadText(text, path))
        return false;
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = text.split(lineEnd, Qt::SkipEmptyParts);
    list.append(lines);
    return true;
}
