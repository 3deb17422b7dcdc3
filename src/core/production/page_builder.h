#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The page the converter turns into a PDF: filled template, article part, fixed tail.
// Plain strings in and out, so both runs and the tests share the very same steps.
namespace pagebuilder {

// Fills "#ADTITLE#", then "#CTATEXT#", then "#CTAURL#" (exact, with case). Title and button
// text go in through markupText, so markup typed there stays markup; the address goes in
// through addressForAttribute.
QString prepareTemplate(const QString &templateText, const QString &adTitle, const QString &ctaText,
                        const QString &ctaUrl);

// Text that may hold markup: a "<" stays where it begins a tag ("<" or "</", an HTML element
// name in any case, then white space, "/" or ">") or a comment ("<!--"); every other "<" is
// written "&lt;". ">" and "&" stay.
QString markupText(QStringView text);

// An article as HTML: markupText, and every line end (CR LF, CR or LF) made "<br><br>".
// Cut a text only after a blank, tab, LF or ">", and the pieces' HTML joined equals the
// whole text's HTML.
QString articleToHtml(QStringView text);

// The button's address, percent-encoded where a character would end the attribute or the
// tag (quotation marks, angle brackets, blanks and other control characters).
QString addressForAttribute(QStringView address);

// Script elements and the closing of body and document.
QString pageTail();

// The single run's article part: three breaks before each article's HTML, in order.
QString singleRunArticlePart(const QStringList &articleHtml);

// filledTemplate + articlePart + pageTail().
QString composePage(const QString &filledTemplate, const QString &articlePart);

// The single run's output name: every space made "-", nothing else touched.
QString singleOutputName(const QString &typedName);
// Page file name of the single run: name + ".html", with "e" before it when that is the
// template's name (isTemplateFileName).
QString singlePageFileName(const QString &outputName);
// Page file name of the bulk run from an article's clean name ("x.txt" -> "x.html"), with
// "e" before it when that is the template's name.
QString bulkPageFileName(const QString &cleanName);

// Whether a file name in the bin folder is the template's: "template.html" ignoring case on
// every system, since the folder may sit on a file system that folds case.
bool isTemplateFileName(const QString &fileName);

// Whether two file names name the same file in one folder here: exact on Linux, ignoring
// case where the file system does (Windows, macOS).
bool sameFileName(const QString &a, const QString &b);

} // namespace pagebuilder
