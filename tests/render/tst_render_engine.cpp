// The built-in engine as the run uses it: a warm process behind the launcher.

#include "converter.h"
#include "production_run.h"
#include "test_app_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QString kEngine = QStringLiteral(PAPERWAKE_RENDER);
const QString kCli = QStringLiteral(PAPERWAKE_CLI);

ConversionOutcome outcomeOf(const QSignalSpy &spy, int row)
{
    return spy.at(row).at(1).value<ConversionOutcome>();
}

// Processes below ours, by /proc: pid -> command line.
QHash<qint64, QString> descendants()
{
    QHash<qint64, qint64> parentOf;
    for (const QString &entry : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        const QByteArray stat = readBytes(u"/proc/%1/stat"_s.arg(pid));
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            parentOf.insert(pid, fields.at(1).toLongLong());
    }
    const qint64 self = QCoreApplication::applicationPid();
    const QByteArray ownCommand = readBytes(u"/proc/%1/cmdline"_s.arg(self));
    QHash<qint64, QString> found;
    for (auto it = parentOf.cbegin(); it != parentOf.cend(); ++it) {
        qint64 pid = it.value();
        for (int depth = 0; depth < 16 && pid > 1 && pid != self; ++depth)
            pid = parentOf.value(pid, 0);
        QByteArray cmdline = readBytes(u"/proc/%1/cmdline"_s.arg(it.key()));
        // A fork of ours is the watcher that cleans up should we die, not a converter.
        if (pid == self && cmdline != ownCommand)
            found.insert(it.key(), QString::fromLocal8Bit(cmdline.replace('\0', ' ')));
    }
    return found;
}

// The warm engine below us; 0 when there is none.
qint64 enginePid()
{
    const QHash<qint64, QString> below = descendants();
    for (auto it = below.cbegin(); it != below.cend(); ++it)
        if (it.value().contains(u"paperwake-render --batch"_s))
            return it.key();
    return 0;
}

QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList({u".pw-*"_s}, QDir::Files | QDir::Hidden);
}

} // namespace

class RenderEngineTest : public QObject
{
    Q_OBJECT
private slots:
    void engine_loadsNothingFromOutsideAndRunsNoScript();
    void engine_pageThatNeverLoads_timesOutAndTheEngineGoesOn();
    void engine_killedMidRun_itsPdfsFailByName_aFreshEngineMakesTheRest();
    void engine_rendererKilled_pageFailsAtOnceAndTheEngineGoesOn();
    void cli_noWkhtmltopdf_builtInEngineBeforeWeasyprintMakesEveryPdfAsWkhtmltopdfPaginates();
};

void RenderEngineTest::engine_loadsNothingFromOutsideAndRunsNoScript()
{
    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost));
    int requests = 0;
    connect(&listener, &QTcpServer::newConnection, this, [&] {
        ++requests;
        delete listener.nextPendingConnection();
    });
    const QString server = u"http://127.0.0.1:%1"_s.arg(listener.serverPort());

    TestAppFolder app(TestAppFolder::Bin | TestAppFolder::Output);
    const QString outside = app.writeFile(u"outside.txt"_s, "OUTSIDE-SECRET");
    app.writeFile(u"bin/inside.txt"_s, "INSIDE-WORDS");
    const QString page = app.writeFile(
        u"bin/p.html"_s,
        (u"<html><head><link rel=stylesheet href='%1/style.css'></head><body><p>first words</p>"
         "<script>document.write('SCRIPT-RAN')</script>"
         "<img src=x onerror=\"document.body.append('HANDLER-RAN')\">"
         "<img src='%1/pixel.png'><iframe src='%1/frame'></iframe>"
         "<iframe src='file://%2'></iframe><iframe src='../outside.txt'></iframe>"
         "<iframe src='file:///etc/hostname'></iframe>"
         "<iframe src='inside.txt'></iframe><p>last words</p></body></html>"_s)
            .arg(server, outside)
            .toUtf8());

    ConversionLauncher launcher(kEngine);
    QSignalSpy spy(&launcher, &ConversionLauncher::finished);
    const QString pdf = app.file(u"bin/output/p.pdf"_s);
    launcher.start(page, pdf);
    QVERIFY(spy.wait(60000));
    QCOMPARE(outcomeOf(spy, 0), ConversionOutcome::Made);

    const QString text = pdfText(pdf);
    // A frame of the page's own folder shows, so the others are absent for being refused.
    for (const QString &shown : {u"first words"_s, u"INSIDE-WORDS"_s, u"last words"_s})
        QVERIFY2(text.contains(shown), qPrintable(text));
    const QString hostname = QString::fromUtf8(readBytes(u"/etc/hostname"_s)).trimmed();
    for (const QString &absent : {u"OUTSIDE-SECRET"_s, u"SCRIPT-RAN"_s, u"HANDLER-RAN"_s, hostname})
        QVERIFY2(absent.isEmpty() || !text.contains(absent), qPrintable(absent + u" in: "_s + text));
    QTest::qWait(200); // a connection would have arrived by now
    QCOMPARE(requests, 0);
}

