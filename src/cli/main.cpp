#include "cli_commands.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    // No widgets: it runs where there is no display.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("paperwake-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PAPERWAKE_VERSION));
    return runCommandLine(QCoreApplication::arguments());
}
