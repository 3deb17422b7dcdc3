#include "cli_commands.h"

#include "app_location.h"
#include "cli_progress.h"
#include "converter.h"
#include "create_checks.h"
#include "filler_generator.h"
#include "folder_articles.h"
#include "keyword_combinations.h"
#include "local_names.h"
#include "production_run.h"
#include "stop_signals.h"
#include "t_file.h"
#include "t_tools.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>
#include <QTextStream>

#include <csignal>
#include <cstdio>

using namespace cliexit;

namespace {

const QString kProgram = QStringLiteral("paperwake-cli");
const QString kSep = QDir::separator();

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

// Where this program works and which converter it would run, as it finds them now.
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
               "PDF converter: bin/wkhtmltopdf in the application folder, else wkhtmltopdf on\n"
               "the PATH, else Paperwake's built-in engine, else weasyprint on the PATH\n"
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
        "  1  some PDFs could not be made, each named with its reason on standard error\n"
        "     (filler: the file could not be written)\n"
        "  2  bad usage or input, or the application folder lacks its template or\n"
        "     converter; the message says what is wrong and nothing was made\n"
        "  130, 143  stopped by Ctrl-C or SIGTERM; running conversions were ended\n");
}

int badInput(const QString &command, const QString &message, const QString &hint = {})
{
    err() << kProgram << ' ' << command << ": " << message << '\n';
    if (!hint.isEmpty())
        err() << hint << '\n';
    err().flush();
    return kBadInput;
}

// Qt's help wraps option texts but not the description.
QString wrapped(const QString &text, qsizetype width = 79)
{
    QString result;
    qsizetype lineLength = 0;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (lineLength > 0 && lineLength + 1 + word.size() > width) {
            result += u'\n';
            lineLength = 0;
        } else if (lineLength > 0) {
            result += u' ';
            ++lineLength;
        }
        result += word;
        lineLength += word.size();
    }
    return result;
}

