// paperwake-render: the built-in PDF engine.
//   paperwake-render PAGE PDF   converts one page file; exit 0 when the PDF was written.
//   paperwake-render --batch    takes requests on stdin, one JSON object a line:
//                                 {"id":1,"page":"/a/b.html","pdf":"/a/b.pdf"}  render
//                                 {"cancel":1}                                   forget one
//                                                                                (answered at once)
//                               and answers on stdout, one line each, in the order they end:
//                                 {"id":1,"ok":true} or {"id":1,"ok":false,"reason":"..."}
//                               It exits once its input has closed and every render has ended.

#include "pdf_renderer.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {

void answer(int id, bool ok, const QString &reason)
{
    QJsonObject line{{QStringLiteral("id"), id}, {QStringLiteral("ok"), ok}};
    if (!ok)
        line.insert(QStringLiteral("reason"), reason);
    const QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
}

// Reads stdin on a thread of its own (a blocking read works for pipes on every platform) and
// hands each line to the engine's thread.
class BatchInput : public QThread
{
    Q_OBJECT
signals:
    void lineRead(const QByteArray &line);
    void closed();

protected:
    void run() override
    {
        std::string line;
        while (std::getline(std::cin, line))
            emit lineRead(QByteArray::fromStdString(line));
        emit closed();
    }
};

int runBatch(QGuiApplication &app)
{
    PdfRenderer renderer;
    bool inputClosed = false;
    const auto quitWhenDone = [&] {
        if (inputClosed && renderer.inFlight() == 0)
            app.quit();
    };
    QObject::connect(&renderer, &PdfRenderer::rendered, &app,
                     [&](int id, bool ok, const QString &reason) {
                         answer(id, ok, reason);
                         quitWhenDone();
                     });
    BatchInput input;
    QObject::connect(&input, &BatchInput::lineRead, &app, [&](const QByteArray &line) {
        const QJsonObject request = QJsonDocument::fromJson(line).object();
        if (request.contains(QStringLiteral("cancel"))) {
            // Answered, so the caller knows no file will come of it any more.
            const int id = request.value(QStringLiteral("cancel")).toInt();
            renderer.cancel(id);
            answer(id, false, QStringLiteral("cancelled"));
            quitWhenDone();
            return;
        }
        const int id = request.value(QStringLiteral("id")).toInt();
        const QString page = request.value(QStringLiteral("page")).toString();
        const QString pdf = request.value(QStringLiteral("pdf")).toString();
        if (id <= 0 || page.isEmpty() || pdf.isEmpty()) {
            std::fprintf(stderr, "paperwake-render: a request it cannot read: %s\n",
                         line.left(200).constData());
            return;
        }
        renderer.render(id, page, pdf);
    });
    QObject::connect(&input, &BatchInput::closed, &app, [&] {
        inputClosed = true;
        quitWhenDone();
    });
    input.start();
    const int status = app.exec();
    // Every answer is out and every PDF written. A page given up on may still hold a thread of
    // the engine in a read that never ends, so the engine is not wound down politely: its
    // renderer processes end as they lose their link to this one.
    std::fflush(stdout);
    std::_Exit(status);
}

int runOne(QGuiApplication &app, const QString &page, const QString &pdf)
{
    PdfRenderer renderer;
    int status = 1;
    QObject::connect(&renderer, &PdfRenderer::rendered, &app,
                     [&](int, bool ok, const QString &reason) {
                         if (!ok)
                             std::fprintf(stderr, "Error: %s\n", qUtf8Printable(reason));
                         status = ok ? 0 : 1;
                         app.quit();
                     });
    renderer.render(1, page, pdf);
    app.exec();
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    renderengine::prepareEnvironment();
    // It draws nothing on a screen: no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("paperwake-render"));

    const QStringList args = app.arguments().mid(1);
    if (args == QStringList{QStringLiteral("--batch")})
        return runBatch(app);
    if (args.size() == 2 && !args[0].startsWith(u'-'))
        return runOne(app, args[0], args[1]);
    std::fprintf(stderr, "Usage: paperwake-render PAGE.html OUT.pdf\n"
                         "       paperwake-render --batch   (requests on stdin, see the source)\n");
    return 2;
}

#include "render_main.moc"
