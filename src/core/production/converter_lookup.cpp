#include "converter_lookup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace conversion {

namespace {

QString appFolderConverter(const QString &appFolder)
{
    const QChar sep = QDir::separator();
#ifdef Q_OS_WIN
    return appFolder + sep + QStringLiteral("bin") + sep + QStringLiteral("wkhtmltopdf.exe");
#else
    return appFolder + sep + QStringLiteral("bin") + sep + QStringLiteral("wkhtmltopdf");
#endif
}

QString onPath(const QString &program)
{
    return QDir::toNativeSeparators(QStandardPaths::findExecutable(program));
}

} // namespace

QString builtinEnginePath()
{
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("paperwake-render.exe");
#else
    const QString name = QStringLiteral("paperwake-render");
#endif
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + u'/' + name);
}

bool isBuiltinEngine(const QString &converter)
{
    // A link to the engine (bin/wkhtmltopdf made to point at it) is the engine too.
    return converterKind(converter) == ConverterKind::Builtin;
}

QString converterPath(const QString &appFolder)
{
    // What stands in the application folder wins, even when it cannot run: that is reported
    // rather than passed over. A link whose converter was uninstalled stands for nothing.
    const QString inAppFolder = appFolderConverter(appFolder);
    if (QFileInfo::exists(inAppFolder))
        return inAppFolder;
    // wkhtmltopdf before ours: over real articles it made single PDFs in a quarter to a third
    // of the engine's time and bulk runs a little faster. Ours before WeasyPrint, which lays
    // pages out otherwise and is slower still.
    if (const QString found = onPath(QStringLiteral("wkhtmltopdf")); !found.isEmpty())
        return found;
    if (QFileInfo(builtinEnginePath()).isExecutable())
        return builtinEnginePath();
    if (const QString found = onPath(QStringLiteral("weasyprint")); !found.isEmpty())
        return found;
    return inAppFolder;
}

QString namedConverterPath(const QString &appFolder, const QString &name)
{
    if (name == QStringLiteral("builtin"))
        return builtinEnginePath();
    if (name == QStringLiteral("weasyprint")) {
        const QString found = onPath(name);
        return found.isEmpty() ? name : found;
    }
    if (name == QStringLiteral("wkhtmltopdf")) {
        const QString inAppFolder = appFolderConverter(appFolder);
        if (QFileInfo::exists(inAppFolder))
            return inAppFolder;
        const QString found = onPath(name);
        return found.isEmpty() ? inAppFolder : found;
    }
    return {};
}

QString describeConverter(const QString &converter)
{
    if (isBuiltinEngine(converter))
        return QStringLiteral("the built-in engine (%1)").arg(converter);
    return converter;
}

ConverterKind converterKind(const QString &converter)
{
    const QFileInfo info(converter);
    const QString resolved = info.exists() ? info.canonicalFilePath() : converter;
    const QString name = QFileInfo(resolved).completeBaseName();
    if (name == QStringLiteral("paperwake-render"))
        return ConverterKind::Builtin;
    if (name == QStringLiteral("wkhtmltopdf"))
        return ConverterKind::Wkhtmltopdf;
    if (name == QStringLiteral("weasyprint"))
        return ConverterKind::WeasyPrint;
    return ConverterKind::Other;
}

QString tooLargeAdvice(const QString &converter, qint64 pageBytes)
{
    // The largest page each makes in reasonable time and memory, measured on long real
    // articles: wkhtmltopdf took 71 s on 4 MB, and its time grows with the square of the page
    // (10 MB comes near its time limit); the built-in engine made 5.2 MB of Debian's READMEs
    // and license texts (5418 pages) in 115 s and 2.3 GB on Debian 13, 144 s and 4.0 GB on
    // Debian 12, its time a page growing with the page; WeasyPrint is the slowest of the three.
    QString name;
    qint64 workableMegabytes = 0;
    switch (converterKind(converter)) {
    case ConverterKind::Builtin:
        name = QStringLiteral("the built-in engine");
        workableMegabytes = 5;
        break;
    case ConverterKind::Wkhtmltopdf:
        name = QStringLiteral("wkhtmltopdf");
        workableMegabytes = 4;
        break;
    case ConverterKind::WeasyPrint:
        name = QStringLiteral("WeasyPrint");
        workableMegabytes = 1;
        break;
    case ConverterKind::Other:
        return {};
    }
    if (pageBytes <= workableMegabytes << 20)
        return {};
    return QStringLiteral("; the article is too large for one PDF page file: its page is %1 MB, "
                          "%2 handles pages up to about %3 MB. Split it into smaller articles")
        .arg(double(pageBytes) / (1 << 20), 0, 'f', 1)
        .arg(name)
        .arg(workableMegabytes);
}

QStringList converterArguments(const QString &converter, const QString &pagePath,
                               const QString &pdfPath)
{
    if (converterKind(converter) == ConverterKind::Wkhtmltopdf)
        return {QStringLiteral("--disable-javascript"), pagePath, pdfPath};
    return {pagePath, pdfPath};
}

QString converterCommandLine(const QString &converter, const QString &pagePath,
                             const QString &pdfPath)
{
    const QChar quote = u'"';
    return quote + converter + quote + QStringLiteral("  ") + quote + pagePath + quote + u' ' +
           quote + pdfPath + quote;
}

QString converterProblem(const QString &converter)
{
#ifdef Q_OS_WIN
    const QString howTo = QStringLiteral("Put wkhtmltopdf.exe in the bin folder:\n%1")
                              .arg(QFileInfo(converter).absolutePath());
#else
    const QString howTo = QStringLiteral(
        "Install one with \"apt-get install wkhtmltopdf\", or \"apt-get install weasyprint\" "
        "where the system no longer has wkhtmltopdf.");
#endif
    const QFileInfo info(converter);
    if (isBuiltinEngine(converter) && !info.exists())
        return QStringLiteral("The built-in PDF engine is missing: Paperwake looked for\n%1\n\n"
                              "Reinstall Paperwake, or choose another converter.")
            .arg(converter);
    if (!info.exists())
        return QStringLiteral("No PDF converter was found. Paperwake looked for\n%1\nand then for "
                              "wkhtmltopdf and weasyprint on the PATH.\n\n%2")
            .arg(converter, howTo);
    if (!info.isFile() || !info.isExecutable())
        return QStringLiteral("The PDF converter at\n%1\ncannot be run: it is not an executable "
                              "program.\n\nRemove it to use wkhtmltopdf or weasyprint from the "
                              "PATH, or replace it with a working converter.")
            .arg(converter);
    return {};
}

} // namespace conversion