QString nativeAbsolute(const QString &path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

// Options every command has.
struct CommonOptions
{
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help.")};
    QCommandLineOption appDir{
        QStringLiteral("app-dir"),
        QStringLiteral("Work on the application folder DIR instead of the usual one (see "
                       "\"paperwake-cli --help\"): for tests, or when the data lives elsewhere. "
                       "It holds bin/template.html, random/1..5.txt, lstcombinations.txt and "
                       "perhaps bin/wkhtmltopdf."),
        QStringLiteral("DIR")};

    void addTo(QCommandLineParser &parser) const
    {
        parser.addOption(help);
        parser.addOption(appDir);
    }
};

// A command's parser and what it was given.
struct Command
{
    QString name;
    QString synopsis; // after "paperwake-cli name "
    QCommandLineParser parser;
    CommonOptions common;
    QString appFolder;

    Command(const QString &name, const QString &synopsis, const QString &description)
        : name(name), synopsis(synopsis)
    {
        parser.setApplicationDescription(wrapped(description));
    }

    QString help() const
    {
        // Qt's first line names the executable's path; ours names the command.
        QString text = parser.helpText();
        const qsizetype firstLineEnd = text.indexOf(u'\n');
        text.replace(0, firstLineEnd,
                     QStringLiteral("Usage: %1 %2 %3\n").arg(kProgram, name, synopsis));
        return text;
    }

    // Parses; -1 to go on, or the exit status once help or a problem was shown.
    int parse(const QStringList &arguments, bool takesArguments)
    {
        common.addTo(parser); // last, so the help lists the command's own options first
        const bool parsed = parser.parse(arguments);
        if (parser.isSet(common.help)) {
            out() << help();
            return kAllMade;
        }
        const QString tryHelp = QStringLiteral("Try \"%1 %2 --help\".").arg(kProgram, name);
        if (!parsed)
            return badInput(name, parser.errorText(), tryHelp);
        if (!takesArguments && !parser.positionalArguments().isEmpty())
            return badInput(name,
                            QStringLiteral("unexpected argument \"%1\"")
                                .arg(parser.positionalArguments().constFirst()),
                            tryHelp);
        if (parser.isSet(common.appDir)) {
            const QString given = parser.value(common.appDir);
            if (!QFileInfo(given).isDir())
                return badInput(
                    name, QStringLiteral("the application folder does not exist: %1").arg(given));
            appFolder = nativeAbsolute(given);
        } else {
            const applocation::PreparedFolder prepared =
                applocation::prepareApplicationFolder(QCoreApplication::applicationDirPath());
            if (prepared.problem == applocation::kNoHome)
                return badInput(name, prepared.problem + QStringLiteral(" or use --app-dir"));
            if (!prepared.problem.isEmpty())
                return badInput(name, prepared.problem);
            appFolder = prepared.path;
        }
        return -1;
    }

    int problem(const QString &message, const QString &hint = {}) const
    {
        return badInput(name, message, hint);
    }
};

// The ad and the output folder, shared by bulk and single.
struct RunOptions
{
    QCommandLineOption adTitle{QStringLiteral("ad-title"), QStringLiteral("The ad's title."),
                               QStringLiteral("T")};
    QCommandLineOption ctaText{QStringLiteral("cta-text"),
                               QStringLiteral("The text of the ad's call-to-action button."),
                               QStringLiteral("C")};
    QCommandLineOption ctaUrl{QStringLiteral("cta-url"),
                              QStringLiteral("The address the call-to-action button leads to."),
                              QStringLiteral("U")};
    QCommandLineOption out{QStringLiteral("out"),
                           QStringLiteral("Write the PDFs into DIR, made when missing (default: "
                                          "bin/output in the application folder). Page files "
                                          "are still written to the application folder's bin."),
                           QStringLiteral("DIR")};
    QCommandLineOption converter{
        QStringLiteral("converter"),
        QStringLiteral("Convert with NAME: wkhtmltopdf, builtin (Paperwake's own engine) or "
                       "weasyprint (default: the first found in that order, bin/wkhtmltopdf "
                       "in the application folder before all)."),
        QStringLiteral("NAME")};
    QCommandLineOption author{QStringLiteral("author"),
                              QStringLiteral("The Author property of every PDF (default: none)."),
                              QStringLiteral("A")};

    void addTo(QCommandLineParser &parser) const
    {
        parser.addOption(adTitle);
        parser.addOption(ctaText);
        parser.addOption(ctaUrl);
        parser.addOption(out);
        parser.addOption(converter);
        parser.addOption(author);
        parser.addPositionalArgument(
            QStringLiteral("ARTICLE"),
            QStringLiteral("An article (.txt file), or a folder whose *.txt files are taken in "
                           "the order the window lists them. Give as many as you like."),
            QStringLiteral("ARTICLE..."));
    }
};

// Files and folders given on the command line, as the list of selected articles.
bool collectArticles(const Command &command, QStringList &articles)
{
    for (const QString &argument : command.parser.positionalArguments()) {
        switch (localnames::entryKind(argument)) {
        case localnames::EntryKind::Folder:
            articles << folderarticles::articlePathsIn(nativeAbsolute(argument));
            break;
        case localnames::EntryKind::Other:
            // Whatever it is, it is there: the run reads it or says by name why it cannot.
            articles << nativeAbsolute(argument);
            break;
        case localnames::EntryKind::Missing:
            command.problem(QStringLiteral("no such article file or folder: %1")
                                .arg(localnames::forDisplay(argument)));
            return false;
        }
    }
    return true;
}

// Reads the options bulk and single share into input; false once a problem was shown.
bool readRunOptions(const Command &command, const RunOptions &options, RunInput &input)
{
    const QCommandLineParser &parser = command.parser;
    input.appFolder = command.appFolder;
    input.adTitle = parser.value(options.adTitle);
    input.ctaText = parser.value(options.ctaText);
    input.ctaUrl = parser.value(options.ctaUrl);
    input.author = parser.value(options.author);
    if (!collectArticles(command, input.articles))
        return false;
    if (parser.isSet(options.out)) {
        const QString given = parser.value(options.out);
        const QFileInfo info(given);
        if (given.isEmpty() || (info.exists() && !info.isDir())) {
            command.problem(QStringLiteral("--out must name a folder: \"%1\"").arg(given));
            return false;
        }
        input.outputFolder = nativeAbsolute(given);
    }
    if (parser.isSet(options.converter)) {
        const QString name = parser.value(options.converter);
        input.converter = conversion::namedConverterPath(input.appFolder, name);
        if (input.converter.isEmpty()) {
            command.problem(QStringLiteral("--converter must be one of %1, not \"%2\"")
                                .arg(conversion::kConverterNames.join(QStringLiteral(", ")), name));
            return false;
        }
    }
    return true;
}

// The window's checks before a run, with their messages; a hint says which option to give.
bool passesCreateChecks(const Command &command, const RunOptions &options, const RunInput &input,
                        const QString &namesFile)
{
    const CreateCheck check = checkCreate(createInputFor(input));
    QString hint;
    switch (check.problem) {
    case CreateProblem::None:
        return true;
    case CreateProblem::NoArticles:
        hint = QStringLiteral("Give one or more articles: .txt files, or folders holding them.");
        break;
    case CreateProblem::AdIncomplete: {
        QStringList missing;
        for (const auto &[value, option] :
             {std::pair{input.adTitle, &options.adTitle},
              std::pair{input.ctaText, &options.ctaText}, std::pair{input.ctaUrl, &options.ctaUrl}})
            if (value.isEmpty())
                missing << QStringLiteral("--") + option->names().constFirst();
        hint = QStringLiteral("Missing or empty: %1").arg(missing.join(QStringLiteral(", ")));
        break;
    }
    case CreateProblem::BadAddress:
        hint = QStringLiteral("Give it with --cta-url, not \"%1\".").arg(input.ctaUrl);
        break;
    case CreateProblem::NoKeywordNames:
        hint = QStringLiteral("The names file holds no names: %1").arg(namesFile);
        break;
    case CreateProblem::NoSingleName:
        hint = QStringLiteral("Give the PDF's name with --name.");
        break;
    case CreateProblem::UnusableSingleName:
        break;
    }
    command.problem(check.message, hint);
    return false;
}

// Drives one run through the shared code, as the window's Create does after its checks.
int runPdfs(const Command &command, const RunInput &input)
{
    ProductionRun run;
    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &run, &ProductionRun::cancel);
    const QString notStarted = run.start(input);
    if (!notStarted.isEmpty())
        return command.problem(notStarted);

    CliProgress progress(err(), CliProgress::isTerminal(fileno(stderr)));
    QObject::connect(&run, &ProductionRun::pdfFinished, &run,
                     [&progress](int done, int count, const PdfResult &result) {
                         progress.pdfFinished(done, count, result);
                     });
    RunReport report;
    QObject::connect(&run, &ProductionRun::finished, &run, [&report](const RunReport &r) {
        report = r;
        QCoreApplication::quit();
    });
    QElapsedTimer timer;
    timer.start();
    QCoreApplication::exec();
    const double seconds = timer.nsecsElapsed() / 1e9;
    progress.finish();

    // The paths of the PDFs made, once each even when a later PDF replaced an earlier one.
    QSet<QString> printed;
    for (const QString &pdf : report.pdfsMade)
        if (!printed.contains(pdf)) {
            printed.insert(pdf);
            out() << pdf << '\n';
        }
    out().flush();

    for (const RunFailure &failure : report.failures)
        err() << "not made: " << failure.pdfName << ": " << failure.reason << '\n';
    for (const QString &line : replacementLines(report))
        err() << "replaced within this run: " << line << '\n';
    const int expected = input.bulk ? int(input.articles.size()) : 1;
    err() << QStringLiteral("%1 made, %2 failed, %3 s")
                 .arg(report.made)
                 .arg(report.failures.size())
                 .arg(seconds, 0, 'f', 2);
    if (report.cancelled)
        err() << QStringLiteral(", stopped with %1 of %2 not begun")
                     .arg(expected - report.attempted)
                     .arg(expected);
    err() << '\n';
    err().flush();

    if (report.cancelled)
        return 128 + (StopSignals::received() ? StopSignals::received() : SIGINT);
    return report.failures.isEmpty() ? kAllMade : kSomeFailed;
}

