#pragma once

#include <QString>
#include <QStringList>

// Whole-file text reads and writes. Every operation answers false when the file could not be
// read or written, and leaves its output untouched then.
class tFile
{
public:
    // text becomes the whole decoded file content.
    static bool LoadText(QString &text, const QString &path);

    // Writes text as UTF-8 without BOM, line ends made CR LF; creates or replaces a regular
    // file, through a temporary file beside it. Anything else at path (a device, a pipe, a
    // folder, a dangling link) is refused and left as it is. On failure errorString (when
    // given) says why.
    static bool SaveText(const QString &text, const QString &path, QString *errorString = nullptr);

    // A regular file, or a link to one: what SaveText may replace.
    static bool IsRegularFile(const QString &path);

    // Appends each non-empty line of the file to list, line-end characters dropped.
    static bool LoadList(QStringList &list, const QString &path);
};
