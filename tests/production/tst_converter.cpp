#include "converter.h"
#include "modutf8.h"
#include "page_builder.h"
#include "t_file.h"
#include "test_app_folder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

// The launcher against scripted converters and against the real one.
class ConverterTest : public QObject
{
    Q_OBJECT
private slots:
    void converterProblem_namesPathAndHowToInstall();
    void launcher_judgesWhatTheConverterLeft_data();
    void launcher_judgesWhatTheConverterLeft();
    void finishing_faultsByKind_data();
    void finishing_faultsByKind();
    void launcher_damagedInside_failsWithReasonEarlierPdfStays();
    void launcher_properties_setAndLinearizedInPlace();
    void launcher_stopAll_whileQpdfWorks_reportsStopped();
    void launcher_hangingConverter_timesOut();
    void launcher_killed_forMemoryOnlyWhenTheKernelCountedIt_data();
    void launcher_killed_forMemoryOnlyWhenTheKernelCountedIt();
    void launcher_unstartableConverter_reportedAfterStart();
    void launcher_stopAll_killsAndRemovesUnfinishedPdfs();
    void realConverter_pageWithAdAndArticle_readsBackWithLink();
    void realConverter_missingOutputFolder_isFailure();

private:
    static ConversionOutcome outcomeOf(const QSignalSpy &spy, int row = 0)
    {
        return spy.at(row).at(1).value<ConversionOutcome>();
    }
};

void ConverterTest::converterProblem_namesPathAndHowToInstall()
{
    const NoConverterOnPath noConverterOnPath;
    TestAppFolder app(TestAppFolder::Bin);
    const QString converter = conversion::converterPath(app.path());
    QCOMPARE(converter, app.file(u"bin/wkhtmltopdf"_s));

    const QString missing = conversion::converterProblem(converter);
    QVERIFY2(missing.contains(converter), qPrintable(missing));
    QVERIFY2(missing.contains(u"apt-get install wkhtmltopdf"_s), qPrintable(missing));
    QVERIFY2(missing.contains(u"wkhtmltopdf and weasyprint on the PATH"_s), qPrintable(missing));

    app.writeFile(u"bin/wkhtmltopdf"_s, "not a program"); // no execute permission
    const QString notRunnable = conversion::converterProblem(converter);
    QVERIFY2(notRunnable.contains(converter), qPrintable(notRunnable));

    app.installFakeConverter("exit 0");
    QCOMPARE(conversion::converterProblem(converter), QString());
}

void ConverterTest::launcher_judgesWhatTheConverterLeft_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<ConversionOutcome>("outcome");
    QTest::addColumn<bool>("made");
    QTest::addColumn<QString>("detail");

    QTest::newRow("exit 1 with a good PDF")
        << "write_pdf \"$1\" \"$2\"; exit 1"_ba << ConversionOutcome::Made << true << QString();
    // A full disk or a child that died after the header: the end-of-file mark is missing.
    QTest::newRow("PDF cut short, normal exit")
        << "printf '%%PDF-1.4 fake\\n1 0 obj' > \"$2\"; exit 0"_ba << ConversionOutcome::IncompletePdf
        << false << QString();
    QTest::newRow("end mark with trailing white space")
        << "write_pdf \"$1\" \"$2\"; printf '\\r\\n  \\n' >> \"$2\""_ba << ConversionOutcome::Made
        << true << QString();
    QTest::newRow("exit 0 writing nothing")
        << "exit 0"_ba << ConversionOutcome::NoPdfWritten << false << QString();
    QTest::newRow("not a PDF") << "echo hello > \"$2\""_ba << ConversionOutcome::NoPdfWritten
                               << false << QString();
    QTest::newRow("error line kept")
        << "printf 'Loading\\r[==]\\nError: Unable to write to destination\\n' >&2; exit 1"_ba
        << ConversionOutcome::NoPdfWritten << false << u"Error: Unable to write to destination"_s;
    QTest::newRow("a page script that could not be fetched is not the reason")
        << "printf 'Error: Failed to load https://cdn.example/x.js, with network status code 3\\n' >&2; exit 1"_ba
        << ConversionOutcome::NoPdfWritten << false << QString();
    QTest::newRow("the blank start page is not the reason")
        << "printf 'Error: Unable to write\\nError: Failed to load about:blank, with network status code 301 and http status code 0 - Protocol \"about\" is unknown\\n' >&2; exit 1"_ba
        << ConversionOutcome::NoPdfWritten << false << u"Error: Unable to write"_s;
    QTest::newRow("crash half way") << "printf '%%PDF' > \"$2\"; kill -SEGV $$"_ba
                                    << ConversionOutcome::Crashed << false << QString();
}

