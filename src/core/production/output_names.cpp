#include "output_names.h"

#include "local_names.h"
#include "safe_file_name.h"
#include "t_parser.h"

#include <QDir>

namespace outputnames {

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

} // namespace outputnames
