// Times Paperwake on real articles, side by side in one run: the built-in engine, Paperwake with
// wkhtmltopdf, and the bare wkhtmltopdf over the same page files. Every row is one command
// measured as a whole: wall time until it exits, the CPU seconds of everything it started (the
// engine's helper processes included) and the peak of the summed memory of its process tree.
//
// Usage: bench_real [--rounds R=1] [--bulk N=100] [--single 10,25,50,100] [--big MB]
//                   [--no-wkhtmltopdf] [--articles DIR] [--keep-articles DIR]
//   Articles: the READMEs and NEWS files under /usr/share/doc (unpacked when compressed) and
//   the texts of /usr/share/common-licenses that hold 2 to 12 KB of UTF-8 text, by path.
//   Bulk runs N of them through paperwake-cli bulk, then the bare wkhtmltopdf over the page
//   files it wrote with 2, 4, 8 and 16 processes at once; single runs the first 10, 25, ...
//   through paperwake-cli single, then the bare wkhtmltopdf over that one page file. With R
//   rounds every row is the median of R, the rows of a case alternating round by round.
//   --big MB: as well, one article of MB megabytes (the articles one after another, again and
//   again) through paperwake-cli bulk.
//   --no-wkhtmltopdf: the built-in engine alone (a system without wkhtmltopdf).
//   --keep-articles DIR: writes the chosen articles to DIR; --articles DIR reads them from
//   there instead, so another system (a Debian 13 root) is measured on the same texts.
//   A system with fewer articles than asked is measured on those it has, and says so.
//   After the bulk rows: what the runs' check of the articles' characters against the installed
//   fonts costs, done here alone over the same texts (the fonts' characters read once, then
//   every article counted), against the bulk runs' times.

#include "bench_support.h"
#include "font_coverage.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

namespace {

const QString kStaged = QStringLiteral(PAPERWAKE_STAGED_APP_DIR);
const QString kCli = QStringLiteral(PAPERWAKE_CLI);

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QByteArray unpacked(const QString &path)
{
    if (!path.endsWith(QStringLiteral(".gz"))) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QProcess gzip;
    gzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), path});
    gzip.waitForFinished(-1);
    return gzip.exitCode() == 0 ? gzip.readAllStandardOutput() : QByteArray();
}

struct Article
{
    QString name; // for the file in the article folder
    QByteArray text;
};

// The first `count` articles, always the same ones on the same system.
QList<Article> realArticles(int count)
{
    QStringList candidates;
    const QDir licenses(QStringLiteral("/usr/share/common-licenses"));
    for (const QString &name : licenses.entryList(QDir::Files, QDir::Name))
        candidates << licenses.filePath(name);
    const QDir doc(QStringLiteral("/usr/share/doc"));
    for (const QString &package : doc.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QDir folder(doc.filePath(package));
        for (const QString &name :
             folder.entryList({QStringLiteral("README*"), QStringLiteral("NEWS*")}, QDir::Files,
                              QDir::Name))
            candidates << folder.filePath(name);
    }
    QList<Article> articles;
    QSet<QString> seen;
    for (const QString &path : std::as_const(candidates)) {
        const QString real = QFileInfo(path).canonicalFilePath();
        if (real.isEmpty() || seen.contains(real))
            continue;
        seen.insert(real);
        const QByteArray text = unpacked(path);
        if (text.size() < 2048 || text.size() > 12288 || text.contains('\0'))
            continue;
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString decoded = utf8(text);
        if (utf8.hasError())
            continue;
        QString name = path.section(u'/', -2).replace(u'/', u'-');
        if (name.endsWith(QStringLiteral(".gz")))
            name.chop(3);
        name = QStringLiteral("%1-%2.txt").arg(articles.size() + 1, 3, 10, QChar(u'0')).arg(name);
        articles << Article{name, text};
        if (articles.size() == count)
            break;
    }
    return articles;
}

