#pragma once

#include <QString>
#include <QStringList>

// Writes a page file from the filled template and the articles, streamed: an article is
// turned into HTML and written a piece at a time, so a large article costs little more memory
// than its text. Safe to call from a worker thread.
namespace pagefile {

// Bulk: one article; single: all articles, each after the single run's breaks. Empty when the
// page was written; else the reason, as the tail of a sentence, and no page is left behind.
QString writePage(const QString &pagePath, const QString &filledTemplate,
                  const QStringList &articles, bool single);

} // namespace pagefile
