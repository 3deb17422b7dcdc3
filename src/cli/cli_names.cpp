#include "cli_commands.h"

#include "cli_parser.h"
#include "keyword_combinations.h"
#include "paths.h"
#include "t_file.h"
#include "t_tools.h"

#include <QTextStream>

using namespace cli;
using namespace cliexit;

namespace clicommands {

int namesCommand(const QStringList &arguments)
{
    Command command(QStringLiteral("names"), QStringLiteral("--keywords FILE [--patterns FILE]"),
                    QStringLiteral("Prints every name pattern combined with every keyword, one "
                                   "name per line, as the window's Combine Keywords builds its "
                                   "final list: \"names ... > list.txt\" feeds \"bulk --names "
                                   "list.txt\"."));
    const QCommandLineOption keywords(QStringLiteral("keywords"),
                                      QStringLiteral("The keywords, one per line."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption patterns(
        QStringLiteral("patterns"),
        QStringLiteral("The name patterns, one per line, \"#KEYWORD#\" where a keyword goes "
                       "(default: lstcombinations.txt in the application folder)."),
        QStringLiteral("FILE"));
    command.parser.addOption(keywords);
    command.parser.addOption(patterns);
    if (const int status = command.parse(arguments, false); status >= 0)
        return status;

    if (!command.parser.isSet(keywords))
        return command.problem(QStringLiteral("--keywords FILE is needed: a file with one "
                                              "keyword per line"));
    const QString keywordFile = command.parser.value(keywords);
    QString keywordText;
    QString why;
    if (!tFile::LoadText(keywordText, keywordFile, &why))
        return command.problem(
            QStringLiteral("the keywords file could not be read: %1").arg(keywordFile),
            sentence(why));
    if (keywordText.isEmpty())
        return command.problem(QStringLiteral("Please enter some keywords first."),
                               QStringLiteral("The keywords file is empty: %1").arg(keywordFile));
    QStringList keywordList;
    tFile::LoadList(keywordList, keywordFile);

    // Like the window: a missing default pattern file means no patterns, and no names.
    QString patternFile = command.appFolder + paths::kSep + QStringLiteral("lstcombinations.txt");
    const bool patternsGiven = command.parser.isSet(patterns);
    if (patternsGiven)
        patternFile = command.parser.value(patterns);
    QStringList patternList;
    if ((patternsGiven || tTools::FileExists(patternFile, false)) &&
        !tFile::LoadList(patternList, patternFile, &why))
        return command.problem(
            QStringLiteral("the patterns file could not be read: %1").arg(patternFile),
            sentence(why));
    if (patternList.isEmpty())
        err() << kProgram << " names: no name patterns in " << visible(patternFile) << '\n';

    for (const QString &name : combineKeywords(patternList, keywordList))
        out() << name << '\n';
    return kAllMade;
}

} // namespace clicommands
