#include "output_names.h"

#include "local_names.h"
#include "safe_file_name.h"
#include "t_parser.h"

#include <QDir>

namespace outputnames {

namespace {

// The page file name itself, or with "e" before it when it would name the template.
QString guardTemplate(const QString &pageFileName)
{
    return isTemplateFileName(pageFileName) ? QStringLiteral("e") + pageFileName : pageFileName;
}

} // namespace


QString GetCleanFileName(const QString &sPath)
{
    const qsizetype lastSeparator = sPath.lastIndexOf(QDir::separator());
    QString name = sPath.mid(lastSeparator + 1);
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    QString result = tParser::ReplaceText(name, QStringLiteral("_"), QStringLiteral("-"), 0);
    result = tParser::ReplaceText(result, QStringLiteral(" "), QStringLiteral("-"), 0);
    if (!result.endsWith(QStringLiteral(".txt")))
        result += QStringLiteral(".txt");
    return result;
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
    return tParser::ReplaceText(articleBaseName(articlePath), QStringLiteral(".txt"),
                                QStringLiteral(".pdf"), 0);
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
    return guardTemplate(
        tParser::ReplaceText(cleanName, QStringLiteral(".txt"), QStringLiteral(".html"), 0));
}

bool isTemplateFileName(const QString &fileName)
{
    return fileName.compare(QStringLiteral("template.html"), Qt::CaseInsensitive) == 0;
}

bool sameFileName(const QString &a, const QString &b)
{
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    return a.compare(b, Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}

} // namespace outputnames
