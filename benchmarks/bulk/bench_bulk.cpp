// Times the bulk run with the real converter against the bare converter over the same pages,
// side by side in one run, and prints the concurrency curve and peak memory.
//
// Usage: bench_bulk [--cli] [--builtin] [N=40]
//   Runs the bulk run over N generated articles with 1, 2, 4, 6 and 8 conversions per core and
//   with the default, then the bare wkhtmltopdf over the same page files (xargs -P, one process
//   per core and at its best of 2 to 16 at once), and prints the ratios. With --cli the bulk
//   runs are made by paperwake-cli; with --builtin they convert with the built-in engine.
// Usage: bench_bulk --big MB
//   One article of MB megabytes through the bulk run (a converter that only writes a small PDF,
//   so the page's preparation is measured), and the run's peak memory against the article size.
// Usage: bench_bulk --finishing [N=40]
//   The default bulk run over N generated articles with and without qpdf's check and finishing
//   of each PDF, alternated five times, the PDFs' total size either way, and qpdf's time alone
//   over the unfinished PDFs one after another.

#include "bench_support.h"
#include "converter_lookup.h"
#include "pdf_finishing.h"
#include "production_run.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace {

const QString kStaged = QStringLiteral(PAPERWAKE_STAGED_APP_DIR);
const QString kCli = QStringLiteral(PAPERWAKE_CLI);
const QString kEngine = QStringLiteral(PAPERWAKE_RENDER);

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

// A few hundred words of plain text with paragraphs, different for every article.
QByteArray generatedArticle(int number, int paragraphs = 6)
{
    static const char *const words[] = {"garden",  "river",   "window", "morning", "coffee",
                                        "market",  "letter",  "bridge", "summer",  "lantern",
                                        "orchard", "harbour", "pencil", "meadow",  "journey"};
    QByteArray text = "Article " + QByteArray::number(number) + "\r\n\r\n";
    unsigned state = 2654435761u * unsigned(number + 1);
    for (int paragraph = 0; paragraph < paragraphs; ++paragraph) {
        for (int sentence = 0; sentence < 8; ++sentence) {
            for (int w = 0; w < 9; ++w) {
                state = state * 1103515245u + 12345u;
                text += words[(state >> 16) % 15];
                text += w == 8 ? ". " : " ";
            }
        }
        text += paragraph % 3 == 0 ? "if x<y then <b>bold</b>\n\n" : "\r\n\r\n";
    }
    return text;
}

struct Timed
{
    double seconds = 0;
    double peakMegabytes = 0;
    bool ok = false;
    QString problem;
};

Timed runInProcess(const RunInput &input, int expected)
{
    ProductionRun run;
    RunReport report;
    bool ended = false;
    QObject::connect(&run, &ProductionRun::finished, [&](const RunReport &r) {
        report = r;
        ended = true;
        QCoreApplication::quit();
    });
    bench::MemorySampler sampler;
    QElapsedTimer timer;
    timer.start();
    const QString refused = run.start(input);
    if (!refused.isEmpty())
        return {0, 0, false, refused};
    sampler.start(QCoreApplication::applicationPid());
    if (!ended)
        QCoreApplication::exec();
    Timed timed;
    timed.seconds = timer.nsecsElapsed() / 1e9;
    timed.peakMegabytes = sampler.stop();
    timed.ok = report.made == expected;
    if (!timed.ok)
        timed.problem = closingMessage(report);
    return timed;
}

