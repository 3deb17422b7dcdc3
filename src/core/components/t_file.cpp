#include "t_file.h"

#include "text_codec.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

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
