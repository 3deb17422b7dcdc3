#include "app_location.h"
#include "build_info.h"
#include "cli_commands.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    // No widgets: it runs where there is no display.
    QCoreApplication app(argc, argv);
    // The window's names, so both find the same per-user folder.
    applocation::setApplicationNames();
    QCoreApplication::setApplicationVersion(QStringLiteral(PAPERWAKE_VERSION));
    return runCommandLine(QCoreApplication::arguments());
}
