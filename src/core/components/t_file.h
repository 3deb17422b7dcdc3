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

    // Writes text as UTF-8 without BOM, line ends made CR LF; creates or replaces the file.
    // On failure errorString (when given) says why.
    static bool SaveText(const QString &text, const QString &path, QString *errorString = nullptr);

    // Appends each non-empty line of the file to list, line-end characters dropped.
    static bool LoadList(QStringList &list, const QString &path);
};