int bulkCommand(const QStringList &arguments)
{
    Command command(
        QStringLiteral("bulk"),
        QStringLiteral("--ad-title T --cta-text C --cta-url U [--names FILE [--patterns FILE]] "
                       "[--jobs N] [--author A] [--out DIR] ARTICLE..."),
        QStringLiteral("Makes one PDF per article, as the window's Bulk PDF Creation does: the "
                       "same template, page files, names and checks. PDFs are named after the "
                       "article files, or after the names of --names in turn. Each PDF's title "
                       "is its article's file name or its name from --names, its subject the "
                       "ad title, and its keywords the keyword that a name pattern put into "
                       "the name."));
    RunOptions options;
    options.addTo(command.parser);
    const QCommandLineOption names(
        QStringLiteral("names"),
        QStringLiteral("Name the PDFs after the names in FILE, one per line (as \"names\" prints "
                       "them), used in turn and from the first again when they run out."),
        QStringLiteral("FILE"));
    const QCommandLineOption jobs(
        QStringLiteral("jobs"),
        QStringLiteral("Run at most N conversions at once, 1 to %1 (default: %2 with the "
                       "converter found, as memory allows: four per core for a converter "
                       "program, two per core for the built-in engine).")
            .arg(kMaxJobs)
            .arg(defaultJobs(conversion::converterPath(
                applocation::applicationFolder(QCoreApplication::applicationDirPath())))),
        QStringLiteral("N"));
    const QCommandLineOption patterns(
        QStringLiteral("patterns"),
        QStringLiteral("The name patterns the names of --names were made from, to find the "
                       "keyword in each name for the PDF's Keywords (default: lstcombinations.txt "
                       "in the application folder)."),
        QStringLiteral("FILE"));
    command.parser.addOption(names);
    command.parser.addOption(patterns);
    command.parser.addOption(jobs);
    if (const int status = command.parse(arguments, true); status >= 0)
        return status;

    RunInput input;
    if (!readRunOptions(command, options, input))
        return kBadInput;
    const QString namesFile = command.parser.value(names);
    if (command.parser.isSet(names)) {
        input.useOriginalNames = false;
        if (!tFile::LoadList(input.finalNames, namesFile))
            return command.problem(
                QStringLiteral("the names file could not be read: %1").arg(namesFile));
        // Like "names": a missing default pattern file means no patterns, so no keywords.
        const QString patternFile =
            command.parser.isSet(patterns)
                ? command.parser.value(patterns)
                : command.appFolder + kSep + QStringLiteral("lstcombinations.txt");
        if (!tFile::LoadList(input.namePatterns, patternFile) && command.parser.isSet(patterns))
            return command.problem(
                QStringLiteral("the patterns file could not be read: %1").arg(patternFile));
    }
    if (command.parser.isSet(jobs)) {
        bool ok = false;
        input.maxJobs = command.parser.value(jobs).toInt(&ok);
        if (!ok || input.maxJobs < 1 || input.maxJobs > kMaxJobs)
            return command.problem(QStringLiteral("--jobs needs a whole number from 1 to %1, not "
                                                  "\"%2\"")
                                       .arg(kMaxJobs)
                                       .arg(command.parser.value(jobs)));
    }
    if (!passesCreateChecks(command, options, input, namesFile))
        return kBadInput;
    return runPdfs(command, input);
}

