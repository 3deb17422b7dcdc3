#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Writes a page file from the filled template and the articles, streamed: an article is
// turned into HTML and written a piece at a time, so a large article costs little more memory
// than its text. Safe to call from a worker thread.
namespace pagefile {

// Bulk: one article; single: all articles, each after the single run's breaks. Empty when the
// page was written; else the reason, as the tail of a sentence, and no page is left behind.
// Each article with characters no installed font draws adds a line to undrawn, e.g.
// "hindi.txt: 629 characters of Devanagari have no font here; install fonts-noto-core".
QString writePage(const QString &pagePath, const QString &filledTemplate,
                  const QStringList &articles, bool single, QStringList *undrawn = nullptr);

// What a run and the preview say of characters no installed font draws: "NAME: 629 characters
// of Devanagari have no font here; install fonts-noto-core" for an article, "the ad: ..." for
// the ad's title and button text; empty when every character has a font.
QString undrawnArticleLine(const QString &articlePath, QStringView text);
QString undrawnAdLine(const QString &adTitle, const QString &ctaText);

} // namespace pagefile
