#pragma once

#include <QString>

// Every rule that names an output file: the PDFs, the page files the converter reads, and
// the guard that keeps the template from ever being a page.
namespace outputnames {

// The part of sPath after its last native separator, cut at its last ".", with "_" and
// then " " made "-", and ".txt" appended: ".../My first_article.final.txt" gives
// "My-first-article.final.txt". Never fails; "" gives ".txt".
QString GetCleanFileName(const QString &sPath);

// The clean file name of an article with characters an output file cannot hold made "-", and
// bytes not valid in the system's encoding read as Windows-1252.
QString articleBaseName(const QString &articlePath);
// PDF named after the article file: its clean name with its last ".txt" made ".pdf".
QString bulkPdfName(const QString &articlePath);

// PDF named after a keyword name: characters a file name cannot hold made "-", ".pdf"
// appended, spaces made "-", then "--" made "-" in one pass from the left. The result is
// always a plain file name ending in ".pdf".
QString keywordPdfName(const QString &keywordName);

// The single run's output name: every space made "-", nothing else touched.
QString singleOutputName(const QString &typedName);
// Page file name of the single run: name + ".html", with "e" before it when that is the
// template's name (isTemplateFileName).
QString singlePageFileName(const QString &outputName);
// Page file name of the bulk run from an article's clean name ("x.txt" -> "x.html"), with
// "e" before it when that is the template's name.
// Both shorten a page name the file system could not hold, keeping distinct names distinct.
QString bulkPageFileName(const QString &cleanName);
// The page file name ("x.html") with "-number" before ".html", under the same rules.
QString numberedPageFileName(const QString &pageFileName, int number);

// The longest file name, in bytes, the file systems we write to can hold.
inline constexpr qsizetype kMaxFileNameBytes = 255;
bool fitsFileSystem(const QString &fileName);

// Whether a file name in the bin folder is the template's: "template.html" ignoring case on
// every system, since the folder may sit on a file system that folds case.
bool isTemplateFileName(const QString &fileName);

// Whether two file names name the same file in one folder here: exact on Linux, ignoring
// case where the file system does (Windows, macOS).
bool sameFileName(const QString &a, const QString &b);
// Equal for two names exactly when sameFileName holds, to count or look up files by name.
QString fileNameKey(const QString &fileName);

} // namespace outputnames
