#pragma once

#include <QString>

// File names of the PDFs (and the base of the bulk run's page names).
namespace outputnames {

// The part of sPath after its last native separator, cut at its first ".", with "_" and
// then " " made "-", and ".txt" appended: ".../My first_article.final.txt" gives
// "My-first-article.txt". Never fails; "" gives ".txt".
QString GetCleanFileName(const QString &sPath);

// The clean file name of an article with characters an output file cannot hold made "-", and
// bytes not valid in the system's encoding read as Windows-1252.
QString articleBaseName(const QString &articlePath);
// PDF named after the article file: its clean name with ".txt" made ".pdf".
QString bulkPdfName(const QString &articlePath);

// PDF named after a keyword name: characters a file name cannot hold made "-", ".pdf"
// appended, spaces made "-", then "--" made "-" in one pass from the left. The result is
// always a plain file name ending in ".pdf".
QString keywordPdfName(const QString &keywordName);

} // namespace outputnames
