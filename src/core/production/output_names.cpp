#include "output_names.h"

#include "local_names.h"
#include "safe_file_name.h"
#include "t_parser.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

namespace outputnames {

namespace {

const QString kTxt = QStringLiteral(".txt");

// The page file name itself, or with "e" before it when it would name the template; a name
// too long for the file system is shortened, and a hash of the whole name keeps it apart
// from other shortened ones.
QString guardTemplate(const QString &pageFileName)
{
    const QString page =
        isTemplateFileName(pageFileName) ? QStringLiteral("e") + pageFileName : pageFileName;
    if (fitsFileSystem(page))
        return page;
    const QString tail =
        u'-' +
        QString::fromLatin1(
            QCryptographicHash::hash(page.toUtf8(), QCryptographicHash::Sha1).toHex().left(16)) +
        QStringLiteral(".html");
    QString head = page.chopped(5); // ".html"
    while (!head.isEmpty() && !fitsFileSystem(head + tail))
        head.chop(head.size() >= 2 && head.at(head.size() - 1).isLowSurrogate() ? 2 : 1);
    return head + tail;
}

// name with its last ".txt" made extension.
QString withExtension(const QString &cleanName, const QString &extension)
{
    return (cleanName.endsWith(kTxt) ? cleanName.chopped(kTxt.size()) : cleanName) + extension;
}

} // namespace

bool fitsFileSystem(const QString &fileName)
{
    return QFile::encodeName(fileName).size() <= kMaxFileNameBytes;
}

QString GetCleanFileName(const QString &sPath)
{
    const qsizetype lastSeparator = sPath.lastIndexOf(QDir::separator());
    QString name = sPath.mid(lastSeparator + 1);
    // Only the extension goes: "GFDL-1.2.txt" and "GFDL-1.3.txt" must stay two PDFs.
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    QString result = tParser::ReplaceText(name, QStringLiteral("_"), QStringLiteral("-"), 0);
    result = tParser::ReplaceText(result, QStringLiteral(" "), QStringLiteral("-"), 0);
    // Always, so "a.txt.txt" keeps its own name apart from "a.txt".
    return result + kTxt;
}

QString articleBaseName(const QString &articlePath)
{
    // A file name legal here (a backslash on Linux, say) may still be one the output cannot
    // use; such characters become "-", as in keyword names. Bytes of another encoding become
    // characters, so the PDF gets a name that can be written and read back.
    return safename::replaceForbidden(localnames::asValidName(GetCleanFileName(articlePath)), u'-');
}

QString bulkPdfName(const QString &articlePath)
{
    return withExtension(articleBaseName(articlePath), QStringLiteral(".pdf"));
}

QString keywordPdfName(const QString &keywordName)
{
    // Separators become "-" first, so a name from the list can never point outside the
    // output folder; ".pdf" behind it rules out "." and "..".
    QString name = safename::replaceForbidden(keywordName, u'-') + QStringLiteral(".pdf");
    name = tParser::ReplaceText(name, QStringLiteral(" "), QStringLiteral("-"), 0);
    return tParser::ReplaceText(name, QStringLiteral("--"), QStringLiteral("-"), 0);
}

QString singleOutputName(const QString &typedName)
{
    return tParser::ReplaceText(typedName, QStringLiteral(" "), QStringLiteral("-"), 0);
}

QString singlePageFileName(const QString &outputName)
{
    return guardTemplate(outputName + QStringLiteral(".html"));
}

QString bulkPageFileName(const QString &cleanName)
{
    return guardTemplate(withExtension(cleanName, QStringLiteral(".html")));
}

QString numberedPageFileName(const QString &pageFileName, int number)
{
    return guardTemplate(pageFileName.chopped(5) + QStringLiteral("-%1.html").arg(number));
}

bool isTemplateFileName(const QString &fileName)
{
    return fileName.compare(QStringLiteral("template.html"), Qt::CaseInsensitive) == 0;
}

bool sameFileName(const QString &a, const QString &b)
{
    return fileNameKey(a) == fileNameKey(b);
}

QString fileNameKey(const QString &fileName)
{
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    return fileName.toCaseFolded();
#else
    return fileName;
#endif
}

} // namespace outputnames