void ConverterTest::launcher_judgesWhatTheConverterLeft()
{
    QFETCH(QByteArray, script);
    QFETCH(ConversionOutcome, outcome);
    QFETCH(bool, made);
    QFETCH(QString, detail);

    TestAppFolder app;
    const QString argsLog = app.file(u"args.log"_s);
    app.installFakeConverter("printf '%s\\n' \"$@\" > '" + argsLog.toUtf8() + "'\n" + script);
    const QString page = app.writeFile(u"bin/a page.html"_s, "<p>x</p>");
    // A PDF of an earlier run must never pass for this conversion's result.
    const QString pdf = app.writeFile(u"bin/output/a page.pdf"_s, "%PDF old");

    ConversionLauncher launcher(conversion::converterPath(app.path()));
    QSignalSpy spy(&launcher, &ConversionLauncher::finished);
    const int id = launcher.start(page, pdf);
    QCOMPARE(launcher.runningCount(), 1);
    QVERIFY(spy.wait(30000));
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), id);
    QCOMPARE(outcomeOf(spy), outcome);
    QCOMPARE(spy.at(0).at(2).toString(), detail);
    QCOMPARE(launcher.runningCount(), 0);
    // A good PDF replaces the earlier one; a failure leaves the earlier one as it was.
    if (made)
        QCOMPARE(fakePdfPage(pdf), "<p>x</p>"_ba);
    else
        QCOMPARE(readBytes(pdf), "%PDF old"_ba);
    // Nothing half-written is left beside it.
    QCOMPARE(QDir(app.file(u"bin/output"_s)).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"a page.pdf"_s});
    // The page and where to write, a file in the PDF's folder.
    const QStringList args = QString::fromUtf8(readBytes(argsLog)).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(args.size(), 2);
    QCOMPARE(args[0], page);
    QCOMPARE(QFileInfo(args[1]).dir(), QFileInfo(pdf).dir());
}