// The .txt files of folder, by name: articles kept by an earlier run.
QList<Article> keptArticles(const QString &folder, int count)
{
    QList<Article> articles;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
        if (articles.size() == count)
            break;
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            articles << Article{name, file.readAll()};
    }
    return articles;
}

void keepArticles(const QList<Article> &articles, const QString &folder)
{
    QDir().mkpath(folder);
    for (const Article &article : articles) {
        QFile file(folder + u'/' + article.name);
        if (file.open(QIODevice::WriteOnly))
            file.write(article.text);
    }
}

int pdfPages(const QString &pdf)
{
    QProcess qpdf;
    qpdf.start(QStringLiteral("qpdf"), {QStringLiteral("--show-npages"), pdf});
    qpdf.waitForFinished(-1);
    return qpdf.readAllStandardOutput().trimmed().toInt();
}

int pagesIn(const QString &folder)
{
    int pages = 0;
    const QDir dir(folder);
    for (const QString &pdf : dir.entryList({QStringLiteral("*.pdf")}, QDir::Files))
        pages += pdfPages(dir.filePath(pdf));
    return pages;
}

void clearFolder(const QString &folder)
{
    QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden))
        dir.remove(name);
}

struct Row
{
    explicit Row(const QString &what, int processes = 0) : what(what), processes(processes) {}

    QString what;
    int processes = 0; // the bare wkhtmltopdf's at once
    QList<bench::Measured> runs;
    int pages = 0;

    bench::Measured median() const
    {
        const auto middle = [this](auto field) {
            QList<double> values;
            for (const bench::Measured &run : runs)
                values << run.*field;
            std::sort(values.begin(), values.end());
            return values.at(values.size() / 2);
        };
        bench::Measured m;
        m.ok = std::all_of(runs.cbegin(), runs.cend(), [](const bench::Measured &r) { return r.ok; });
        m.seconds = middle(&bench::Measured::seconds);
        m.cpuSeconds = middle(&bench::Measured::cpuSeconds);
        m.peakMegabytes = middle(&bench::Measured::peakMegabytes);
        return m;
    }
};

void printHeader(const QString &title)
{
    out() << '\n' << title << '\n'
          << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                 .arg(QStringLiteral("converter"), -34)
                 .arg(QStringLiteral("wall s"), 8)
                 .arg(QStringLiteral("pages"), 6)
                 .arg(QStringLiteral("ms/page"), 8)
                 .arg(QStringLiteral("CPU s"), 7)
                 .arg(QStringLiteral("peak MB"), 8);
}

void printRow(const Row &row)
{
    const bench::Measured m = row.median();
    out() << QStringLiteral("%1 %2 %3 %4 %5 %6%7\n")
                 .arg(row.what, -34)
                 .arg(m.seconds, 8, 'f', 2)
                 .arg(row.pages, 6)
                 .arg(row.pages > 0 ? m.seconds * 1000 / row.pages : 0.0, 8, 'f', 1)
                 .arg(m.cpuSeconds, 7, 'f', 1)
                 .arg(m.peakMegabytes, 8, 'f', 0)
                 .arg(m.ok ? QString() : QStringLiteral("  FAILED"));
    out().flush();
}

class Bench
{
public:
    Bench(const QString &folder, const QString &wkhtmltopdf) : m_app(folder), m_wkhtmltopdf(wkhtmltopdf)
    {
        QDir().mkpath(m_app + QStringLiteral("/bin/output"));
        QFile::copy(kStaged + QStringLiteral("/bin/template.html"),
                    m_app + QStringLiteral("/bin/template.html"));
        bench::copyTree(kStaged + QStringLiteral("/bin/assets"), m_app + QStringLiteral("/bin/assets"));
        if (!wkhtmltopdf.isEmpty())
            QFile::link(wkhtmltopdf, m_app + QStringLiteral("/bin/wkhtmltopdf"));
        QDir().mkpath(m_app + QStringLiteral("/bare"));
    }

