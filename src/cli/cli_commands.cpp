#include "cli_commands.h"

#include "cli_help.h"
#include "cli_parser.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace cli;
using namespace cliexit;

int runCommandLine(const QStringList &arguments)
{
    int status = kBadInput;
    const QString command = arguments.value(1);
    // The command's parser sees the program name and what follows the command.
    QStringList rest = arguments.mid(2);
    rest.prepend(arguments.value(0, kProgram));
    if (command == u"bulk") {
        status = clicommands::runCommand(true, rest);
    } else if (command == u"single") {
        status = clicommands::runCommand(false, rest);
    } else if (command == u"names") {
        status = clicommands::namesCommand(rest);
    } else if (command == u"filler") {
        status = clicommands::fillerCommand(rest);
    } else if (command == u"-h" || command == u"--help" || command == u"help") {
        out() << generalHelp() << '\n' << whereHelp();
        status = kAllMade;
    } else if (command == u"--version") {
        out() << kProgram << ' ' << QCoreApplication::applicationVersion() << '\n';
        status = kAllMade;
    } else {
        if (command.isEmpty())
            err() << kProgram << ": a command is needed\n\n";
        else
            err() << kProgram << ": unknown command \"" << visible(command) << "\"\n\n";
        err() << generalHelp();
    }
    out().flush();
    err().flush();
    return status;
}
