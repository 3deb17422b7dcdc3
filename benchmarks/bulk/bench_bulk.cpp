// Makes N PDFs from N generated articles through the bulk run with the real converter, then
// converts the same N pages one after another with the converter alone, and prints both.
// Usage: bench_bulk [--cli] [N=40] [jobs=ideal thread count]
// With --cli the bulk run is made by the paperwake-cli program, timed as a whole process.

#include "converter.h"
#include "production_run.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

const QString kStaged = QStringLiteral(PAPERWAKE_STAGED_APP_DIR);
const QString kCli = QStringLiteral(PAPERWAKE_CLI);

void copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    for (const QFileInfo &entry :
         QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (entry.isDir())
            copyTree(entry.filePath(), to + u'/' + entry.fileName());
        else
            QFile::copy(entry.filePath(), to + u'/' + entry.fileName());
    }
}

// A few hundred words of plain text with paragraphs, different for every article.
QByteArray generatedArticle(int number)
{
    static const char *const words[] = {"garden",  "river",   "window", "morning", "coffee",
                                        "market",  "letter",  "bridge", "summer",  "lantern",
                                        "orchard", "harbour", "pencil", "meadow",  "journey"};
    QByteArray text = "Article " + QByteArray::number(number) + "\r\n\r\n";
    unsigned state = 2654435761u * unsigned(number + 1);
    for (int paragraph = 0; paragraph < 6; ++paragraph) {
        for (int sentence = 0; sentence < 8; ++sentence) {
            for (int w = 0; w < 9; ++w) {
                state = state * 1103515245u + 12345u;
                text += words[(state >> 16) % 15];
                text += w == 8 ? ". " : " ";
            }
        }
        text += "\r\n\r\n";
    }
    return text;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    const bool throughCli = args.removeAll(QStringLiteral("--cli")) > 0;
    const int count = args.size() > 1 ? args.at(1).toInt() : 40;
    const int jobs = args.size() > 2 ? args.at(2).toInt() : QThread::idealThreadCount();
    QTextStream out(stdout);
    if (count < 1 || jobs < 1) {
        out << "usage: bench_bulk [--cli] [N>0] [jobs>0]\n";
        return 2;
    }

    QTemporaryDir dir;
    const QString appFolder = dir.path();
    QDir().mkpath(appFolder + QStringLiteral("/bin/output"));
    QFile::copy(kStaged + QStringLiteral("/bin/template.html"),
                appFolder + QStringLiteral("/bin/template.html"));
    copyTree(kStaged + QStringLiteral("/bin/assets"), appFolder + QStringLiteral("/bin/assets"));
    // No converter of its own: the one on the PATH, as an installed program finds it.
    const QString converter = conversion::converterPath(appFolder);
    const QString problem = conversion::converterProblem(converter);
    if (!problem.isEmpty()) {
        out << problem << '\n';
        return 1;
    }
    out << "converter: " << converter << '\n';

    RunInput input;
    input.appFolder = appFolder;
    input.adTitle = QStringLiteral("Benchmark Offer");
    input.ctaText = QStringLiteral("Read More");
    input.ctaUrl = QStringLiteral("https://example.com/offer");
    input.maxJobs = jobs;
    QDir().mkpath(appFolder + QStringLiteral("/articles"));
    for (int i = 1; i <= count; ++i) {
        const QString path =
            appFolder + QStringLiteral("/articles/article-%1.txt").arg(i, 3, 10, QChar(u'0'));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(generatedArticle(i));
        input.articles << path;
    }

    QElapsedTimer timer;
    timer.start();
    if (throughCli) {
        QProcess cli;
        cli.setStandardOutputFile(QProcess::nullDevice());
        cli.start(kCli, {QStringLiteral("bulk"), QStringLiteral("--app-dir"), appFolder,
                         QStringLiteral("--ad-title"), input.adTitle, QStringLiteral("--cta-text"),
                         input.ctaText, QStringLiteral("--cta-url"), input.ctaUrl,
                         QStringLiteral("--jobs"), QString::number(jobs),
                         appFolder + QStringLiteral("/articles")});
        const bool finished = cli.waitForFinished(-1);
        const qsizetype made = QDir(appFolder + QStringLiteral("/bin/output"))
                                   .entryList({QStringLiteral("*.pdf")})
                                   .size();
        if (!finished || cli.exitStatus() != QProcess::NormalExit || cli.exitCode() != 0 ||
            made != count) {
            out << "paperwake-cli bulk failed (exit " << cli.exitCode() << "):\n"
                << QString::fromUtf8(cli.readAllStandardError());
            return 1;
        }
    } else {
        ProductionRun run;
        const RunReport report = run.runBulk(input);
        if (!report.error.isEmpty() || report.made != count) {
            out << "bulk run failed: " << report.error << '\n' << closingMessage(report) << '\n';
            return 1;
        }
    }
    const double bulkSeconds = timer.nsecsElapsed() / 1e9;

    // The same pages, one converter at a time.
    const QString sequentialFolder = appFolder + QStringLiteral("/sequential");
    QDir().mkpath(sequentialFolder);
    timer.restart();
    for (int i = 1; i <= count; ++i) {
        const QString name = QStringLiteral("article-%1").arg(i, 3, 10, QChar(u'0'));
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(converter,
                      {appFolder + QStringLiteral("/bin/") + name + QStringLiteral(".html"),
                       sequentialFolder + u'/' + name + QStringLiteral(".pdf")});
        if (!process.waitForFinished(600000)) {
            out << "converter did not finish on " << name << '\n';
            return 1;
        }
    }
    const double sequentialSeconds = timer.nsecsElapsed() / 1e9;

    out << QStringLiteral("bulk run made by:             %1\n")
               .arg(throughCli ? QStringLiteral("paperwake-cli bulk")
                               : QStringLiteral("ProductionRun"))
        << QStringLiteral("PDFs:                         %1\n").arg(count)
        << QStringLiteral("parallel conversions:         %1\n").arg(jobs)
        << QStringLiteral("bulk run wall time:           %1 s\n").arg(bulkSeconds, 0, 'f', 2)
        << QStringLiteral("bulk run PDFs per second:     %1\n").arg(count / bulkSeconds, 0, 'f', 2)
        << QStringLiteral("converter alone, one by one:  %1 s\n").arg(sequentialSeconds, 0, 'f', 2)
        << QStringLiteral("bulk / one-by-one:            %1\n")
               .arg(bulkSeconds / sequentialSeconds, 0, 'f', 2)
        << QStringLiteral("fixed 8 s pauses would take:  %1 s (%2 times longer)\n")
               .arg(8.0 * count, 0, 'f', 0)
               .arg(8.0 * count / bulkSeconds, 0, 'f', 1);
    return 0;
}
