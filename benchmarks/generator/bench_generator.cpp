// Filler generation speed: pages per second for the generator alone and for a Generate click
// in the window (generated on a worker, text put into the box). Uses the shipped word
// lists, or lists of 150 made-up words each when the shipped ones are still short.

#include "article_folder_access.h"
#include "filler_generator.h"
#include "frm_rc.h"
#include "recording_platform.h"
#include "t_tools.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kWordsPerList = 150;

struct NoBrowser : ArticleFolderAccess
{
    QString folder() const override { return QDir::tempPath(); }
    void refreshFiles() override {}
};

filler::WordLists madeUpLists()
{
    std::mt19937 rng(2024);
    std::uniform_int_distribution<int> length(3, 10);
    std::uniform_int_distribution<int> letter('a', 'z');
    filler::WordLists lists;
    for (QStringList &list : lists) {
        while (list.size() < kWordsPerList) {
            QString word;
            for (int n = length(rng); n > 0; --n)
                word += QChar(letter(rng));
            list << word;
        }
    }
    return lists;
}

void writeLists(const QString &appFolder, const filler::WordLists &lists)
{
    QDir().mkpath(appFolder + QStringLiteral("/random"));
    for (int i = 0; i < 5; ++i) {
        QFile file(filler::wordListPath(appFolder, i));
        if (file.open(QIODevice::WriteOnly))
            file.write(lists[i].join(QStringLiteral("\r\n")).toUtf8());
    }
}

// Median milliseconds of repeated runs, at least three and about half a second in all.
template <typename Run> double medianMs(Run run)
{
    std::vector<double> times;
    QElapsedTimer total;
    total.start();
    while (times.size() < 3 || (total.elapsed() < 500 && times.size() < 200)) {
        QElapsedTimer one;
        one.start();
        run();
        times.push_back(one.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The cost model of picking by shuffling the whole list for every word, for comparison.
QString shuffleEveryWord(filler::WordLists lists, int pages, tTools &tools)
{
    QString text;
    for (int p = 0; p <= pages; ++p)
        for (int q = 0; q < 4; ++q) {
            for (int r = 0; r < 5; ++r)
                for (int s = 0; s < 5; ++s) {
                    tools.ShuffleList(lists[s]);
                    text += lists[s].first() + u' ';
                    if (s == 4)
                        text += u". ";
                }
            text += u"\r\r";
        }
    return text;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const QString shipped = QStringLiteral(PAPERWAKE_STAGED_APP_DIR);
    filler::WordLists lists = filler::loadWordLists(shipped);
    const bool shippedUsable = std::all_of(
        lists.begin(), lists.end(), [](const QStringList &l) { return l.size() >= kWordsPerList; });
    QTemporaryDir appFolder;
    if (!shippedUsable)
        lists = madeUpLists();
    writeLists(appFolder.path(), lists);

    std::printf("word lists: %s (%lld, %lld, %lld, %lld, %lld words)\n",
                shippedUsable ? "shipped" : "made up, the shipped ones are placeholders",
                qlonglong(lists[0].size()), qlonglong(lists[1].size()), qlonglong(lists[2].size()),
                qlonglong(lists[3].size()), qlonglong(lists[4].size()));
    std::printf("%-6s %-9s %-34s %10s %12s %10s\n", "pages", "generated", "what", "ms", "pages/s",
                "events");

    tTools tools;
    const QStringList keywords = {QStringLiteral("best dog food"), QStringLiteral("puppy")};
    for (const int pages : {10, 50, 200}) {
        const int generated = pages + 1;
        const auto report = [&](const char *what, double ms, int events) {
            std::printf("%-6d %-9d %-34s %10.2f %12.0f %10s\n", pages, generated, what, ms,
                        generated / (ms / 1000.0),
                        events < 0 ? "-" : QByteArray::number(events).constData());
        };

        int yields = 0;
        const double plain = medianMs(
            [&] { filler::generateFillerText(lists, keywords, pages, tools, [&] { ++yields; }); });
        report("generator", plain, -1);

        // A whole Generate click: generated on the worker, text shown in the box.
        RecordingPlatform platform;
        NoBrowser browser;
        frmRC window(appFolder.path(), &platform, &browser);
        window.findChild<QComboBox *>(QStringLiteral("cboParagraphs"))
            ->setEditText(QString::number(pages));
        auto *generate = window.findChild<QPushButton *>(QStringLiteral("Command1"));
        window.show();
        QApplication::processEvents();
        const double click = medianMs([&] {
            generate->click();
            // The worker's text comes back through the event loop; then the box paints it.
            if (!QTest::qWaitFor([&] { return !window.isGenerating(); }, 600000))
                std::exit(1);
            QApplication::processEvents();
        });
        report("window Generate (worker, box)", click, -1);

        if (pages <= 50) {
            const double shuffled = medianMs([&] { shuffleEveryWord(lists, pages, tools); });
            report("reference: shuffle list per word", shuffled, -1);
        }
    }
    return 0;
}
