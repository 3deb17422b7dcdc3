#include "cli_commands.h"

#include "cli_parser.h"
#include "filler_generator.h"
#include "t_file.h"
#include "t_tools.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>

using namespace cli;
using namespace cliexit;

namespace clicommands {

int fillerCommand(const QStringList &arguments)
{
    Command command(QStringLiteral("filler"),
                    QStringLiteral("--pages N [--keywords FILE] [--seed S] [--replace] "
                                   "--out FILE.txt"),
                    QStringLiteral("Writes a filler article as the Random Content Generator "
                                   "window does: N + 1 pages of five-word sentences drawn from "
                                   "the application folder's word lists random/1.txt to "
                                   "random/5.txt, with a keyword in every paragraph when "
                                   "keywords are given. The file is UTF-8 with CR LF line ends; "
                                   "a file of that name is replaced only with --replace."));
    const QCommandLineOption pages(
        QStringLiteral("pages"),
        QStringLiteral("The number of pages as the window counts them, 0 to %1.")
            .arg(filler::kMaxPages),
        QStringLiteral("N"));
    const QCommandLineOption keywords(QStringLiteral("keywords"),
                                      QStringLiteral("Keywords to mix in, one per line."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption seed(
        QStringLiteral("seed"),
        QStringLiteral("Start the random picks from S (a whole number), for the same text "
                       "every time."),
        QStringLiteral("S"));
    const QCommandLineOption outFile(
        QStringLiteral("out"),
        QStringLiteral("The file to write, in a folder that exists; \".txt\" is added when the "
                       "name does not end in it."),
        QStringLiteral("FILE.txt"));
    const QCommandLineOption replace(
        QStringLiteral("replace"),
        QStringLiteral("Replace the file when one of that name exists (never anything but a "
                       "regular file)."));
    command.parser.addOption(pages);
    command.parser.addOption(keywords);
    command.parser.addOption(seed);
    command.parser.addOption(replace);
    command.parser.addOption(outFile);
    if (const int status = command.parse(arguments, false); status >= 0)
        return status;
    const QCommandLineParser &parser = command.parser;

    if (!parser.isSet(pages))
        return command.problem(QStringLiteral("--pages N is needed"));
    const std::optional<int> pageCount = filler::parsePageCount(parser.value(pages));
    if (!pageCount)
        return command.problem(QStringLiteral("--pages needs a whole number from 0 to %1, not "
                                              "\"%2\"")
                                   .arg(filler::kMaxPages)
                                   .arg(parser.value(pages)));

    if (!parser.isSet(outFile))
        return command.problem(QStringLiteral("--out FILE.txt is needed"));
    // The window's Save File: a name in a folder, ".txt" behind it.
    const QFileInfo target(parser.value(outFile));
    QString name = target.fileName();
    if (name.endsWith(QStringLiteral(".txt")))
        name.chop(4);
    if (const QString problem = filler::saveNameProblem(name); !problem.isEmpty())
        return command.problem(problem, name.isEmpty() ? QStringLiteral("--out must name a file.")
                                                       : QString());
    if (!QFileInfo(target.path()).isDir())
        return command.problem(
            QStringLiteral("the folder to write into does not exist: %1").arg(target.path()));
    const QString path = filler::filePath(nativeAbsolute(target.path()), name);
    // A folder given alone would otherwise become "FOLDER.txt" beside it, replacing any such
    // file without a word.
    for (const QString &folder : {parser.value(outFile), path})
        if (QFileInfo(folder).isDir())
            return command.problem(
                QStringLiteral("--out names a folder, not a file: %1").arg(folder),
                QStringLiteral("Give the file to write, such as %1")
                    .arg(QDir::toNativeSeparators(
                        QDir(folder).filePath(QStringLiteral("filler.txt")))));
    // An article of that name is most likely someone's work.
    if (const QFileInfo existing(path);
        (existing.exists() || existing.isSymLink()) && !parser.isSet(replace))
        return command.problem(QStringLiteral("the file already exists: %1").arg(path),
                               QStringLiteral("Give --replace to replace it."));

    QStringList keywordList;
    QString why;
    if (parser.isSet(keywords) && !tFile::LoadList(keywordList, parser.value(keywords), &why))
        return command.problem(
            QStringLiteral("the keywords file could not be read: %1").arg(parser.value(keywords)),
            sentence(why));

    tTools random;
    if (parser.isSet(seed)) {
        bool ok = false;
        const qlonglong value = parser.value(seed).toLongLong(&ok);
        if (!ok)
            return command.problem(
                QStringLiteral("--seed needs a whole number, not \"%1\"").arg(parser.value(seed)));
        random.seed(std::uint32_t(value));
    }

    const filler::WordLists words = filler::loadWordLists(command.appFolder);
    if (const int empty = filler::firstEmptyList(words); empty >= 0)
        return command.problem(
            QStringLiteral("the word list %1 is missing or empty; it needs one word per line")
                .arg(filler::wordListPath(command.appFolder, empty)));

    QElapsedTimer timer;
    timer.start();
    const std::optional<QString> text =
        filler::generateFillerText(words, keywordList, *pageCount, random);
    QString reason;
    if (!text || !tFile::SaveText(*text, path, &reason)) {
        err() << kProgram << " filler: the file could not be written: " << visible(path) << " ("
              << visible(reason) << ")\n";
        return kSomeFailed;
    }
    out() << visible(path) << '\n';
    const int written = *pageCount + 1;
    err() << QStringLiteral("%1 %2 written, %3 s")
                 .arg(written)
                 .arg(written == 1 ? QStringLiteral("page") : QStringLiteral("pages"))
                 .arg(timer.nsecsElapsed() / 1e9, 0, 'f', 2)
          << '\n';
    return kAllMade;
}

} // namespace clicommands
