#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A throw-away application folder for tests, filled from the staged one.
class TestAppFolder
{
public:
    enum Part {
        Bin = 1,        // bin/
        Template = 2,   // bin/template.html and bin/assets
        Converter = 4,  // bin/wkhtmltopdf linked to the system's converter (testConverter())
        Output = 8,     // bin/output
        WordLists = 16, // random/1..5.txt
        Patterns = 32,  // lstcombinations.txt
        All = 63,
    };

    explicit TestAppFolder(int parts = All);

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString file(const QString &relative) const { return m_dir.path() + u'/' + relative; }

    // Writes bytes to a file below the folder, creating its parent folders.
    QString writeFile(const QString &relative, const QByteArray &bytes) const;
    // Replaces bin/wkhtmltopdf by a shell script with this body (arguments in "$@"). The body
    // may call write_pdf PAGE PDF: a small valid PDF that holds the page's bytes (fakePdfPage()).
    QString installFakeConverter(const QByteArray &scriptBody) const;

private:
    QTemporaryDir m_dir;
};

// The converter program the tests run: $PAPERWAKE_TEST_CONVERTER (wkhtmltopdf or weasyprint)
// when set, else wkhtmltopdf when installed, else weasyprint. Empty when it is not installed.
QString testConverter();

// While it lives, PATH names only an empty folder, so no converter is found there.
class NoConverterOnPath
{
public:
    NoConverterOnPath();
    ~NoConverterOnPath();
    NoConverterOnPath(const NoConverterOnPath &) = delete;
    NoConverterOnPath &operator=(const NoConverterOnPath &) = delete;

private:
    QTemporaryDir m_empty;
    QByteArray m_savedPath;
};

// The text of a PDF as pdftotext reads it; empty when it cannot be read.
QString pdfText(const QString &pdfPath);
// The names of the fonts a PDF uses, as pdffonts lists them; empty when it cannot be read.
QStringList pdfFontNames(const QString &pdfPath);
// Writes a font configuration into folder that offers the fonts of fontFolder alone (none when
// empty), with its cache in folder too; its path.
QString writeFontConfig(const QString &folder, const QString &fontFolder);
// Where Debian keeps DejaVu, the fonts every converter here can fall back to.
inline const char *const kDejaVuFolder = "/usr/share/fonts/truetype/dejavu";
// A fixture below tests/data.
QString testData(const QString &relative);
// Copies a fixture into folder under its own name; the copy's path.
QString copyTestData(const QString &relative, const QString &folder);
// Writes a file whose name is the given bytes, valid UTF-8 or not; its path as the program
// holds it (undecodable bytes escaped), empty when it could not be made.
QString writeFileNamedInBytes(const QString &folder, const QByteArray &nameBytes,
                              const QByteArray &content);
// Read through qpdf (pdf_objects.cpp), empty or false when it cannot read the PDF:
// the addresses of the PDF's links, page by page, as a reader follows them;
QStringList pdfLinks(const QString &pdfPath);
// the page a fake converter put in the PDF (write_pdf in installFakeConverter());
QByteArray fakePdfPage(const QString &pdfPath);
// whether objects are stored in compressed object streams;
bool pdfHasObjectStreams(const QString &pdfPath);
// the sizes of every image the PDF holds, and how many files it embeds (-1: no PDF).
QList<QSize> pdfImageSizes(const QString &pdfPath);
int pdfEmbeddedFileCount(const QString &pdfPath);
// What pdfinfo -enc UTF-8 says, and one field of it ("Title", "Optimized"); empty when
// pdfinfo cannot read the PDF.
QString pdfInfo(const QString &pdfPath);
QString pdfInfoField(const QString &pdfPath, const QString &field);
// Whether qpdf --check finds nothing wrong.
bool qpdfCheckPasses(const QString &pdfPath);
// Reads a whole file; empty when missing.
QByteArray readBytes(const QString &path);
