#pragma once

#include <QString>

// Document properties a finished PDF carries. Empty fields are left out of the PDF.
struct PdfProperties
{
    QString title;
    QString subject;
    QString keywords;
    QString author;
    QString creator; // empty: pdffinishing::creator()
};

namespace pdffinishing {

// "Paperwake" and its version, the Creator of every PDF we finish.
QString creator();

// What is wrong with the PDF itself, whatever words qpdf of one version or another uses.
enum class Fault {
    None,    // the PDF is good, or only writing the finished one failed
    Damaged, // qpdf cannot read it, had to mend it, or lost pages in its page tree
    NoPage,  // a sound PDF without a page
};

struct Result
{
    // Empty when the PDF is good (and, when asked, was rewritten).
    QString problem;
    Fault fault = Fault::None;
    bool ok() const { return problem.isEmpty(); }
    // The PDF itself is at fault, not the writing.
    bool damaged() const { return fault != Fault::None; }
};

// Reads the PDF at path with qpdf; it passes only when qpdf reads it without error or warning
// and finds at least one page. Blocks for as long as qpdf works: call it off the window thread.
Result verifyPdf(const QString &path);

// Checks as verifyPdf() does, then sets the document properties and rewrites the file in place,
// linearized and with compressed object streams. On failure the file may be left half
// written; it is meant for a temporary file that is moved into place only when this succeeds.
Result finishPdf(const QString &path, const PdfProperties &properties);

} // namespace pdffinishing
