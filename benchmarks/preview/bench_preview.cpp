// Times the page preview from the end of the typing pause to the first page shown, with the
// built-in engine in this process: the first (the engine starting) and the rest (warm).
//
// Usage: bench_preview [ROUNDS=10]

#include "page_preview.h"
#include "pdf_renderer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>

int main(int argc, char *argv[])
{
    renderengine::prepareEnvironment();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? qMax(2, QString::fromLocal8Bit(argv[1]).toInt()) : 10;
    QTextStream out(stdout);

    PagePreview preview(QStringLiteral(PAPERWAKE_STAGED_APP_DIR));
    preview.setDelay(std::chrono::milliseconds(0)); // timed from the end of the pause
    preview.setActive(true);
    QList<double> seconds;
    QElapsedTimer timer;
    QObject::connect(&preview, &PagePreview::stateChanged, &app, [&] {
        if (preview.state() == PagePreview::State::Ready ||
            preview.state() == PagePreview::State::Unavailable)
            app.quit();
    });
    for (int round = 0; round < rounds; ++round) {
        PreviewInput input;
        input.adTitle = QStringLiteral("Offer number %1").arg(round);
        input.ctaText = QStringLiteral("Read More");
        input.ctaUrl = QStringLiteral("https://example.com/offer");
        timer.start();
        preview.request(input);
        app.exec();
        if (preview.state() != PagePreview::State::Ready) {
            out << "the preview could not be made: " << preview.problem() << '\n';
            return 1;
        }
        seconds << timer.nsecsElapsed() / 1e9;
    }
    QList<double> warm = seconds.mid(1);
    std::sort(warm.begin(), warm.end());
    out << QStringLiteral("first page shown, engine starting: %1 s\n").arg(seconds.first(), 0, 'f', 3)
        << QStringLiteral("first page shown, warm, median of %1: %2 s (min %3, max %4; target <= 0.5)\n")
               .arg(warm.size())
               .arg(warm.at(warm.size() / 2), 0, 'f', 3)
               .arg(warm.first(), 0, 'f', 3)
               .arg(warm.last(), 0, 'f', 3);
    return 0;
}
