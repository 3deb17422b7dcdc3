#pragma once

#include <QString>
#include <QStringList>

// The page the converter turns into a PDF: filled template, article part, fixed tail.
// Plain strings in and out, so both runs and the tests share the very same steps.
namespace pagebuilder {

// Fills "#ADTITLE#", then "#CTATEXT#", then "#CTAURL#" (exact, with case); the texts go in
// as typed, so markup typed by the user stays markup.
QString prepareTemplate(const QString &templateText, const QString &adTitle, const QString &ctaText,
                        const QString &ctaUrl);

// CR LF, then any remaining CR, becomes "<br><br>"; a lone LF and markup pass unchanged.
QString articleToHtml(const QString &text);

// Script elements and the closing of body and document.
QString pageTail();

// The single run's article part: three breaks before each article's HTML, in order.
QString singleRunArticlePart(const QStringList &articleHtml);

// filledTemplate + articlePart + pageTail().
QString composePage(const QString &filledTemplate, const QString &articlePart);

// The single run's output name: every space made "-", nothing else touched.
QString singleOutputName(const QString &typedName);
// Page file name of the single run: name + ".html", "template" guarded as "etemplate".
QString singlePageFileName(const QString &outputName);
// Page file name of the bulk run from an article's clean name ("x.txt" -> "x.html"),
// "template.html" guarded as "etemplate.html".
QString bulkPageFileName(const QString &cleanName);

// Whether two file names name the same file in one folder here: exact on Linux, ignoring
// case where the file system does (Windows, macOS).
bool sameFileName(const QString &a, const QString &b);

} // namespace pagebuilder
