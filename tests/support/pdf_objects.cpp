// Reads PDFs as a PDF reader does, through qpdf: never by looking for bytes in the file, whose
// layout each converter and version chooses for itself.
#include "test_app_folder.h"

#include <QFile>

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAnnotationObjectHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <exception>

namespace {

// Calls read(pdf) on the opened PDF; fallback when qpdf cannot open it.
template <typename T, typename Read>
T withPdf(const QString &path, T fallback, Read read)
{
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(QFile::encodeName(path).constData());
        return read(pdf);
    } catch (const std::exception &) {
        return fallback;
    }
}

} // namespace

QStringList pdfLinks(const QString &pdfPath)
{
    return withPdf(pdfPath, QStringList(), [](QPDF &pdf) {
        QStringList links;
        for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(pdf).getAllPages()) {
            for (QPDFAnnotationObjectHelper &link : page.getAnnotations("/Link")) {
                QPDFObjectHandle action = link.getObjectHandle().getKey("/A");
                if (action.isDictionary() && action.getKey("/S").isNameAndEquals("/URI")
                    && action.getKey("/URI").isString())
                    links << QString::fromStdString(action.getKey("/URI").getUTF8Value());
            }
        }
        return links;
    });
}

QByteArray fakePdfPage(const QString &pdfPath)
{
    return withPdf(pdfPath, QByteArray(), [](QPDF &pdf) {
        QPDFObjectHandle page = pdf.getRoot().getKey("/PageFile");
        if (!page.isStream())
            return QByteArray();
        auto data = page.getStreamData(qpdf_dl_all);
        return QByteArray(reinterpret_cast<const char *>(data->getBuffer()),
                          qsizetype(data->getSize()));
    });
}

bool pdfHasObjectStreams(const QString &pdfPath)
{
    return withPdf(pdfPath, false, [](QPDF &pdf) {
        for (const auto &[object, entry] : pdf.getXRefTable())
            if (entry.getType() == 2) // stored inside an object stream
                return true;
        return false;
    });
}

QList<QSize> pdfImageSizes(const QString &pdfPath)
{
    return withPdf(pdfPath, QList<QSize>(), [](QPDF &pdf) {
        QList<QSize> sizes;
        for (QPDFObjectHandle &object : pdf.getAllObjects()) {
            if (!object.isStream())
                continue;
            QPDFObjectHandle dict = object.getDict();
            if (dict.getKey("/Subtype").isNameAndEquals("/Image")
                && dict.getKey("/Width").isInteger() && dict.getKey("/Height").isInteger())
                sizes << QSize(int(dict.getKey("/Width").getIntValue()),
                               int(dict.getKey("/Height").getIntValue()));
        }
        return sizes;
    });
}

int pdfEmbeddedFileCount(const QString &pdfPath)
{
    return withPdf(pdfPath, -1, [](QPDF &pdf) {
        int files = 0;
        for (QPDFObjectHandle &object : pdf.getAllObjects())
            files += object.isStream()
                     && object.getDict().getKey("/Type").isNameAndEquals("/EmbeddedFile");
        return files;
    });
}
