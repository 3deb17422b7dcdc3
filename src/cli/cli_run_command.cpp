#include "cli_commands.h"

#include "app_location.h"
#include "cli_parser.h"
#include "cli_progress.h"
#include "converter_lookup.h"
#include "create_checks.h"
#include "folder_articles.h"
#include "local_names.h"
#include "paths.h"
#include "production_run.h"
#include "stop_signals.h"
#include "t_file.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <functional>

using namespace cli;
using namespace cliexit;

namespace {

// A day: longer is no limit at all.
constexpr int kMaxTimeoutSeconds = 24 * 60 * 60;

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
        QStringLiteral("Convert with NAME: builtin (Paperwake's own engine), wkhtmltopdf or "
                       "weasyprint (default: the first found of bin/wkhtmltopdf in the "
                       "application folder, wkhtmltopdf, builtin, weasyprint)."),
        QStringLiteral("NAME")};
    QCommandLineOption author{QStringLiteral("author"),
                              QStringLiteral("The Author property of every PDF (default: none)."),
                              QStringLiteral("A")};
    QCommandLineOption timeout{
        QStringLiteral("timeout"),
        QStringLiteral("Stop a conversion that takes longer than SECONDS, 1 to %1, and report it "
                       "(default: %2 s for a small page, more for a larger one).")
            .arg(kMaxTimeoutSeconds)
            .arg(std::chrono::duration_cast<std::chrono::seconds>(conversionTimeLimit(0)).count()),
        QStringLiteral("SECONDS")};

    void addTo(QCommandLineParser &parser) const
    {
        parser.addOption(adTitle);
        parser.addOption(ctaText);
        parser.addOption(ctaUrl);
        parser.addOption(out);
        parser.addOption(converter);
        parser.addOption(author);
        parser.addOption(timeout);
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
    if (parser.isSet(options.timeout)) {
        bool ok = false;
        const int seconds = parser.value(options.timeout).toInt(&ok);
        if (!ok || seconds < 1 || seconds > kMaxTimeoutSeconds) {
            command.problem(QStringLiteral("--timeout needs a whole number of seconds from 1 to "
                                           "%1, not \"%2\"")
                                .arg(kMaxTimeoutSeconds)
                                .arg(parser.value(options.timeout)));
            return false;
        }
        input.conversionTimeout = std::chrono::seconds(seconds);
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
    // What the window asks before such a run, said before the first PDF.
    if (const QString notice = repeatNotice(nameRepeats(input)); !notice.isEmpty()) {
        err() << notice << '\n';
        err().flush();
    }

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
            out() << visible(pdf) << '\n';
        }
    out().flush();

    for (const RunFailure &failure : report.failures)
        err() << "not made: " << visible(failure.pdfName) << ": " << visible(failure.reason)
              << '\n';
    for (const QString &line : report.undrawn)
        err() << visible(line) << '\n';
    for (const QString &line : replacementLines(report))
        err() << "replaced within this run: " << visible(line) << '\n';
    const int expected = input.bulk ? int(input.articles.size()) : 1;
    // What is left on disk, not only what was converted.
    const int kept = report.pdfsKept();
    err() << report.made << " converted, " << kept << (kept == 1 ? " PDF kept" : " PDFs kept");
    if (report.made > kept)
        err() << ", " << report.made - kept << " replaced by later articles of the same name";
    err() << QStringLiteral(", %1 failed, %2 s")
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
    return report.failures.isEmpty() && report.undrawn.isEmpty() ? kAllMade : kSomeFailed;
}

// What bulk and single add to the run command: their own options, read after the shared ones.
struct RunMode
{
    QString name;
    QString synopsis;
    QString description;
    QList<QCommandLineOption> options;
    // Reads the mode's own options into input; -1 to go on, else the exit status. namesFile is
    // the file of keyword names, for the hint when it holds none.
    std::function<int(const Command &, RunInput &, QString &namesFile)> read;
};

