#pragma once

#include <QString>
#include <QStringList>

// Which converter turns page files into PDFs, and whether it can run.
namespace conversion {

// The converter runs take, first found: appFolder + "/bin/wkhtmltopdf" (".exe" on Windows,
// native separators), wkhtmltopdf on the PATH, the built-in engine, weasyprint on the PATH.
// When there is none, the path in the application folder, which converterProblem() then
// reports with the rest.
QString converterPath(const QString &appFolder);

// The converters a user can choose by name.
inline const QStringList kConverterNames{QStringLiteral("builtin"), QStringLiteral("wkhtmltopdf"),
                                         QStringLiteral("weasyprint")};
// The converter of that name: wkhtmltopdf as converterPath() finds it but never another kind,
// the built-in engine, or weasyprint on the PATH. Empty when name is none of kConverterNames;
// a converter that is not there gives the path converterProblem() reports.
QString namedConverterPath(const QString &appFolder, const QString &name);

// The built-in engine, paperwake-render, beside this program.
QString builtinEnginePath();
bool isBuiltinEngine(const QString &converter);
enum class ConverterKind { Builtin, Wkhtmltopdf, WeasyPrint, Other };
// Known by the program's name, also through a link (bin/wkhtmltopdf to the system's).
ConverterKind converterKind(const QString &converter);

// When a conversion of a page of pageBytes failed: that the article is too large for one PDF
// page file and how large a page the converter handles (measured on long real articles), as a
// clause to append to the reason; empty when the page is within that size.
QString tooLargeAdvice(const QString &converter, qint64 pageBytes);

// How to name the converter to the user: "wkhtmltopdf (path)", "the built-in engine", ...
QString describeConverter(const QString &converter);

// What the converter is started with: the page and where to write, after the options that
// keep wkhtmltopdf from running the page's scripts (the page needs none: its style is inline;
// articles are often written by others). Other converters run no page script and get the two
// paths alone.
QStringList converterArguments(const QString &converter, const QString &pagePath,
                               const QString &pdfPath);

// The command line as text, for display and logs: quoted converter, two blanks, quoted page,
// one blank, quoted PDF. Processes are started with an argument list, never from this text.
QString converterCommandLine(const QString &converter, const QString &pagePath,
                             const QString &pdfPath);

// Empty when the converter can be run; otherwise a message that names where it was looked for
// and says how to install one. Runs call this before they write anything.
QString converterProblem(const QString &converter);

} // namespace conversion
