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

} // namespace pagebuilder
