#pragma once

#include <QString>

// Reads an article file as text. Safe to call from several threads at once: it keeps no state.
namespace articlereader {

// text becomes the decoded content of the article at path (a path as localnames gives it, so
// names in any bytes work). Only a regular file, or a link to one, is opened: a pipe or a
// device is refused without being opened, so nothing blocks. A file holding NUL bytes is
// refused as "not a text file", unless it is UTF-16 with a byte-order mark. At most the
// file's bytes and the text are held at once.
// On failure text is empty and reason the tail of a sentence about the article, such as
// "not a text file" or "it is a link to nothing".
bool readArticle(const QString &path, QString &text, QString &reason);

// The start of the article at path, at most maxBytes of it, cut where a character begins and
// decoded as readArticle decodes the whole: for a preview, which never needs all of a large
// article. Refuses what readArticle refuses, with the same reasons.
bool readArticleStart(const QString &path, qsizetype maxBytes, QString &text, QString &reason);

// The line a run reports for an article that could not be read.
QString failureText(const QString &path, const QString &reason);

} // namespace articlereader
