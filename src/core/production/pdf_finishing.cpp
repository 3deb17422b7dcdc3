#include "pdf_finishing.h"

#include "build_info.h"

#include <QFile>

#include <qpdf/Buffer.hh>
#include <qpdf/Pl_Discard.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QUtil.hh>

#include <cstdio>
#include <optional>

namespace pdffinishing {

QString creator()
{
    return QStringLiteral("Paperwake " PAPERWAKE_VERSION);
}

namespace {

// qpdf's words without the file name: the file is a temporary one the user never sees.
QString reasonOf(const QPDFExc &error)
{
    return QString::fromStdString(error.getMessageDetail());
}

// The first thing qpdf found wrong.
Result damage(QPDF &pdf)
{
    const std::vector<QPDFExc> warnings = pdf.getWarnings();
    return {warnings.empty() ? QStringLiteral("qpdf found the PDF damaged")
                             : reasonOf(warnings.front()),
            Fault::Damaged};
}

void setText(QPDFObjectHandle info, const char *key, const QString &value)
{
    if (value.isEmpty())
        info.removeKey(key);
    else // PDFDocEncoding where it suffices, else UTF-16 with a byte-order mark
        info.replaceKey(key, QPDFObjectHandle::newUnicodeString(value.toStdString()));
}

void setProperties(QPDF &pdf, const PdfProperties &properties)
{
    QPDFObjectHandle trailer = pdf.getTrailer();
    QPDFObjectHandle info = trailer.getKey("/Info");
    if (!info.isDictionary()) {
        info = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        trailer.replaceKey("/Info", info);
    }
    setText(info, "/Title", properties.title);
    setText(info, "/Subject", properties.subject);
    setText(info, "/Keywords", properties.keywords);
    setText(info, "/Author", properties.author);
    setText(info, "/Creator", properties.creator.isEmpty() ? creator() : properties.creator);
    // A converter's XMP metadata would still hold its own title, and viewers that read XMP
    // first would show that one.
    QPDFObjectHandle root = pdf.getRoot();
    if (root.hasKey("/Metadata"))
        root.removeKey("/Metadata");
}

Result process(const QString &path, const PdfProperties *properties)
{
    Result result;
    std::shared_ptr<Buffer> output;
    try {
        // QUtil opens names in UTF-8 on Windows; elsewhere the name's bytes are the file's.
#ifdef Q_OS_WIN
        const QByteArray name = path.toUtf8();
#else
        const QByteArray name = QFile::encodeName(path);
#endif
        FILE *file = QUtil::safe_fopen(name.constData(), "rb");
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile("PDF", file, true);
        // Read before the pages are listed: newer qpdf versions mend the tree's count as
        // they list them.
        QPDFObjectHandle countItem = pdf.getRoot().getKey("/Pages").getKey("/Count");
        const qint64 count = countItem.isInteger() ? countItem.getIntValue() : 0;
        std::vector<QPDFPageObjectHelper> pageList = QPDFPageDocumentHelper(pdf).getAllPages();
        // Writing copies a content stream that does not decode as it is: only decoding it
        // tells a page that a viewer would show blank or cut off.
        for (QPDFPageObjectHelper &page : pageList) {
            Pl_Discard contents;
            try {
                page.pipeContents(&contents);
            } catch (const QPDFExc &) {
                // Its warning says what is wrong with the stream, the exception only that
                // something is.
                if (pdf.anyWarnings())
                    return damage(pdf);
                throw;
            }
        }
        const size_t pages = pageList.size();
        // A file qpdf had to mend (a cut cross-reference table, a page tree pointing
        // nowhere) is not what the converter meant to write. Some qpdf versions drop a page
        // that is not there without a word: the tree's own count still tells.
        if (pdf.anyWarnings() || count > qint64(pages))
            return damage(pdf);
        if (pages == 0)
            return {QStringLiteral("the PDF has no page"), Fault::NoPage};
        if (properties)
            setProperties(pdf, *properties);
        // Writing visits every object, so a broken one shows up even when only checking.
        QPDFWriter writer(pdf);
        Pl_Discard discard;
        if (properties) {
            writer.setOutputMemory();
            writer.setLinearization(true);
            writer.setObjectStreamMode(qpdf_o_generate);
            writer.setCompressStreams(true);
        } else {
            writer.setOutputPipeline(&discard);
        }
        writer.write();
        if (pdf.anyWarnings())
            return damage(pdf);
        if (properties)
            output = writer.getBufferSharedPointer();
    } catch (const QPDFExc &error) {
        return {reasonOf(error), Fault::Damaged};
    } catch (const std::exception &error) {
        // Opening or reading the file failed, or qpdf gave up on it.
        return {QString::fromLocal8Bit(error.what()), Fault::Damaged};
    }
    if (!output)
        return result;

    // The file is read completely by now; the finished PDF takes its place.
    QFile file(path);
    const auto size = qint64(output->getSize());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char *>(output->getBuffer()), size) != size
        || !file.flush()) {
        result.problem =
            QStringLiteral("the finished PDF could not be written (%1)").arg(file.errorString());
    }
    return result;
}

} // namespace

Result verifyPdf(const QString &path)
{
    return process(path, nullptr);
}

Result finishPdf(const QString &path, const PdfProperties &properties)
{
    return process(path, &properties);
}

} // namespace pdffinishing
