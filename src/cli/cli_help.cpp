#include "cli_help.h"

#include "app_location.h"
#include "converter_lookup.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace cli {

QString whereHelp()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString appFolder = applocation::applicationFolder(programFolder);
    const QString converter = conversion::converterPath(appFolder);
    return QStringLiteral(
               "Application folder: your own folder when this program is installed (its data\n"
               "in share/paperwake beside its bin folder), else the folder of this program (a\n"
               "portable Paperwake); your own folder is\n"
               "  %1\n"
               "made at first use with copies of the template, scripts, word lists and name\n"
               "patterns for you to edit; files you change are never replaced, files you delete\n"
               "come back. PDFs go to bin/output in it. This program uses:\n"
               "  %2\n"
               "\n"
               "PDF converter: bin/wkhtmltopdf in the application folder, else wkhtmltopdf\n"
               "on the PATH, else Paperwake's built-in engine, else weasyprint on the PATH\n"
               "(--converter chooses one). This program uses:\n"
               "  %3\n")
        .arg(applocation::perUserFolder().isEmpty() ? QStringLiteral("none: HOME is not set")
                                                    : applocation::perUserFolder(),
             appFolder.isEmpty() ? QStringLiteral("none") : appFolder,
             QFileInfo::exists(converter) ? conversion::describeConverter(converter)
                                          : QStringLiteral("none found"));
}

QString generalHelp()
{
    return QStringLiteral(
        "Usage: paperwake-cli COMMAND [options] [ARTICLE...]\n"
        "\n"
        "Paperwake without its window: PDFs that carry your ad, made from .txt articles\n"
        "exactly as the window makes them, and filler articles.\n"
        "\n"
        "Commands:\n"
        "  bulk     one PDF per article\n"
        "  single   one PDF of all the articles\n"
        "  names    print output names made from name patterns and keywords\n"
        "  filler   write a filler article\n"
        "\n"
        "\"paperwake-cli COMMAND --help\" shows a command's options. Every command takes\n"
        "--app-dir DIR to work on another application folder than the program's own.\n"
        "\n"
        "Progress and problems go to standard error; bulk and single print the paths of\n"
        "the PDFs made on standard output, names prints the names.\n"
        "\n"
        "Exit status:\n"
        "  0  every PDF was made (names: the names were printed; filler: the file\n"
        "     was written)\n"
        "  1  some PDFs could not be made, each named with its reason on standard error,\n"
        "     or hold characters no installed font draws, each article named with the\n"
        "     script and the package that brings a font (filler: the file could not be\n"
        "     written)\n"
        "  2  bad usage or input, or the application folder lacks its template or\n"
        "     converter; the message says what is wrong and nothing was made\n"
        "  130, 143  stopped by Ctrl-C or SIGTERM; running conversions were ended\n");
}

} // namespace cli