void RenderEngineTest::engine_pageThatNeverLoads_timesOutAndTheEngineGoesOn()
{
#ifdef Q_OS_UNIX
    TestAppFolder app(TestAppFolder::Bin | TestAppFolder::Output);
    // Reading a FIFO that nobody writes never ends, so neither does the page's load.
    QCOMPARE(::mkfifo(QFile::encodeName(app.file(u"bin/stuck.png"_s)).constData(), 0600), 0);
    const QString stuck = app.writeFile(u"bin/stuck.html"_s, "<p>stuck</p><img src=stuck.png>");
    const QString fine = app.writeFile(u"bin/fine.html"_s, "<p>fine words</p>");

    ConversionLauncher launcher(kEngine);
    launcher.setTimeout(3s);
    QSignalSpy spy(&launcher, &ConversionLauncher::finished);
    const int stuckId = launcher.start(stuck, app.file(u"bin/output/stuck.pdf"_s));
    const int fineId = launcher.start(fine, app.file(u"bin/output/fine.pdf"_s));
    QTRY_COMPARE_WITH_TIMEOUT(spy.size(), 2, 60000);
    QHash<int, ConversionOutcome> outcomes;
    for (int row = 0; row < 2; ++row)
        outcomes.insert(spy.at(row).at(0).toInt(), outcomeOf(spy, row));
    QCOMPARE(outcomes.value(stuckId), ConversionOutcome::TimedOut);
    QCOMPARE(outcomes.value(fineId), ConversionOutcome::Made);

    // The same engine takes the next page.
    const qint64 engine = enginePid();
    QVERIFY(engine > 0);
    launcher.start(fine, app.file(u"bin/output/again.pdf"_s));
    QVERIFY(spy.wait(60000));
    QCOMPARE(outcomeOf(spy, 2), ConversionOutcome::Made);
    QCOMPARE(enginePid(), engine);
    QVERIFY(!QFileInfo::exists(app.file(u"bin/output/stuck.pdf"_s)));
    QCOMPARE(leftovers(app.file(u"bin/output"_s)), QStringList());
#else
    QSKIP("needs a FIFO");
#endif
}

void RenderEngineTest::engine_killedMidRun_itsPdfsFailByName_aFreshEngineMakesTheRest()
{
#ifdef Q_OS_LINUX
    TestAppFolder app(TestAppFolder::Bin | TestAppFolder::Template | TestAppFolder::Output);
    RunInput input;
    input.appFolder = app.path();
    input.adTitle = u"Offer"_s;
    input.ctaText = u"Go"_s;
    input.ctaUrl = u"https://example.com/"_s;
    input.converter = kEngine;
    input.maxJobs = 2;
    for (int i = 1; i <= 8; ++i)
        input.articles << app.writeFile(u"articles/a%1.txt"_s.arg(i),
                                        QByteArray("Words of article ").repeated(400 * i));

    ProductionRun run;
    QSignalSpy finished(&run, &ProductionRun::finished);
    QList<PdfResult> afterKill;
    bool killed = false;
    connect(&run, &ProductionRun::pdfFinished, this, [&](int, int, const PdfResult &result) {
        if (killed) {
            afterKill << result;
            return;
        }
        if (const qint64 engine = enginePid())
            killed = ::kill(pid_t(engine), SIGKILL) == 0;
    });
    QCOMPARE(run.start(input), QString());
    QVERIFY(finished.wait(120000));
    QVERIFY(killed);

    const RunReport report = finished.at(0).at(0).value<RunReport>();
    QCOMPARE(report.attempted, 8);
    QVERIFY2(!report.failures.isEmpty(), qPrintable(closingMessage(report)));
    for (const RunFailure &failure : report.failures)
        QVERIFY2(failure.pdfName.startsWith(u'a') && failure.reason.contains(u"built-in engine"_s),
                 qPrintable(failure.pdfName + u": "_s + failure.reason));
    QVERIFY(std::any_of(afterKill.cbegin(), afterKill.cend(),
                        [](const PdfResult &result) { return result.made; }));
    QCOMPARE(leftovers(app.file(u"bin/output"_s)), QStringList());
    // The fresh engine ends once the run has let it go, and takes its renderers with it.
    QTRY_VERIFY_WITH_TIMEOUT(descendants().isEmpty(), 15000);
#else
    QSKIP("finds the engine through /proc");
#endif
}