RunMode bulkMode()
{
    RunMode mode;
    mode.name = QStringLiteral("bulk");
    mode.synopsis =
        QStringLiteral("--ad-title T --cta-text C --cta-url U [--names FILE [--patterns FILE]] "
                       "[--jobs N] [--timeout SECONDS] [--author A] [--out DIR] ARTICLE...");
    mode.description =
        QStringLiteral("Makes one PDF per article, as the window's Bulk PDF Creation does: the "
                       "same template, page files, names and checks. PDFs are named after the "
                       "article files, or after the names of --names in turn. Each PDF's title "
                       "is its article's file name or its name from --names, its subject the "
                       "ad title, and its keywords the keyword that a name pattern put into "
                       "the name.");
    mode.options = {
        QCommandLineOption(
            QStringLiteral("names"),
            QStringLiteral("Name the PDFs after the names in FILE, one per line (as \"names\" "
                           "prints them), used in turn and from the first again when they run "
                           "out."),
            QStringLiteral("FILE")),
        QCommandLineOption(
            QStringLiteral("patterns"),
            QStringLiteral("The name patterns the names of --names were made from, to find the "
                           "keyword in each name for the PDF's Keywords (default: "
                           "lstcombinations.txt in the application folder)."),
            QStringLiteral("FILE")),
        QCommandLineOption(
            QStringLiteral("jobs"),
            QStringLiteral("Run at most N conversions at once, 1 to %1 (default: %2 with the "
                           "converter found, as memory allows: four per core for a converter "
                           "program, two per core for the built-in engine).")
                .arg(kMaxJobs)
                .arg(defaultJobs(conversion::converterPath(
                    applocation::applicationFolder(QCoreApplication::applicationDirPath())))),
            QStringLiteral("N"))};
    mode.read = [](const Command &command, RunInput &input, QString &namesFile) {
        const QCommandLineParser &parser = command.parser;
        const QString names = QStringLiteral("names");
        const QString patterns = QStringLiteral("patterns");
        const QString jobs = QStringLiteral("jobs");
        namesFile = parser.value(names);
        if (parser.isSet(names)) {
            input.useOriginalNames = false;
            QString why;
            if (!tFile::LoadList(input.finalNames, namesFile, &why))
                return command.problem(
                    QStringLiteral("the names file could not be read: %1").arg(namesFile),
                    sentence(why));
            // Like "names": a missing default pattern file means no patterns, so no keywords.
            const QString patternFile =
                parser.isSet(patterns)
                    ? parser.value(patterns)
                    : command.appFolder + paths::kSep + QStringLiteral("lstcombinations.txt");
            if (!tFile::LoadList(input.namePatterns, patternFile, &why) && parser.isSet(patterns))
                return command.problem(
                    QStringLiteral("the patterns file could not be read: %1").arg(patternFile),
                    sentence(why));
        }
        if (parser.isSet(jobs)) {
            bool ok = false;
            input.maxJobs = parser.value(jobs).toInt(&ok);
            if (!ok || input.maxJobs < 1 || input.maxJobs > kMaxJobs)
                return command.problem(
                    QStringLiteral("--jobs needs a whole number from 1 to %1, not \"%2\"")
                        .arg(kMaxJobs)
                        .arg(parser.value(jobs)));
        }
        return -1;
    };
    return mode;
}

RunMode singleMode()
{
    RunMode mode;
    mode.name = QStringLiteral("single");
    mode.synopsis = QStringLiteral("--ad-title T --cta-text C --cta-url U --name NAME [--title T] "
                                   "[--subject S] [--keywords K] [--timeout SECONDS] [--author A] "
                                   "[--out DIR] ARTICLE...");
    mode.description = QStringLiteral("Makes one PDF of all the articles, in the order given, as "
                                      "the window's Single PDF Creation does.");
    mode.options = {
        QCommandLineOption(QStringLiteral("name"),
                           QStringLiteral("The PDF's name without \".pdf\"; spaces become \"-\"."),
                           QStringLiteral("NAME")),
        QCommandLineOption(
            QStringLiteral("title"),
            QStringLiteral("The PDF's Title property (default: the name as given to --name)."),
            QStringLiteral("T")),
        QCommandLineOption(QStringLiteral("subject"),
                           QStringLiteral("The PDF's Subject property (default: the ad title)."),
                           QStringLiteral("S")),
        QCommandLineOption(QStringLiteral("keywords"),
                           QStringLiteral("The PDF's Keywords property (default: none)."),
                           QStringLiteral("K"))};
    mode.read = [](const Command &command, RunInput &input, QString &) {
        const QCommandLineParser &parser = command.parser;
        input.singleName = parser.value(QStringLiteral("name"));
        input.title = parser.value(QStringLiteral("title"));
        input.subject = parser.value(QStringLiteral("subject"));
        input.keywords = parser.value(QStringLiteral("keywords"));
        return -1;
    };
    return mode;
}

} // namespace

namespace clicommands {

int runCommand(bool bulk, const QStringList &arguments)
{
    const RunMode mode = bulk ? bulkMode() : singleMode();
    Command command(mode.name, mode.synopsis, mode.description);
    RunOptions options;
    options.addTo(command.parser);
    for (const QCommandLineOption &option : mode.options)
        command.parser.addOption(option);
    if (const int status = command.parse(arguments, true); status >= 0)
        return status;

    RunInput input;
    if (!readRunOptions(command, options, input))
        return kBadInput;
    input.bulk = bulk;
    QString namesFile;
    if (const int status = mode.read(command, input, namesFile); status >= 0)
        return status;
    if (!passesCreateChecks(command, options, input, namesFile))
        return kBadInput;
    return runPdfs(command, input);
}

} // namespace clicommands