    QString articleFolder(const QList<Article> &articles)
    {
        const QString folder = m_app + QStringLiteral("/articles-%1").arg(articles.size());
        QDir().mkpath(folder);
        for (const Article &article : articles) {
            QFile file(folder + u'/' + article.name);
            file.open(QIODevice::WriteOnly);
            file.write(article.text);
        }
        return folder;
    }

    // paperwake-cli bulk or single with the converter of that name.
    bench::Measured paperwake(const QString &converter, const QStringList &modeArguments, int *pages)
    {
        clearFolder(m_app + QStringLiteral("/bin/output"));
        QStringList arguments{modeArguments.first(), QStringLiteral("--app-dir"), m_app,
                              QStringLiteral("--ad-title"), QStringLiteral("Garden Plans"),
                              QStringLiteral("--cta-text"), QStringLiteral("Get the guide"),
                              QStringLiteral("--cta-url"), QStringLiteral("https://example.com/guide"),
                              QStringLiteral("--converter"), converter};
        arguments << modeArguments.mid(1);
        const bench::Measured measured =
            bench::runMeasured(kCli, arguments, m_app, QString(), m_app + QStringLiteral("/cli.err"));
        *pages = pagesIn(m_app + QStringLiteral("/bin/output"));
        return measured;
    }

    // The bare wkhtmltopdf over the page files the last run wrote, this many at once.
    bench::Measured bare(int processes, int *pages)
    {
        const QString bareOut = m_app + QStringLiteral("/bare");
        clearFolder(bareOut);
        bench::Measured measured = bench::runMeasured(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"),
             QStringLiteral("ls -- *.html | grep -vx template.html | xargs -P %1 -I{} '%2' -q {} "
                            "'%3/{}.pdf'")
                 .arg(processes)
                 .arg(m_wkhtmltopdf, bareOut)},
            m_app + QStringLiteral("/bin"));
        *pages = pagesIn(bareOut);
        // wkhtmltopdf's status says a page's script from the network did not load: a PDF for
        // every page file is what counts.
        const QStringList pageFiles = QDir(m_app + QStringLiteral("/bin"))
                                          .entryList({QStringLiteral("*.html")}, QDir::Files);
        measured.ok = QDir(bareOut).entryList({QStringLiteral("*.pdf")}, QDir::Files).size()
                      == pageFiles.size() - 1;
        return measured;
    }