// A one-page PDF as a converter writes it, with the page tree and the page's content given.
QByteArray onePagePdf(const QByteArray &pageTree = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                      const QByteArray &contents = "<< /Length 0 >>\nstream\n\nendstream")
{
    const QList<QByteArray> objects{
        "<< /Type /Catalog /Pages 2 0 R >>", pageTree,
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R >>", contents};
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets << pdf.size();
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 5\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    return pdf + "trailer\n<< /Size 5 /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref)
           + "\n%%EOF\n";
}

void ConverterTest::finishing_faultsByKind_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<pdffinishing::Fault>("fault");
    // Each keeps "%PDF" at the start and "%%EOF" at the end, so only a real reader can tell.
    const QByteArray sound = onePagePdf();
    QTest::newRow("sound") << sound << pdffinishing::Fault::None;
    QTest::newRow("cross-reference table cut")
        << sound.left(sound.indexOf("xref\n")) + "startxref\n0\n%%EOF\n"
        << pdffinishing::Fault::Damaged;
    QTest::newRow("page tree pointing nowhere")
        << onePagePdf("<< /Type /Pages /Kids [9 0 R] /Count 1 >>") << pdffinishing::Fault::Damaged;
    QTest::newRow("no page") << onePagePdf("<< /Type /Pages /Kids [] /Count 0 >>")
                             << pdffinishing::Fault::NoPage;
    QTest::newRow("page content that does not inflate")
        << onePagePdf("<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                      "<< /Length 19 /Filter /FlateDecode >>\nstream\nnot deflated at all\nendstream")
        << pdffinishing::Fault::Damaged;
    QTest::newRow("garbage between the ends")
        << "%PDF-1.4\nnot a PDF at all\n%%EOF\n"_ba << pdffinishing::Fault::Damaged;
}

void ConverterTest::finishing_faultsByKind()
{
    QFETCH(QByteArray, bytes);
    QFETCH(pdffinishing::Fault, fault);
    TestAppFolder app(TestAppFolder::Bin);
    const QString pdf = app.writeFile(u"bin/a.pdf"_s, bytes);

    const pdffinishing::Result result = pdffinishing::verifyPdf(pdf);
    QCOMPARE(result.fault, fault);
    QVERIFY2(result.problem.isEmpty() == (fault == pdffinishing::Fault::None),
             qPrintable(result.problem));
}

void ConverterTest::launcher_damagedInside_failsWithReasonEarlierPdfStays()
{
    TestAppFolder app;
    app.installFakeConverter("write_pdf \"$1\" \"$2.w\"; sed 's|/Kids \\[3 0 R\\]|/Kids [9 0 R]|' "
                             "\"$2.w\" > \"$2\"; rm \"$2.w\""_ba);
    const QString page = app.writeFile(u"bin/a.html"_s, "<p>x</p>");
    const QByteArray earlier = "%PDF-1.4\n% yesterday's good PDF\n%%EOF\n";
    const QString pdf = app.writeFile(u"bin/output/a.pdf"_s, earlier);

    ConversionLauncher launcher(conversion::converterPath(app.path()));
    QSignalSpy spy(&launcher, &ConversionLauncher::finished);
    launcher.start(page, pdf, PdfProperties{u"A"_s, {}, {}, {}, {}});
    QVERIFY(spy.wait(30000));
    QCOMPARE(outcomeOf(spy), ConversionOutcome::DamagedPdf);
    const QString detail = spy.at(0).at(2).toString();
    // qpdf's finding, without the temporary file's name.
    QVERIFY2(!detail.isEmpty(), qPrintable(detail));
    QVERIFY2(!detail.contains(u".part"_s), qPrintable(detail));
    QCOMPARE(readBytes(pdf), earlier);
    QCOMPARE(QDir(app.file(u"bin/output"_s)).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"a.pdf"_s});
}

void ConverterTest::launcher_properties_setAndLinearizedInPlace()
{
    TestAppFolder app;
    app.installFakeConverter("write_pdf \"$1\" \"$2\"");
    const QString page = app.writeFile(u"bin/a.html"_s, "<p>x</p>");
    const QString pdf = app.writeFile(u"bin/output/a.pdf"_s, "%PDF old");
    const PdfProperties properties{u"Crème brûlée für 7 € – 日本の庭"_s, u"Sunny Garden Offer"_s,
                                   u"jardín, 日本"_s, u"Zoë Ødegård"_s, {}};

    ConversionLauncher launcher(conversion::converterPath(app.path()));
    QSignalSpy spy(&launcher, &ConversionLauncher::finished);
    launcher.start(page, pdf, properties);
    QVERIFY(spy.wait(30000));
    QCOMPARE(outcomeOf(spy), ConversionOutcome::Made);

    QCOMPARE(pdfInfoField(pdf, u"Title"_s), properties.title);
    QCOMPARE(pdfInfoField(pdf, u"Subject"_s), properties.subject);
    QCOMPARE(pdfInfoField(pdf, u"Keywords"_s), properties.keywords);
    QCOMPARE(pdfInfoField(pdf, u"Author"_s), properties.author);
    QCOMPARE(pdfInfoField(pdf, u"Creator"_s), pdffinishing::creator());
    QVERIFY(pdffinishing::creator().startsWith(u"Paperwake "_s));
    QCOMPARE(pdfInfoField(pdf, u"Optimized"_s), u"yes"_s);
    QVERIFY(qpdfCheckPasses(pdf));
    QVERIFY(pdfHasObjectStreams(pdf));
    QCOMPARE(fakePdfPage(pdf), "<p>x</p>"_ba);

    // Without properties (the preview) the PDF is only checked, and stays as written.
    const QString plain = app.file(u"bin/output/plain.pdf"_s);
    launcher.start(page, plain);
    QVERIFY(spy.wait(30000));
    QCOMPARE(outcomeOf(spy, 1), ConversionOutcome::Made);
    QCOMPARE(pdfInfoField(plain, u"Optimized"_s), u"no"_s);
    QCOMPARE(pdfInfoField(plain, u"Title"_s), QString());
}