Timed runThroughCli(const RunInput &input, const QString &articleFolder, int expected)
{
    QProcess cli;
    cli.setStandardOutputFile(QProcess::nullDevice());
    QStringList arguments{QStringLiteral("bulk"),       QStringLiteral("--app-dir"),
                          input.appFolder,              QStringLiteral("--ad-title"),
                          input.adTitle,                QStringLiteral("--cta-text"),
                          input.ctaText,                QStringLiteral("--cta-url"),
                          input.ctaUrl};
    if (input.maxJobs > 0)
        arguments << QStringLiteral("--jobs") << QString::number(input.maxJobs);
    if (conversion::isBuiltinEngine(input.converter))
        arguments << QStringLiteral("--converter") << QStringLiteral("builtin");
    arguments << articleFolder;
    bench::MemorySampler sampler;
    QElapsedTimer timer;
    timer.start();
    cli.start(kCli, arguments);
    cli.waitForStarted();
    sampler.start(cli.processId());
    QObject::connect(&cli, &QProcess::finished, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    Timed timed;
    timed.seconds = timer.nsecsElapsed() / 1e9;
    timed.peakMegabytes = sampler.stop();
    const qsizetype made = QDir(input.appFolder + QStringLiteral("/bin/output"))
                               .entryList({QStringLiteral("*.pdf")})
                               .size();
    timed.ok = cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0 && made == expected;
    if (!timed.ok)
        timed.problem = QString::fromUtf8(cli.readAllStandardError());
    return timed;
}

void clearOutput(const QString &appFolder)
{
    QDir output(appFolder + QStringLiteral("/bin/output"));
    for (const QString &name : output.entryList(QDir::Files | QDir::Hidden))
        output.remove(name);
}

// Makes an application folder with the staged template and the converter given.
QString makeAppFolder(const QTemporaryDir &dir, const QString &converterTarget)
{
    const QString appFolder = dir.path();
    QDir().mkpath(appFolder + QStringLiteral("/bin/output"));
    QFile::copy(kStaged + QStringLiteral("/bin/template.html"),
                appFolder + QStringLiteral("/bin/template.html"));
    bench::copyTree(kStaged + QStringLiteral("/bin/assets"), appFolder + QStringLiteral("/bin/assets"));
    // The converter under test goes into the folder itself, ahead of anything on the PATH.
    QFile::link(converterTarget, appFolder + QStringLiteral("/bin/wkhtmltopdf"));
    return appFolder;
}

RunInput adInput(const QString &appFolder)
{
    RunInput input;
    input.appFolder = appFolder;
    input.adTitle = QStringLiteral("Benchmark Offer");
    input.ctaText = QStringLiteral("Read More");
    input.ctaUrl = QStringLiteral("https://example.com/offer");
    return input;
}

int bigArticle(int megabytes)
{
    QTemporaryDir dir;
    const QString fake = dir.filePath(QStringLiteral("fake-converter"));
    {
        QFile script(fake);
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\nprintf '%%PDF-1.4\\n%%%%EOF\\n' > \"$2\"\n");
        script.setPermissions(script.permissions() | QFile::ExeOwner);
    }
    QTemporaryDir appDir;
    const QString appFolder = makeAppFolder(appDir, fake);
    const QString article = appFolder + QStringLiteral("/big.txt");
    {
        QFile file(article);
        file.open(QIODevice::WriteOnly);
        const QByteArray block = generatedArticle(1, 60);
        for (qint64 written = 0; written < qint64(megabytes) * 1024 * 1024;)
            written += file.write(block);
    }
    const double articleMegabytes = QFileInfo(article).size() / 1048576.0;
    const double before = bench::residentMegabytes(QCoreApplication::applicationPid());
    RunInput input = adInput(appFolder);
    input.articles = {article};
    input.finishPdfs = false; // the converter's PDF is a stand-in
    const Timed timed = runInProcess(input, 1);
    const double peak = bench::residentMegabytes(QCoreApplication::applicationPid(), "VmHWM:");
    if (!timed.ok) {
        out() << "bulk run failed: " << timed.problem << '\n';
        return 1;
    }
    out() << QStringLiteral("article:                 %1 MB\n").arg(articleMegabytes, 0, 'f', 1)
          << QStringLiteral("page file:               %1 MB\n")
                 .arg(QFileInfo(appFolder + QStringLiteral("/bin/big.html")).size() / 1048576.0,
                      0, 'f', 1)
          << QStringLiteral("run time:                %1 s\n").arg(timed.seconds, 0, 'f', 2)
          << QStringLiteral("process memory before:   %1 MB\n").arg(before, 0, 'f', 1)
          << QStringLiteral("process peak memory:     %1 MB\n").arg(peak, 0, 'f', 1)
          << QStringLiteral("peak above the start:    %1 MB = %2 x the article\n")
                 .arg(peak - before, 0, 'f', 1)
                 .arg((peak - before) / articleMegabytes, 0, 'f', 2);
    return 0;
}

qint64 outputBytes(const QString &appFolder)
{
    qint64 total = 0;
    const QDir output(appFolder + QStringLiteral("/bin/output"));
    for (const QFileInfo &pdf : output.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files))
        total += pdf.size();
    return total;
}

