#include "app_location.h"
#include "build_info.h"
#include "cli_commands.h"
#include "local_names.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    // No widgets: it runs where there is no display.
    QCoreApplication app(argc, argv);
    // The window's names, so both find the same per-user folder.
    applocation::setApplicationNames();
    QCoreApplication::setApplicationVersion(QStringLiteral(PAPERWAKE_VERSION));
#ifdef Q_OS_UNIX
    // Qt's own list loses bytes that are no valid UTF-8, and with them an article's real name.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << localnames::fromLocalBytes(QByteArrayView(argv[i]));
    return runCommandLine(arguments);
#else
    return runCommandLine(QCoreApplication::arguments());
#endif
}