void ConverterTest::launcher_stopAll_whileQpdfWorks_reportsStopped()
{
    TestAppFolder app;
    // A large PDF keeps qpdf busy for a moment after the converter has ended.
    app.installFakeConverter("head -c 30000000 /dev/urandom > \"$1.big\"; write_pdf \"$1.big\" \"$2\"; "
                             ": > \"$1.written\"");
    const QString page = app.writeFile(u"bin/a.html"_s, "<p>x</p>");
    const QString earlier = app.writeFile(u"bin/output/a.pdf"_s, "%PDF earlier");
    ConversionLauncher launcher(conversion::converterPath(app.path()));
    QSignalSpy spy(&launcher, &ConversionLauncher::finished);
    launcher.start(page, earlier, PdfProperties{u"A"_s, {}, {}, {}, {}});
    // qpdf is at work once the converter has written its PDF.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(app.file(u"bin/a.html.written"_s)), 20000);
    launcher.stopAll();
    QVERIFY(spy.wait(30000));
    QCOMPARE(outcomeOf(spy), ConversionOutcome::Stopped);
    QCOMPARE(launcher.runningCount(), 0);
    QCOMPARE(readBytes(earlier), "%PDF earlier"_ba);
    QCOMPARE(QDir(app.file(u"bin/output"_s)).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"a.pdf"_s});
}