int finishingCost(const RunInput &articles, int count)
{
    QList<double> with, without;
    qint64 bytesWith = 0, bytesWithout = 0;
    for (int round = 0; round < 5; ++round)
        for (const bool finish : {true, false}) {
            clearOutput(articles.appFolder);
            RunInput input = articles;
            input.finishPdfs = finish;
            const Timed timed = runInProcess(input, count);
            if (!timed.ok) {
                out() << "bulk run failed: " << timed.problem << '\n';
                return 1;
            }
            (finish ? with : without) << timed.seconds;
            (finish ? bytesWith : bytesWithout) = outputBytes(articles.appFolder);
        }
    // The last run was without: its PDFs are as the converter wrote them.
    const QDir output(articles.appFolder + QStringLiteral("/bin/output"));
    QElapsedTimer alone;
    alone.start();
    for (const QString &pdf : output.entryList({QStringLiteral("*.pdf")}, QDir::Files))
        if (!pdffinishing::finishPdf(output.filePath(pdf), {QStringLiteral("Title"), {}, {}, {}, {}})
                 .ok()) {
            out() << "qpdf rejected " << pdf << '\n';
            return 1;
        }
    const double qpdfSeconds = alone.nsecsElapsed() / 1e9;

    std::sort(with.begin(), with.end());
    std::sort(without.begin(), without.end());
    const auto spread = [](const QList<double> &times) {
        return QStringLiteral("%1 to %2 s").arg(times.first(), 0, 'f', 2).arg(times.last(), 0, 'f', 2);
    };
    out() << QStringLiteral("PDFs: %1, default jobs: %2\n").arg(count).arg(defaultJobs(articles.converter))
          << QStringLiteral("without finishing, median of 5: %1 s (%2)\n")
                 .arg(without.at(2), 0, 'f', 2)
                 .arg(spread(without))
          << QStringLiteral("with finishing, median of 5:    %1 s (%2)\n")
                 .arg(with.at(2), 0, 'f', 2)
                 .arg(spread(with))
          << QStringLiteral("cost of finishing:              %1 % (target <= 10 %)\n")
                 .arg((with.at(2) / without.at(2) - 1) * 100, 0, 'f', 1)
          << QStringLiteral("qpdf alone, one PDF after another: %1 s, %2 ms a PDF (%3 % of the "
                            "run without)\n")
                 .arg(qpdfSeconds, 0, 'f', 2)
                 .arg(qpdfSeconds * 1000 / count, 0, 'f', 1)
                 .arg(qpdfSeconds / without.at(2) * 100, 0, 'f', 1)
          << QStringLiteral("PDFs' total size as converted:  %1 bytes\n").arg(bytesWithout)
          << QStringLiteral("PDFs' total size finished:      %1 bytes (%2 %)\n")
                 .arg(bytesWith)
                 .arg((double(bytesWith) / double(bytesWithout) - 1) * 100, 0, 'f', 1);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QStringLiteral("--big"))
        return bigArticle(qMax(1, args.at(2).toInt()));
    const bool throughCli = args.removeAll(QStringLiteral("--cli")) > 0;
    const bool builtin = args.removeAll(QStringLiteral("--builtin")) > 0;
    const bool finishing = args.removeAll(QStringLiteral("--finishing")) > 0;
    const int count = args.size() > 1 ? args.at(1).toInt() : 40;
    if (count < 1) {
        out() << "usage: bench_bulk [--cli | --finishing] [--builtin] [N>0] | bench_bulk --big MB\n";
        return 2;
    }
    const QString system = QStandardPaths::findExecutable(QStringLiteral("wkhtmltopdf"));
    if (system.isEmpty()) {
        out() << "wkhtmltopdf is not installed\n";
        return 1;
    }

    QTemporaryDir dir;
    const QString appFolder = makeAppFolder(dir, system);
    const QString wkhtmltopdf = conversion::converterPath(appFolder);
    const QString converter = builtin ? kEngine : wkhtmltopdf;
    RunInput input = adInput(appFolder);
    input.converter = converter;
    const QString articleFolder = appFolder + QStringLiteral("/articles");
    QDir().mkpath(articleFolder);
    for (int i = 1; i <= count; ++i) {
        const QString path =
            articleFolder + QStringLiteral("/article-%1.txt").arg(i, 3, 10, QChar(u'0'));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(generatedArticle(i));
        input.articles << path;
    }
    if (finishing)
        return finishingCost(input, count);
    const auto bulk = [&](int jobs) {
        clearOutput(appFolder);
        RunInput run = input;
        run.maxJobs = jobs;
        const Timed timed = throughCli ? runThroughCli(run, articleFolder, count)
                                       : runInProcess(run, count);
        if (!timed.ok) {
            out() << "bulk run failed: " << timed.problem << '\n';
            out().flush();
            std::exit(1);
        }
        return timed;
    };

    const int cores = QThread::idealThreadCount();
    // Warm the caches and leave the page files for the bare converter.
    bulk(0);
    const QString pages = appFolder + QStringLiteral("/pages");
    QDir().mkpath(pages);
    for (const QString &page : QDir(appFolder + QStringLiteral("/bin")).entryList({"article-*.html"}))
        QFile::copy(appFolder + QStringLiteral("/bin/") + page, pages + u'/' + page);
    const QString bareOut = appFolder + QStringLiteral("/bare");
    QDir().mkpath(bareOut);
    const auto bare = [&](int processes) {
        QProcess xargs;
        xargs.setWorkingDirectory(pages);
        xargs.setStandardOutputFile(QProcess::nullDevice());
        xargs.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer timer;
        timer.start();
        xargs.start(QStringLiteral("sh"),
                    {QStringLiteral("-c"),
                     QStringLiteral("ls *.html | xargs -P %1 -I{} '%2' {} '%3/{}.pdf'")
                         .arg(processes)
                         .arg(wkhtmltopdf, bareOut)});
        xargs.waitForFinished(-1);
        return timer.nsecsElapsed() / 1e9;
    };

    out() << QStringLiteral("bulk run made by:  %1, converter: %2\n")
                 .arg(throughCli ? QStringLiteral("paperwake-cli bulk")
                                 : QStringLiteral("ProductionRun"),
                      conversion::describeConverter(converter))
          << QStringLiteral("PDFs: %1, cores: %2, default jobs: %3\n\n")
                 .arg(count)
                 .arg(cores)
                 .arg(defaultJobs(converter))
          << "jobs   wall s   PDFs/s   peak MB (run + converters)\n";
    out().flush();
    double best = 1e9;
    int bestJobs = 0;
    for (const int perCore : {1, 2, 4, 6, 8}) {
        const int jobs = perCore * cores;
        const Timed timed = bulk(jobs);
        if (timed.seconds < best) {
            best = timed.seconds;
            bestJobs = jobs;
        }
        out() << QStringLiteral("%1 %2 %3 %4\n")
                     .arg(jobs, 4)
                     .arg(timed.seconds, 8, 'f', 2)
                     .arg(count / timed.seconds, 8, 'f', 2)
                     .arg(timed.peakMegabytes, 9, 'f', 0);
        out().flush();
    }

    // The bare wkhtmltopdf at its best number of processes.
    out() << "\nbare wkhtmltopdf, xargs -P:\n";
    int bestProcesses = cores;
    double bestBare = 1e9;
    for (const int processes : {2, 4, 8, 16}) {
        const double seconds = bare(processes);
        out() << QStringLiteral("%1 %2\n").arg(processes, 4).arg(seconds, 8, 'f', 2);
        out().flush();
        if (seconds < bestBare) {
            bestBare = seconds;
            bestProcesses = processes;
        }
    }

    // Default against the bare converter, alternated so drift hits both alike.
    QList<double> defaults, bares, bestBares;
    double defaultPeak = 0;
    for (int round = 0; round < 3; ++round) {
        const Timed timed = bulk(0);
        defaults << timed.seconds;
        defaultPeak = std::max(defaultPeak, timed.peakMegabytes);
        bares << bare(cores);
        bestBares << bare(bestProcesses);
    }
    std::sort(defaults.begin(), defaults.end());
    std::sort(bares.begin(), bares.end());
    std::sort(bestBares.begin(), bestBares.end());
    const double defaultMedian = defaults.at(1), bareMedian = bares.at(1),
                 bestBareMedian = bestBares.at(1);
    out() << '\n'
          << QStringLiteral("default (%1 jobs), median of 3:      %2 s, peak %3 MB\n")
                 .arg(defaultJobs(converter))
                 .arg(defaultMedian, 0, 'f', 2)
                 .arg(defaultPeak, 0, 'f', 0)
          << QStringLiteral("bare wkhtmltopdf, xargs -P %1, median: %2 s\n")
                 .arg(cores)
                 .arg(bareMedian, 0, 'f', 2)
          << QStringLiteral("bare wkhtmltopdf, xargs -P %1 (its best), median: %2 s\n")
                 .arg(bestProcesses)
                 .arg(bestBareMedian, 0, 'f', 2)
          << QStringLiteral("best of the curve:                   %1 s with %2 jobs\n")
                 .arg(best, 0, 'f', 2)
                 .arg(bestJobs)
          << QStringLiteral("default / bare wkhtmltopdf -P %1:     %2\n")
                 .arg(cores)
                 .arg(defaultMedian / bareMedian, 0, 'f', 2)
          << QStringLiteral("default / bare wkhtmltopdf at its best: %1 (built-in target <= 1.2)\n")
                 .arg(defaultMedian / bestBareMedian, 0, 'f', 2)
          << QStringLiteral("default / best of the curve:         %1 (target <= 1.10)\n")
                 .arg(defaultMedian / best, 0, 'f', 2);
    return 0;
}
