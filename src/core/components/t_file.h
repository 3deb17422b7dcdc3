#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Whole-file text reads and writes. Every operation answers false when the file could not be
// read or written, and leaves its output untouched then.
class tFile
{
public:
    // The most LoadText and LoadList read: word lists, names and the template are far smaller,
    // and a link to an endless device must not fill the memory.
    static constexpr qsizetype kMaxTextBytes = qsizetype(32) << 20;

    // bytes becomes what the file at path holds, at most limit bytes when limit is not
    // negative. Only a regular file, or a link to one, is opened: a pipe, a device or a folder
    // is refused without blocking. path may hold any bytes (see localnames). On failure bytes
    // is empty and reason the tail of a sentence, such as "it is a link to nothing". Safe to
    // call from several threads at once.
    static bool ReadRegularFile(QByteArray &bytes, const QString &path, qsizetype limit,
                                QString &reason);

    // text becomes the whole decoded file content. Refuses what ReadRegularFile refuses and a
    // file larger than kMaxTextBytes; errorString (when given) says why.
    static bool LoadText(QString &text, const QString &path, QString *errorString = nullptr);

    // Writes text as UTF-8 without BOM, line ends made CR LF; creates or replaces a regular
    // file, through a temporary file beside it. Anything else at path (a device, a pipe, a
    // folder, a dangling link) is refused and left as it is. On failure errorString (when
    // given) says why.
    static bool SaveText(const QString &text, const QString &path, QString *errorString = nullptr);

    // A regular file, or a link to one: what SaveText may replace.
    static bool IsRegularFile(const QString &path);

    // Appends each non-empty line of the file to list, line-end characters dropped.
    static bool LoadList(QStringList &list, const QString &path, QString *errorString = nullptr);
};