void ConverterTest::launcher_hangingConverter_timesOut()
{
    TestAppFolder app;
    app.installFakeConverter("exec sleep 30");
    ConversionLauncher launcher(conversion::converterPath(app.path()));
    launcher.setTimeout(10min);
    QSignalSpy spy(&launcher, &ConversionLauncher::finished);
    // The conversion's own limit comes before the launcher's, and is never cut short.
    QElapsedTimer clock;
    clock.start();
    launcher.start(app.file(u"bin/x.html"_s), app.file(u"bin/output/x.pdf"_s), std::nullopt,
                   2s);
    QVERIFY(spy.wait(20000));
    QCOMPARE(outcomeOf(spy), ConversionOutcome::TimedOut);
    QVERIFY2(clock.elapsed() >= 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(launcher.runningCount(), 0);
    QVERIFY(outcomeReason(ConversionOutcome::TimedOut, 10min).contains(u"10 minutes"_s));
}

void ConverterTest::launcher_killed_forMemoryOnlyWhenTheKernelCountedIt_data()
{
    QTest::addColumn<bool>("engine"); // a stand-in for the warm built-in engine
    QTest::addColumn<QByteArray>("script"); // "$VMSTAT" is the kernel's count, faked
    QTest::addColumn<ConversionOutcome>("outcome");

    QTest::newRow("killed, no kill counted")
        << false << "kill -9 $$"_ba << ConversionOutcome::Crashed;
    QTest::newRow("killed while the count grew")
        << false << "echo 'oom_kill 8' > \"$VMSTAT\"; kill -9 $$"_ba << ConversionOutcome::OutOfMemory;
    QTest::newRow("other crash while the count grew")
        << false << "echo 'oom_kill 8' > \"$VMSTAT\"; kill -SEGV $$"_ba << ConversionOutcome::Crashed;
    // The kernel takes the engine's renderer; the engine itself then dies otherwise.
    QTest::newRow("engine, crash while the count grew")
        << true << "echo 'oom_kill 8' > \"$VMSTAT\"; kill -SEGV $$"_ba << ConversionOutcome::OutOfMemory;
    QTest::newRow("engine, crash, no kill counted")
        << true << "kill -SEGV $$"_ba << ConversionOutcome::Crashed;
}

void ConverterTest::launcher_killed_forMemoryOnlyWhenTheKernelCountedIt()
{
#ifndef Q_OS_UNIX
    QSKIP("signals are a Unix matter");
#else
    QFETCH(bool, engine);
    QFETCH(QByteArray, script);
    QFETCH(ConversionOutcome, outcome);
    TestAppFolder app;
    memoryroom::Sources sources;
    sources.vmstat = app.writeFile(u"vmstat"_s, "pgfault 100\noom_kill 7\n");
    const QByteArray body = "VMSTAT='" + sources.vmstat.toUtf8() + "'; " + script;
    QString converter;
    if (engine) {
        converter = app.writeFile(u"bin/paperwake-render"_s, "#!/bin/sh\nread request\n" + body + "\n");
        QFile::setPermissions(converter, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    } else {
        converter = app.installFakeConverter(body);
    }
    ConversionLauncher launcher(converter);
    launcher.setMemorySources(sources);
    QSignalSpy spy(&launcher, &ConversionLauncher::finished);
    launcher.start(app.file(u"bin/x.html"_s), app.file(u"bin/output/x.pdf"_s));
    QVERIFY(spy.wait(20000));
    QCOMPARE(outcomeOf(spy), outcome);
    if (outcome == ConversionOutcome::OutOfMemory)
        QVERIFY(outcomeReason(outcome).contains(u"stopped for lack of memory"_s));
#endif
}

void ConverterTest::launcher_unstartableConverter_reportedAfterStart()
{
    TestAppFolder app(TestAppFolder::Bin | TestAppFolder::Output);
    app.writeFile(u"bin/wkhtmltopdf"_s, "#!/bin/sh\n"); // not executable
    ConversionLauncher launcher(conversion::converterPath(app.path()));
    QSignalSpy spy(&launcher, &ConversionLauncher::finished);
    const int id = launcher.start(app.file(u"bin/x.html"_s), app.file(u"bin/output/x.pdf"_s));
    QCOMPARE(spy.size(), 0); // the caller holds the id before it hears about it
    QVERIFY(spy.wait(10000));
    QCOMPARE(spy.at(0).at(0).toInt(), id);
    QCOMPARE(outcomeOf(spy), ConversionOutcome::NotStarted);
    QVERIFY(!spy.at(0).at(2).toString().isEmpty());
    QCOMPARE(launcher.runningCount(), 0);
}

void ConverterTest::launcher_stopAll_killsAndRemovesUnfinishedPdfs()
{
    TestAppFolder app;
    const QString pids = app.file(u"pids.log"_s);
    app.installFakeConverter("printf '%%PDF' > \"$2\"; echo $$ >> '" + pids.toUtf8()
                             + "'; exec sleep 30");
    ConversionLauncher launcher(conversion::converterPath(app.path()));
    QSignalSpy spy(&launcher, &ConversionLauncher::finished);
    const QString earlier = app.writeFile(u"bin/output/a.pdf"_s, "%PDF earlier");
    const QStringList pdfs{earlier, app.file(u"bin/output/b.pdf"_s)};
    for (const QString &pdf : pdfs)
        launcher.start(app.file(u"bin/x.html"_s), pdf);
    QCOMPARE(launcher.runningCount(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(QString::fromUtf8(readBytes(pids)).split(u'\n', Qt::SkipEmptyParts).size() == 2,
                             10000);

    launcher.stopAll();
    // Killed at once, heard of once they have ended, without waiting here.
    QCOMPARE(spy.size(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(spy.size(), 2, 5000);
    QCOMPARE(launcher.runningCount(), 0);
    QCOMPARE(outcomeOf(spy, 0), ConversionOutcome::Stopped);
    QCOMPARE(outcomeOf(spy, 1), ConversionOutcome::Stopped);
    // What the stopped converters began is gone; the earlier PDF is untouched.
    QTRY_COMPARE_WITH_TIMEOUT(QDir(app.file(u"bin/output"_s)).entryList(QDir::Files | QDir::Hidden),
                              QStringList{u"a.pdf"_s}, 5000);
    QCOMPARE(readBytes(earlier), "%PDF earlier"_ba);
#ifdef Q_OS_LINUX
    for (const QString &pid : QString::fromUtf8(readBytes(pids)).split(u'\n', Qt::SkipEmptyParts))
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(u"/proc/"_s + pid.trimmed()), 5000);
#endif
}

void ConverterTest::realConverter_pageWithAdAndArticle_readsBackWithLink()
{
    TestAppFolder app;
    const QString converter = conversion::converterPath(app.path());
    QVERIFY2(conversion::converterProblem(converter).isEmpty(), "wkhtmltopdf is not installed");

    QString templateText;
    QVERIFY(tFile::LoadText(templateText, app.file(u"bin/template.html"_s)));
    const QString url = u"https://example.com/offer?id=42&src=pdf"_s;
    const QString filled = pagebuilder::prepareTemplate(templateText, u"Sunny Garden Offer"_s,
                                                        u"Claim Your Seat"_s, url);
    const QString article = u"Crème brûlée costs 7 € today.\r\nThis is <b>bolder</b> than ever."_s;
    const QString page = pagebuilder::composePage(filled, pagebuilder::articleToHtml(article));
    const QString pagePath = app.file(u"bin/offer.html"_s);
    modUTF8::AppendFile file = modUTF8::OpenFileForAppend(pagePath);
    QVERIFY(modUTF8::WriteUTF8(file, page, false));
    QVERIFY(file.close());

    const QString pdf = app.file(u"bin/output/offer.pdf"_s);
    ConversionLauncher launcher(converter);
    QSignalSpy spy(&launcher, &ConversionLauncher::finished);
    launcher.start(pagePath, pdf);
    QVERIFY(spy.wait(120000));
    QCOMPARE(outcomeOf(spy), ConversionOutcome::Made);
    QVERIFY(qpdfCheckPasses(pdf));

    const QString text = pdfText(pdf).simplified();
    for (const QString &expected : {u"Sunny Garden Offer"_s, u"Claim Your Seat"_s,
                                    u"Crème brûlée costs 7 € today."_s, u"bolder than ever"_s})
        QVERIFY2(text.contains(expected), qPrintable(expected + u" missing in: "_s + text));
    QVERIFY2(!text.contains(u"<b>"_s), qPrintable(text));
    // The call to action is a link in the PDF, not just text.
    QVERIFY2(pdfLinks(pdf).contains(url), qPrintable(pdfLinks(pdf).join(u' ')));
}

void ConverterTest::realConverter_missingOutputFolder_isFailure()
{
    TestAppFolder app(TestAppFolder::Template | TestAppFolder::Converter);
    const QString page = app.writeFile(u"bin/x.html"_s, "<html><body>x</body></html>");
    ConversionLauncher launcher(conversion::converterPath(app.path()));
    QSignalSpy spy(&launcher, &ConversionLauncher::finished);
    launcher.start(page, app.file(u"bin/output/x.pdf"_s));
    QVERIFY(spy.wait(120000));
    QCOMPARE(outcomeOf(spy), ConversionOutcome::NoPdfWritten);
}

QTEST_GUILESS_MAIN(ConverterTest)
#include "tst_converter.moc"
