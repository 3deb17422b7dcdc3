#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

// File names as the file system holds them. On Unix a name is bytes, and not every name is
// valid UTF-8; Qt's own conversion loses such bytes, so a file named in Latin-1 could be
// listed but never opened. Here each byte that is not part of valid UTF-8 is held as the lone
// surrogate U+DC00 + byte, which no valid text contains, so the path converts back exactly.
namespace localnames {

// The file system's bytes of a name or path as a string, undecodable bytes escaped.
QString fromLocalBytes(QByteArrayView bytes);
// The exact bytes again; escapes become their bytes, everything else UTF-8.
QByteArray toLocalBytes(QStringView path);

// For people to read: each escaped byte shown as U+FFFD.
QString forDisplay(QStringView path);
// For names the program writes: each escaped byte read as Windows-1252, so a Latin-1 name
// "café" gives a valid name that looks the same.
QString asValidName(QStringView path);

enum class EntryKind {
    Missing, // nothing of that name
    Folder,  // a folder, or a link to one
    Other,   // anything else: a file, a dangling link, a pipe, a device...
};
// What is at path, links followed; a dangling link counts as Other, not Missing.
EntryKind entryKind(const QString &path);

// The names of the entries in folder that are not folders (links followed; dangling links
// included), hidden names left out, undecodable bytes escaped. Unsorted; empty when the
// folder cannot be listed.
QStringList nonFolderEntries(const QString &folder);

} // namespace localnames