int singleCommand(const QStringList &arguments)
{
    Command command(
        QStringLiteral("single"),
        QStringLiteral("--ad-title T --cta-text C --cta-url U --name NAME [--title T] "
                       "[--subject S] [--keywords K] [--author A] [--out DIR] ARTICLE..."),
        QStringLiteral("Makes one PDF of all the articles, in the order given, as the window's "
                       "Single PDF Creation does."));
    RunOptions options;
    options.addTo(command.parser);
    const QCommandLineOption name(
        QStringLiteral("name"),
        QStringLiteral("The PDF's name without \".pdf\"; spaces become \"-\"."),
        QStringLiteral("NAME"));
    const QCommandLineOption title(
        QStringLiteral("title"),
        QStringLiteral("The PDF's Title property (default: the name as given to --name)."),
        QStringLiteral("T"));
    const QCommandLineOption subject(
        QStringLiteral("subject"),
        QStringLiteral("The PDF's Subject property (default: the ad title)."),
        QStringLiteral("S"));
    const QCommandLineOption keywords(QStringLiteral("keywords"),
                                      QStringLiteral("The PDF's Keywords property (default: "
                                                     "none)."),
                                      QStringLiteral("K"));
    command.parser.addOption(name);
    command.parser.addOption(title);
    command.parser.addOption(subject);
    command.parser.addOption(keywords);
    if (const int status = command.parse(arguments, true); status >= 0)
        return status;

    RunInput input;
    if (!readRunOptions(command, options, input))
        return kBadInput;
    input.singleName = command.parser.value(name);
    input.title = command.parser.value(title);
    input.subject = command.parser.value(subject);
    input.keywords = command.parser.value(keywords);
    input.bulk = false;
    if (!passesCreateChecks(command, options, input, {}))
        return kBadInput;
    return runPdfs(command, input);
}

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
    if (!tFile::LoadText(keywordText, keywordFile))
        return command.problem(
            QStringLiteral("the keywords file could not be read: %1").arg(keywordFile));
    if (keywordText.isEmpty())
        return command.problem(QStringLiteral("Please enter some keywords first."),
                               QStringLiteral("The keywords file is empty: %1").arg(keywordFile));
    QStringList keywordList;
    tFile::LoadList(keywordList, keywordFile);

    // Like the window: a missing default pattern file means no patterns, and no names.
    QString patternFile = command.appFolder + kSep + QStringLiteral("lstcombinations.txt");
    const bool patternsGiven = command.parser.isSet(patterns);
    if (patternsGiven)
        patternFile = command.parser.value(patterns);
    QStringList patternList;
    if ((patternsGiven || tTools::FileExists(patternFile, false)) &&
        !tFile::LoadList(patternList, patternFile))
        return command.problem(
            QStringLiteral("the patterns file could not be read: %1").arg(patternFile));
    if (patternList.isEmpty())
        err() << kProgram << " names: no name patterns in " << patternFile << '\n';

    for (const QString &name : combineKeywords(patternList, keywordList))
        out() << name << '\n';
    return kAllMade;
}

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
    if (parser.isSet(keywords) && !tFile::LoadList(keywordList, parser.value(keywords)))
        return command.problem(
            QStringLiteral("the keywords file could not be read: %1").arg(parser.value(keywords)));

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
        err() << kProgram << " filler: the file could not be written: " << path << " (" << reason
              << ")\n";
        return kSomeFailed;
    }
    out() << path << '\n';
    const int written = *pageCount + 1;
    err() << QStringLiteral("%1 %2 written, %3 s")
                 .arg(written)
                 .arg(written == 1 ? QStringLiteral("page") : QStringLiteral("pages"))
                 .arg(timer.nsecsElapsed() / 1e9, 0, 'f', 2)
          << '\n';
    return kAllMade;
}

} // namespace

int runCommandLine(const QStringList &arguments)
{
    int status = kBadInput;
    const QString command = arguments.value(1);
    // The command's parser sees the program name and what follows the command.
    QStringList rest = arguments.mid(2);
    rest.prepend(arguments.value(0, kProgram));
    if (command == u"bulk") {
        status = bulkCommand(rest);
    } else if (command == u"single") {
        status = singleCommand(rest);
    } else if (command == u"names") {
        status = namesCommand(rest);
    } else if (command == u"filler") {
        status = fillerCommand(rest);
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
            err() << kProgram << ": unknown command \"" << command << "\"\n\n";
        err() << generalHelp();
    }
    out().flush();
    err().flush();
    return status;
}