void RenderEngineTest::engine_rendererKilled_pageFailsAtOnceAndTheEngineGoesOn()
{
#ifdef Q_OS_LINUX
    TestAppFolder app(TestAppFolder::Bin | TestAppFolder::Output);
    const QByteArray fifo = QFile::encodeName(app.file(u"bin/stuck.png"_s));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    const QString stuck = app.writeFile(u"bin/stuck.html"_s, "<p>stuck</p><img src=stuck.png>");
    const QString fine = app.writeFile(u"bin/fine.html"_s, "<p>fine words</p>");

    ConversionLauncher launcher(kEngine); // its time limit is minutes away
    QSignalSpy spy(&launcher, &ConversionLauncher::finished);
    launcher.start(stuck, app.file(u"bin/output/stuck.pdf"_s));
    // Renderers are forked by the engine's zygote process and carry its command line. With
    // Chromium's sandbox on, the zygote's own first child is the init of its process
    // namespace: the renderers are the leaves below it.
    const auto parentOf = [](qint64 pid) {
        const QByteArray stat = readBytes(u"/proc/%1/stat"_s.arg(pid));
        return stat.mid(stat.lastIndexOf(')') + 2).split(' ').value(1).toLongLong();
    };
    const auto renderers = [&parentOf] {
        const QHash<qint64, QString> below = descendants();
        QSet<qint64> parents;
        for (auto it = below.cbegin(); it != below.cend(); ++it)
            parents.insert(parentOf(it.key()));
        QList<qint64> found;
        for (auto it = below.cbegin(); it != below.cend(); ++it)
            if (it.value().contains(u"QtWebEngineProcess"_s) && !parents.contains(it.key())
                && below.value(parentOf(it.key())).contains(u"QtWebEngineProcess"_s))
                found << it.key();
        return found;
    };
    // Nothing ever writes the image, so the page cannot end on its own: once its renderer
    // has had time to take it, the kill is what ends it.
    QTRY_VERIFY_WITH_TIMEOUT(!renderers().isEmpty(), 60000);
    QTest::qWait(2000);
    QVERIFY(spy.isEmpty());
    const qint64 engine = enginePid();
    QVERIFY(engine > 0);
    int killed = 0;
    for (const qint64 renderer : renderers())
        killed += ::kill(pid_t(renderer), SIGKILL) == 0;
    QVERIFY(killed > 0);

    QVERIFY(spy.wait(30000));
    // Lets go of a read of the image that still waits for a writer.
    const int writer = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0)
        ::close(writer);
    QCOMPARE(outcomeOf(spy, 0), ConversionOutcome::NoPdfWritten);
    // Chromium 122 reports the kill as a normal end, older ones as a kill.
    QVERIFY2(spy.at(0).at(2).toString().contains(u"renderer process"_s),
             qPrintable(spy.at(0).at(2).toString()));
    // The same engine takes the next page, in a fresh renderer.
    launcher.start(fine, app.file(u"bin/output/fine.pdf"_s));
    QVERIFY(spy.wait(60000));
    QVERIFY2(outcomeOf(spy, 1) == ConversionOutcome::Made, qPrintable(spy.at(1).at(2).toString()));
    QCOMPARE(enginePid(), engine);
    QVERIFY(!QFileInfo::exists(app.file(u"bin/output/stuck.pdf"_s)));
