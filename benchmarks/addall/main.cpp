// Times "Add All" on a folder of many articles, and the folder change that lists them.
#include "article_browser.h"
#include "recording_platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int articles = argc > 1 ? QByteArray(argv[1]).toInt() : 5000;
    const int rounds = 5;

    QTemporaryDir folder;
    for (int i = 0; i < articles; ++i) {
        QFile file(
            folder.filePath(QStringLiteral("Article number %1.txt").arg(i, 5, 10, QChar(u'0'))));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write("An article.");
    }

    RecordingPlatform platform;
    QWidget page;
    page.resize(1100, 430);
    auto *browser = new ArticleBrowser(&platform, &page);
    browser->placeSelection({4905, 1125, 11010, 5415}, {3870, 1125, 6645, 3570});
    page.show();

    double openMs = 0, addMs = 0;
    for (int round = 0; round < rounds; ++round) {
        browser->setFolder(QDir::tempPath());
        QElapsedTimer timer;
        timer.start();
        browser->setFolder(folder.path());
        openMs += timer.nsecsElapsed() / 1e6;

        browser->cmdSingleMenu_Click(1);
        app.processEvents();
        timer.restart();
        browser->cmdSingleMenu_Click(0);
        app.processEvents(); // include the repaint the user waits for
        addMs += timer.nsecsElapsed() / 1e6;
    }

    std::printf("articles in folder:        %d\n", browser->fileCount());
    std::printf("items after Add All:       %lld\n", qlonglong(browser->selectedArticles().size()));
    std::printf("open folder (list files):  %.1f ms (mean of %d)\n", openMs / rounds, rounds);
    std::printf("Add All:                   %.1f ms (mean of %d)\n", addMs / rounds, rounds);
    return browser->selectedArticles().size() == articles ? 0 : 1;
}
