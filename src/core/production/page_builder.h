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

// Text that may hold markup, often written by others. A "<" stays where it begins a whole tag
// ("<" or "</", an HTML element name in any case, then white space, "/" or ">", and its ">"
// in the same text) or a comment ("<!--" with "-->" after it in the same text); every other
// "<" is written "&lt;". Elements that run or fetch something (script, style, iframe, frame,
// object, embed, link, meta, base, form) or whose content is read as plain text (title,
// textarea, noscript) always stay text. In a tag that stays markup, the attributes that
// markupsafety refuses are dropped: nothing runs, nothing is fetched from outside the page's
// folder. ">" and "&" stay.
QString markupText(QStringView text);

// An article as HTML: markupText, and every line end (CR LF, CR or LF) outside tags and
// comments made "<br><br>". An article that starts in a right-to-left script goes into a block
// of its own direction, aligned to the right margin whatever the template's alignment, its
// runs of digits and Latin letters each in a span of their own (for old WebKit's sake).
QString articleToHtml(QStringView text);

// Whether the text's first character of a strong direction, markup aside, is of a
// right-to-left script (Arabic, Hebrew, Syriac, Thaana, N'Ko ...).
bool startsRightToLeft(QStringView text);

// The same, a part at a time, so a large article never needs its whole HTML at once. The
// text must outlive the writer; the parts joined are the whole text's HTML.
class HtmlWriter
{
public:
    HtmlWriter(QStringView text, bool breakLines); // breaking lines: an article, as above
    bool atEnd() const { return m_pos >= m_text.size(); }
    // The HTML of about limit more characters of the text; a tag is never split.
    QString next(qsizetype limit);

private:
    QStringView m_text;
    bool m_breakLines;
    bool m_rightToLeft;
    qsizetype m_pos = 0;
    qsizetype m_commentEnd = -1; // inside a comment: where it ends
    // Past these no tag or comment can end: a "<" there is text without searching the rest of
    // a large article again and again.
    qsizetype m_lastTagEnd = -1;
    qsizetype m_lastCommentEnd = -1;
};

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