#else
    QSKIP("finds the renderer through /proc");
#endif
}

void RenderEngineTest::cli_noWkhtmltopdf_builtInEngineBeforeWeasyprintMakesEveryPdfAsWkhtmltopdfPaginates()
{
    // Real articles of every length: the license texts every Debian system has.
    const QDir licenses(u"/usr/share/common-licenses"_s);
    const QStringList names{u"Apache-2.0"_s, u"BSD"_s, u"GPL-2"_s, u"LGPL-3"_s, u"MPL-2.0"_s};
    // Saved under plain names, so each PDF's name is known whatever the naming rules.
    const auto plain = [](QString name) { return name.remove(u'.').remove(u'-').toLower(); };
    for (const QString &name : names)
        if (!licenses.exists(name))
            QSKIP("the license texts of /usr/share/common-licenses are missing");
    TestAppFolder app(TestAppFolder::Bin | TestAppFolder::Template | TestAppFolder::Output);
    QVERIFY(QDir().mkpath(app.file(u"articles"_s)));
    for (const QString &name : names)
        QVERIFY(QFile::copy(licenses.filePath(name),
                            app.file(u"articles/"_s + plain(name) + u".txt"_s)));

    const QString url = u"https://example.com/guide"_s;
    const QStringList arguments{u"bulk"_s,       u"--app-dir"_s,  app.path(),
                                u"--ad-title"_s, u"Garden Plans"_s, u"--cta-text"_s,
                                u"Get the guide"_s, u"--cta-url"_s, url,
                                app.file(u"articles"_s)};
    const QString wkhtmltopdf = QStandardPaths::findExecutable(u"wkhtmltopdf"_s);
    // On the PATH only a WeasyPrint that makes nothing: the built-in engine comes before it.
    const QString path = app.file(u"path"_s);
    app.writeFile(u"path/weasyprint"_s, "#!/bin/sh\nexit 1\n");
    QFile::setPermissions(path + u"/weasyprint"_s, QFile::ReadOwner | QFile::ExeOwner);
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(u"DISPLAY"_s);
    env.remove(u"QT_QPA_PLATFORM"_s);
    env.insert(u"PATH"_s, path);
    cli.setProcessEnvironment(env);
    cli.start(kCli, arguments);
    QVERIFY(cli.waitForFinished(180000));
    QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());

    QHash<QString, int> ourPages;
    for (const QString &name : names) {
        const QString base = plain(name);
        const QString pdf = app.file(u"bin/output/"_s + base + u".pdf"_s);
        const QString text = pdfText(pdf).simplified();
        for (const QString &expected : {u"Garden Plans"_s, u"Get the guide"_s})
            QVERIFY2(text.contains(expected), qPrintable(pdf + u": "_s + text.left(300)));
        const QString firstLine = QString::fromUtf8(readBytes(licenses.filePath(name)))
                                      .section(u'\n', 0, 0).simplified();
        QVERIFY2(text.contains(firstLine), qPrintable(firstLine));
        QVERIFY2(pdfLinks(pdf).contains(url), qPrintable(pdfLinks(pdf).join(u' ')));
        ourPages.insert(name, pdfInfoField(pdf, u"Pages"_s).toInt());
    }
    if (wkhtmltopdf.isEmpty())
        QSKIP("wkhtmltopdf is not installed: page counts not compared");
    // The same page files through wkhtmltopdf: an article takes about as many pages.
    for (const QString &name : names) {
        const QString base = plain(name);
        const QString theirs = app.file(u"theirs-"_s + base + u".pdf"_s);
        QProcess::execute(wkhtmltopdf, {u"-q"_s, app.file(u"bin/"_s + base + u".html"_s), theirs});
        const int expected = pdfInfoField(theirs, u"Pages"_s).toInt();
        QVERIFY2(qAbs(ourPages.value(name) - expected) <= qMax(1.0, 0.15 * expected),
                 qPrintable(u"%1: %2 pages, wkhtmltopdf %3"_s.arg(name).arg(ourPages.value(name)).arg(expected)));
    }
}

QTEST_GUILESS_MAIN(RenderEngineTest)
#include "tst_render_engine.moc"