private:
    QString m_app;
    QString m_wkhtmltopdf;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int rounds = 1;
    int bulkCount = 100;
    QList<int> singles{10, 25, 50, 100};
    bool withWkhtmltopdf = true;
    int bigMegabytes = 0;
    QString fromFolder, keepFolder;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        const QString value = i + 1 < args.size() ? args.at(i + 1) : QString();
        if (arg == QStringLiteral("--rounds")) {
            rounds = std::max(1, value.toInt());
            ++i;
        } else if (arg == QStringLiteral("--bulk")) {
            bulkCount = value.toInt();
            ++i;
        } else if (arg == QStringLiteral("--single")) {
            singles.clear();
            for (const QString &size : value.split(u',', Qt::SkipEmptyParts))
                singles << size.toInt();
            ++i;
        } else if (arg == QStringLiteral("--big")) {
            bigMegabytes = value.toInt();
            ++i;
        } else if (arg == QStringLiteral("--no-wkhtmltopdf")) {
            withWkhtmltopdf = false;
        } else if (arg == QStringLiteral("--articles") && !value.isEmpty()) {
            fromFolder = value;
            ++i;
        } else if (arg == QStringLiteral("--keep-articles") && !value.isEmpty()) {
            keepFolder = value;
            ++i;
        } else {
            out() << "usage: bench_real [--rounds R] [--bulk N] [--single 10,25,...] "
                     "[--big MB] [--no-wkhtmltopdf] [--articles DIR] [--keep-articles DIR]\n";
            return 2;
        }
    }
    const QString wkhtmltopdf =
        withWkhtmltopdf ? QStandardPaths::findExecutable(QStringLiteral("wkhtmltopdf")) : QString();
    if (withWkhtmltopdf && wkhtmltopdf.isEmpty()) {
        out() << "wkhtmltopdf is not installed (--no-wkhtmltopdf measures the engine alone)\n";
        return 1;
    }
    const int most = std::max({bulkCount, bigMegabytes > 0 ? 100 : 0,
                               singles.isEmpty() ? 0 : *std::max_element(singles.cbegin(), singles.cend())});
    const QList<Article> articles =
        fromFolder.isEmpty() ? realArticles(most) : keptArticles(fromFolder, most);
    if (articles.isEmpty()) {
        out() << "no articles of 2 to 12 KB found\n";
        return 1;
    }
    if (!keepFolder.isEmpty())
        keepArticles(articles, keepFolder);
    // A minimal system has fewer: every case runs on at most what there is.
    if (articles.size() < most)
        out() << "only " << articles.size() << " articles of 2 to 12 KB found; the cases above "
              << articles.size() << " run on " << articles.size() << "\n";
    bulkCount = std::min<int>(bulkCount, articles.size());
    for (int &count : singles)
        count = std::min<int>(count, articles.size());
    singles.erase(std::unique(singles.begin(), singles.end()), singles.end());
    qint64 bytes = 0;
    for (const Article &article : articles)
        bytes += article.text.size();
    out() << QStringLiteral("%1 real articles, %2 KB of text, %3 KB on average; rounds: %4\n")
                 .arg(articles.size())
                 .arg(bytes / 1024)
                 .arg(bytes / 1024.0 / articles.size(), 0, 'f', 1)
                 .arg(rounds);

    QTemporaryDir dir;
    Bench bench(dir.path(), wkhtmltopdf);
    // Time per page of the built-in engine at the fewest and the most articles of a single run.
    double fewestPerPage = 0, mostPerPage = 0;

    if (bulkCount > 0) {
        const QString folder = bench.articleFolder(articles.mid(0, bulkCount));
        Row builtin{QStringLiteral("built-in engine")};
        Row paperwakeWk{QStringLiteral("Paperwake + wkhtmltopdf")};
        QList<Row> bare;
        for (const int processes : {2, 4, 8, 16})
            bare << Row(QStringLiteral("bare wkhtmltopdf, %1 at once").arg(processes), processes);
        for (int round = 0; round < rounds; ++round) {
            builtin.runs << bench.paperwake(QStringLiteral("builtin"), {QStringLiteral("bulk"), folder},
                                            &builtin.pages);
            if (wkhtmltopdf.isEmpty())
                continue;
            paperwakeWk.runs << bench.paperwake(QStringLiteral("wkhtmltopdf"),
                                                {QStringLiteral("bulk"), folder}, &paperwakeWk.pages);
            for (Row &row : bare)
                row.runs << bench.bare(row.processes, &row.pages);
        }
        printHeader(QStringLiteral("bulk, %1 articles").arg(bulkCount));
        printRow(builtin);
        if (!wkhtmltopdf.isEmpty()) {
            printRow(paperwakeWk);
            const Row *best = &bare.first();
            for (const Row &row : std::as_const(bare)) {
                printRow(row);
                if (row.median().seconds < best->median().seconds)
                    best = &row;
            }
            out() << QStringLiteral("built-in / Paperwake + wkhtmltopdf: %1; built-in / bare "
                                    "wkhtmltopdf at its best (%2 at once): %3\n")
                         .arg(builtin.median().seconds / paperwakeWk.median().seconds, 0, 'f', 2)
                         .arg(best->processes)
                         .arg(builtin.median().seconds / best->median().seconds, 0, 'f', 2);
        }
        // The check as a run does it, the fonts once and then each article, alone.
        QElapsedTimer timer;
        timer.start();
        const FontCoverage &fonts = FontCoverage::installed();
        const double loading = timer.nsecsElapsed() / 1e9;
        timer.restart();
        int undrawn = 0;
        for (const Article &article : articles.mid(0, bulkCount)) {
            MissingCharacters missing;
            missing.count(QString::fromUtf8(article.text), fonts);
            undrawn += !missing.isEmpty();
        }
        const double counting = timer.nsecsElapsed() / 1e9;
        const double check = loading + counting;
        out() << QStringLiteral("font check: the fonts' characters once %1 ms, %2 articles "
                                "counted %3 ms (%4 with characters no font draws): %5 % of the "
                                "built-in engine's bulk run")
                     .arg(loading * 1000, 0, 'f', 1)
                     .arg(bulkCount)
                     .arg(counting * 1000, 0, 'f', 1)
                     .arg(undrawn)
                     .arg(check / builtin.median().seconds * 100, 0, 'f', 2);
        if (!wkhtmltopdf.isEmpty())
            out() << QStringLiteral(", %1 % of Paperwake + wkhtmltopdf's")
                         .arg(check / paperwakeWk.median().seconds * 100, 0, 'f', 2);
        out() << QStringLiteral(" (target <= 2 %)\n");
    }

    for (const int count : std::as_const(singles)) {
        const QList<Article> some = articles.mid(0, count);
        const QString folder = bench.articleFolder(some);
        QStringList arguments{QStringLiteral("single"), QStringLiteral("--name"),
                              QStringLiteral("single-%1").arg(count)};
        for (const Article &article : some)
            arguments << folder + u'/' + article.name;
        Row builtin{QStringLiteral("built-in engine")};
        Row paperwakeWk{QStringLiteral("Paperwake + wkhtmltopdf")};
        Row bare{QStringLiteral("bare wkhtmltopdf")};
        for (int round = 0; round < rounds; ++round) {
            builtin.runs << bench.paperwake(QStringLiteral("builtin"), arguments, &builtin.pages);
            if (wkhtmltopdf.isEmpty())
                continue;
            paperwakeWk.runs << bench.paperwake(QStringLiteral("wkhtmltopdf"), arguments,
                                                &paperwakeWk.pages);
            bare.runs << bench.bare(1, &bare.pages);
        }
        printHeader(QStringLiteral("single, %1 articles").arg(count));
        printRow(builtin);
        const double perPage = builtin.median().seconds / std::max(1, builtin.pages);
        if (count == singles.first())
            fewestPerPage = perPage;
        if (count == singles.last())
            mostPerPage = perPage;
        if (!wkhtmltopdf.isEmpty()) {
            printRow(paperwakeWk);
            printRow(bare);
            out() << QStringLiteral("built-in / Paperwake + wkhtmltopdf: %1\n")
                         .arg(builtin.median().seconds / paperwakeWk.median().seconds, 0, 'f', 2);
        }
    }
    if (bigMegabytes > 0) {
        Article big{QStringLiteral("big.txt"), {}};
        while (big.text.size() < qint64(bigMegabytes) << 20)
            for (const Article &article : articles)
                big.text += article.text + "\n\n";
        const QString folder = bench.articleFolder({big});
        Row builtin(QStringLiteral("built-in engine"));
        Row paperwakeWk(QStringLiteral("Paperwake + wkhtmltopdf"));
        for (int round = 0; round < rounds; ++round) {
            builtin.runs << bench.paperwake(QStringLiteral("builtin"), {QStringLiteral("bulk"), folder},
                                            &builtin.pages);
            if (!wkhtmltopdf.isEmpty())
                paperwakeWk.runs << bench.paperwake(QStringLiteral("wkhtmltopdf"),
                                                    {QStringLiteral("bulk"), folder}, &paperwakeWk.pages);
        }
        printHeader(QStringLiteral("one article of %1 MB").arg(big.text.size() / 1048576.0, 0, 'f', 1));
        printRow(builtin);
        if (!wkhtmltopdf.isEmpty())
            printRow(paperwakeWk);
    }
    if (singles.size() > 1 && fewestPerPage > 0 && mostPerPage > 0)
        out() << QStringLiteral("\nbuilt-in engine, time per page at %1 articles / at %2: %3\n")
                     .arg(singles.last())
                     .arg(singles.first())
                     .arg(mostPerPage / fewestPerPage, 0, 'f', 2);
    return 0;
}
