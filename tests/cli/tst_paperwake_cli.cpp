// Runs the built paperwake-cli as a process on throw-away application folders.

#include "filler_generator.h"
#include "t_file.h"
#include "t_tools.h"
#include "test_app_folder.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include <algorithm>
#include <csignal>
#include <functional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

namespace {

const QString kCli = QStringLiteral(PAPERWAKE_CLI);

// Copies the page into the PDF, so a test can tell which article each PDF holds.
const QByteArray kCopyingConverter =
    "write_pdf \"$1\" \"$2\"";

struct CliResult
{
    int exitCode = -1;
    bool crashed = false;
    QString out;
    QString err;
};

// Without a display: the command line must not need one.
QProcessEnvironment headlessEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    return env;
}

// Waits for the program to end (killed after two minutes) and collects what it said.
CliResult resultOf(QProcess &process)
{
    CliResult result;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.crashed = process.exitStatus() != QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

CliResult runCli(const QStringList &arguments,
                 const std::function<void(QProcess &)> &whileRunning = {})
{
    QProcess process;
    process.setProcessEnvironment(headlessEnvironment());
    process.start(kCli, arguments);
    if (!process.waitForStarted(10000))
        return {};
    if (whileRunning)
        whileRunning(process);
    return resultOf(process);
}

// Runs "paperwake-cli ARGUMENTS... FOLDER/NAME" through the shell, NAME given as a printf
// format: the only way to hand over bytes that are no valid UTF-8, as a terminal would.
CliResult runCliOnRawName(const QStringList &arguments, const QString &folder,
                          const QString &printfName)
{
    QProcess process;
    process.setProcessEnvironment(headlessEnvironment());
    process.start(u"sh"_s, QStringList{u"-c"_s,
                                       u"dir=$1; name=$(printf \"$2\"); shift 2; "
                                       "exec \"$@\" \"$dir/$name\""_s,
                                       u"sh"_s, folder, printfName, kCli}
                               << arguments);
    return resultOf(process);
}

// An article folder with one entry of each kind that cannot be read, beside readable ones:
// good.txt, café.txt named in Latin-1 bytes, binary.txt, gone.txt (a dangling link) and
// pipe.txt (a FIFO); sub.txt (a folder), .hidden.txt and notes.md are no articles.
QString folderOfEveryKind(const TestAppFolder &app)
{
    const QString folder = app.file(u"articles"_s);
    app.writeFile(u"articles/good.txt"_s, "Good words.");
    app.writeFile(u"articles/.hidden.txt"_s, "Hidden words.");
    app.writeFile(u"articles/notes.md"_s, "Not an article.");
    QDir().mkpath(app.file(u"articles/sub.txt"_s));
    copyTestData(u"articles/binary.txt"_s, folder);
    QFile::link(app.file(u"articles/nowhere.txt"_s), app.file(u"articles/gone.txt"_s));
#ifdef Q_OS_UNIX
    ::mkfifo(QFile::encodeName(app.file(u"articles/pipe.txt"_s)).constData(), 0600);
#endif
    writeFileNamedInBytes(folder, "caf\xE9.txt", "Latin name words.");
    return folder;
}

QStringList adOptions(const TestAppFolder &app)
{
    return {u"--app-dir"_s,  app.path(),           u"--ad-title"_s, u"Sunny Garden Offer"_s,
            u"--cta-text"_s, u"Claim Your Seat"_s, u"--cta-url"_s,  u"https://example.com/offer"_s};
}

QStringList lines(const QString &text)
{
    return text.split(u'\n', Qt::SkipEmptyParts);
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

QStringList folderEntries(const QString &folder)
{
    return sorted(QDir(folder).entryList(QDir::Files | QDir::Hidden));
}

// Every file below folder with its size and time of change, to see that nothing was touched.
QStringList snapshot(const QString &folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        entries << u"%1 %2 %3"_s.arg(info.filePath())
                       .arg(info.isDir() ? -1 : info.size())
                       .arg(info.lastModified().toMSecsSinceEpoch());
    }
    return sorted(entries);
}

} // namespace

class PaperwakeCliTest : public QObject
{
    Q_OBJECT
private slots:
    void bulk_folderOfThree_eachPdfHasTheAdAndItsArticle();
    void bulk_namesFromNamesCommand_usedInTurnInFolderOrder();
    void single_articlesInGivenOrder_underTidiedName();
    void bulk_converterWritesNothing_exitOneAndFailureNamed();
    void bulk_charactersNoFontDraws_madeButNamedAndExitOne();
    void bulk_articlesAsPeopleWriteThem_pdfsShowWhatWasWritten();
    void bulk_folderWithUnreadableEntries_eachFailsByNameAndIsCounted();
    void messages_controlCharactersInNames_shownAsEscapes();
    void bulk_articleNamedDirectly_existingEntryIsNeverMissing_data();
    void bulk_articleNamedDirectly_existingEntryIsNeverMissing();
    void badInput_exitTwoAndNothingWritten_data();
    void badInput_exitTwoAndNothingWritten();
    void names_patternsTimesKeywords_data();
    void names_patternsTimesKeywords();
    void running_refusesSecondRunAndStopsOnSigint();
    void bulk_timeout_stopsTheConversionThen();
    void dying_leavesNoProcessPartialPdfOrLock_data();
    void dying_leavesNoProcessPartialPdfOrLock();
    void startedToIgnoreHangUp_runGoesOn();
    void bulk_incompletePdf_failsAndKeepsEarlierPdf();
    void appDirWithoutTemplate_exitTwoAndNothingRemoved();
    void bulk_fifoArticle_failsByNameAndRunEnds();
    void progress_onTerminal_oneRewrittenLine();
    void filler_savesWhatTheWindowSaves();
    void filler_badInput_exitTwoAndNothingWritten_data();
    void filler_badInput_exitTwoAndNothingWritten();
    void help_eachCommandShowsItsOwnUsage_data();
    void help_eachCommandShowsItsOwnUsage();
};

void PaperwakeCliTest::bulk_folderOfThree_eachPdfHasTheAdAndItsArticle()
{
    TestAppFolder app;
    app.writeFile(u"articles/Alpha_one.txt"_s, "Apples grow in autumn.\r\nCafé €");
    app.writeFile(u"articles/beta two.TXT"_s, "Bees make honey.");
    app.writeFile(u"articles/Gamma.final.txt"_s, "Goats climb hills.");
    app.writeFile(u"articles/notes.md"_s, "Not an article.");

    const CliResult run =
        runCli(QStringList{u"bulk"_s} << adOptions(app) << app.file(u"articles"_s));
    QVERIFY2(run.exitCode == 0 && !run.crashed, qPrintable(run.err));
    const QString output = app.file(u"bin/output/"_s);
    QCOMPARE(sorted(lines(run.out)),
             QStringList({output + u"Alpha-one.pdf"_s, output + u"Gamma.final.pdf"_s,
                          output + u"beta-two.pdf"_s}));
    const QStringList progress = lines(run.err);
    QCOMPARE(progress.size(), 4);
    for (int i = 0; i < 3; ++i)
        QVERIFY2(progress.at(i).startsWith(u"[%1/3] "_s.arg(i + 1)), qPrintable(run.err));
    QVERIFY2(progress.last().startsWith(u"3 converted, 3 PDFs kept, 0 failed, "_s) &&
                 progress.last().endsWith(u" s"_s),
             qPrintable(run.err));

    const QHash<QString, QString> own{{u"Alpha-one.pdf"_s, u"Apples grow in autumn."_s},
                                      {u"beta-two.pdf"_s, u"Bees make honey."_s},
                                      {u"Gamma.final.pdf"_s, u"Goats climb hills."_s}};
    for (auto it = own.begin(); it != own.end(); ++it) {
        const QString text = pdfText(output + it.key()).simplified();
        QVERIFY2(text.contains(u"Sunny Garden Offer"_s) && text.contains(u"Claim Your Seat"_s),
                 qPrintable(text));
        for (const QString &words : own)
            QCOMPARE(text.contains(words), words == it.value());
    }
    QVERIFY(pdfText(output + u"Alpha-one.pdf"_s).contains(u"Café €"_s));
}

void PaperwakeCliTest::bulk_namesFromNamesCommand_usedInTurnInFolderOrder()
{
    TestAppFolder app;
    app.installFakeConverter(kCopyingConverter);
    // Listed ignoring case: apple, Banana, cherry, Date, elder.
    for (const char *name : {"Date", "apple", "elder", "Banana", "cherry"})
        app.writeFile(u"articles/%1.txt"_s.arg(QLatin1StringView(name)),
                      "Article " + QByteArray(name) + " here.");
    const QString keywords = app.writeFile(u"keywords.txt"_s, "dog food\r\n\r\ncat  toys\r\n");
    const QString patterns = app.writeFile(u"patterns.txt"_s, "best #KEYWORD#\n#KEYWORD#\n");

    const CliResult names = runCli({u"names"_s, u"--app-dir"_s, app.path(), u"--keywords"_s,
                                    keywords, u"--patterns"_s, patterns});
    QCOMPARE(names.exitCode, 0);
    QCOMPARE(names.out, u"best dog food\nbest cat  toys\ndog food\ncat  toys\n"_s);
    // Three of the four names, so they come round again for the fourth and fifth article.
    const QString list =
        app.writeFile(u"list.txt"_s, lines(names.out).mid(0, 3).join(u'\n').toUtf8() + "\n");

    const CliResult run =
        runCli(QStringList{u"bulk"_s, u"--jobs"_s, u"1"_s, u"--names"_s, list, u"--patterns"_s,
                           patterns, u"--author"_s, u"Zoë"_s}
               << adOptions(app) << app.file(u"articles"_s));
    QCOMPARE(run.exitCode, 0);
    // Told before the first PDF, and counted at the end by what is left.
    const QStringList err = lines(run.err);
    QVERIFY2(err.first().startsWith(u"5 articles, but only 3 different PDF names: 2 PDFs will "
                                    "replace"_s),
             qPrintable(run.err));
    QCOMPARE(err.mid(1, 5),
             QStringList({u"[1/5] best-dog-food.pdf"_s, u"[2/5] best-cat-toys.pdf"_s,
                          u"[3/5] dog-food.pdf"_s, u"[4/5] best-dog-food.pdf"_s,
                          u"[5/5] best-cat-toys.pdf"_s}));
    QVERIFY2(err.last().startsWith(u"5 converted, 3 PDFs kept, 2 replaced by later articles of "
                                   "the same name, 0 failed, "_s),
             qPrintable(run.err));
    QCOMPARE(folderEntries(app.file(u"bin/output"_s)),
             QStringList({u"best-cat-toys.pdf"_s, u"best-dog-food.pdf"_s, u"dog-food.pdf"_s}));
    QCOMPARE(lines(run.out).size(), 3);
    const QHash<QString, QByteArray> last{{u"best-dog-food.pdf"_s, "Article Date"},
                                          {u"best-cat-toys.pdf"_s, "Article elder"},
                                          {u"dog-food.pdf"_s, "Article cherry"}};
    for (auto it = last.begin(); it != last.end(); ++it)
        QVERIFY2(fakePdfPage(app.file(u"bin/output/"_s + it.key())).contains(it.value()),
                 qPrintable(it.key()));
    // The keyword each name was made from, by the most specific pattern that gives the name.
    const QHash<QString, QString> keywordOf{{u"best-dog-food.pdf"_s, u"dog food"_s},
                                            {u"best-cat-toys.pdf"_s, u"cat  toys"_s},
                                            {u"dog-food.pdf"_s, u"dog food"_s}};
    for (auto it = keywordOf.begin(); it != keywordOf.end(); ++it) {
        const QString pdf = app.file(u"bin/output/"_s + it.key());
        QCOMPARE(pdfInfoField(pdf, u"Keywords"_s), it.value());
        QCOMPARE(pdfInfoField(pdf, u"Author"_s), u"Zoë"_s);
    }
}

void PaperwakeCliTest::single_articlesInGivenOrder_underTidiedName()
{
    TestAppFolder app;
    const QString zebra = app.writeFile(u"articles/b.txt"_s, "Zebra opening words.");
    const QString yak = app.writeFile(u"articles/a.txt"_s, "Yak middle words.");
    const QString xylophone = app.writeFile(u"articles/c.txt"_s, "Xylophone closing words.");

    const QString title = u"Mein Bericht – 日本"_s, keywords = u"café, €"_s;
    const CliResult run = runCli(QStringList{u"single"_s, u"--name"_s, u"my report"_s,
                                             u"--title"_s, title, u"--subject"_s, u"Gärten"_s,
                                             u"--keywords"_s, keywords, u"--author"_s, u"Zoë"_s}
                                 << adOptions(app) << zebra << yak << xylophone);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QCOMPARE(run.out.trimmed(), app.file(u"bin/output/my-report.pdf"_s));
    QVERIFY2(run.err.startsWith(u"[1/1] my-report.pdf\n1 converted, 1 PDF kept, 0 failed, "_s), qPrintable(run.err));

    const QString text = pdfText(app.file(u"bin/output/my-report.pdf"_s));
    const qsizetype z = text.indexOf(u"Zebra opening"_s), y = text.indexOf(u"Yak middle"_s),
                    x = text.indexOf(u"Xylophone closing"_s);
    QVERIFY2(z >= 0 && z < y && y < x, qPrintable(text));
    QVERIFY(text.contains(u"Sunny Garden Offer"_s));
    const QString pdf = app.file(u"bin/output/my-report.pdf"_s);
    QCOMPARE(pdfInfoField(pdf, u"Title"_s), title);
    QCOMPARE(pdfInfoField(pdf, u"Subject"_s), u"Gärten"_s);
    QCOMPARE(pdfInfoField(pdf, u"Keywords"_s), keywords);
    QCOMPARE(pdfInfoField(pdf, u"Author"_s), u"Zoë"_s);
}

void PaperwakeCliTest::bulk_converterWritesNothing_exitOneAndFailureNamed()
{
    TestAppFolder app;
    app.installFakeConverter("case \"$1\" in *broken.html) exit 0 ;; esac\n" + kCopyingConverter);
    const QString good = app.writeFile(u"articles/good.txt"_s, "Fine words.");
    const QString broken = app.writeFile(u"articles/broken.txt"_s, "Lost words.");

    const CliResult run = runCli(QStringList{u"bulk"_s} << adOptions(app) << good << broken);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, app.file(u"bin/output/good.pdf"_s) + u'\n');
    const QStringList err = lines(run.err);
    QVERIFY2(std::any_of(
                 err.cbegin(), err.cend(),
                 [](const QString &line) { return line.endsWith(u"/2] broken.pdf (failed)"_s); }),
             qPrintable(run.err));
    QVERIFY2(err.contains(u"not made: broken.pdf: the converter wrote no PDF"_s),
             qPrintable(run.err));
    QVERIFY2(err.last().startsWith(u"1 converted, 1 PDF kept, 1 failed, "_s), qPrintable(run.err));
    QCOMPARE(folderEntries(app.file(u"bin/output"_s)), QStringList{u"good.pdf"_s});
}

void PaperwakeCliTest::bulk_charactersNoFontDraws_madeButNamedAndExitOne()
{
    TestAppFolder app;
    app.installFakeConverter(kCopyingConverter);
    const QString folder = app.file(u"articles"_s);
    const QString hindi = copyTestData(u"scripts/hindi.txt"_s, folder);
    const QString russian = copyTestData(u"scripts/russian.txt"_s, folder);
    QStringList options = adOptions(app);
    options[options.indexOf(u"--ad-title"_s) + 1] = u"สวัสดี Offer"_s;

    // Only DejaVu: it has Cyrillic and Latin, no Devanagari nor Thai.
    qputenv("FONTCONFIG_FILE", writeFontConfig(app.path(), QString::fromLatin1(kDejaVuFolder)).toLocal8Bit());
    const CliResult run = runCli(QStringList{u"bulk"_s} << options << hindi << russian);
    qunsetenv("FONTCONFIG_FILE");
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(sorted(lines(run.out)), QStringList({app.file(u"bin/output/hindi.pdf"_s),
                                                  app.file(u"bin/output/russian.pdf"_s)}));
    const QStringList err = lines(run.err);
    QVERIFY2(err.filter(QRegularExpression(u"^hindi\\.txt: \\d+ characters of Devanagari have no "
                                           "font here; install fonts-noto-core$"_s))
                     .size() == 1,
             qPrintable(run.err));
    QVERIFY2(err.contains(u"the ad: 6 characters of Thai have no font here; install "
                          "fonts-noto-core"_s),
             qPrintable(run.err));
    QVERIFY2(err.filter(u"russian"_s).filter(u"font"_s).isEmpty(), qPrintable(run.err));
    QVERIFY2(err.last().startsWith(u"2 converted, 2 PDFs kept, 0 failed, "_s), qPrintable(run.err));
}

void PaperwakeCliTest::bulk_articlesAsPeopleWriteThem_pdfsShowWhatWasWritten()
{
    TestAppFolder app;
    const QString folder = app.file(u"articles"_s);
    for (const char *fixture :
         {"lf-paragraphs.txt", "mixed-line-ends.txt", "angle-brackets.txt", "markup.txt"})
        QVERIFY(!copyTestData(u"articles/"_s + QLatin1StringView(fixture), folder).isEmpty());

    const CliResult run =
        runCli({u"bulk"_s, u"--app-dir"_s, app.path(), u"--ad-title"_s,
                u"Deals <b>today</b> if x<y"_s, u"--cta-text"_s, u"Book <i>now</i>"_s,
                u"--cta-url"_s, u"https://x.example/?q=\"a\""_s, folder});
    QVERIFY2(run.exitCode == 0 && !run.crashed, qPrintable(run.err));
    const QString output = app.file(u"bin/output/"_s);
    QHash<QString, QString> text;
    for (const char *name : {"lf-paragraphs", "mixed-line-ends", "angle-brackets", "markup"}) {
        const QString pdf = output + QLatin1StringView(name) + u".pdf"_s;
        text.insert(QLatin1StringView(name), pdfText(pdf));
        const QString flat = text.value(QLatin1StringView(name)).simplified();
        QVERIFY2(flat.contains(u"Deals today if x<y"_s) && flat.contains(u"Book now"_s),
                 qPrintable(flat));
        // The quotation mark is in the link, encoded, and does not cut the address short.
        QVERIFY2(pdfLinks(pdf).contains(u"https://x.example/?q=%22a%22"_s), name);
    }

    // Every kind of line end starts a line of its own.
    const QStringList lfLines = text.value(u"lf-paragraphs"_s).split(u'\n');
    const QStringList mixedLines = text.value(u"mixed-line-ends"_s).split(u'\n');
    for (const QString &line :
         {u"First paragraph of the river walk."_s, u"Second paragraph about the old mill."_s,
          u"A line right below it."_s})
        QVERIFY2(lfLines.contains(line), qPrintable(lfLines.join(u'|')));
    for (const QString &line :
         {u"Alpha line with CR LF."_s, u"Bravo line after an empty one."_s,
          u"Charlie line after a lone CR."_s, u"Delta line after a lone LF."_s})
        QVERIFY2(mixedLines.contains(line), qPrintable(mixedLines.join(u'|')));

    const QString angles = text.value(u"angle-brackets"_s).simplified();
    for (const QString &written :
         {u"if x<y and y>z then x<z as well."_s, u"<https://example.org/a>"_s,
          u"<john@example.org>"_s, u"(i<n)"_s})
        QVERIFY2(angles.contains(written), qPrintable(angles));

    // The article's markup is gone from its text: it became bold, slanted, a break, a link.
    const QString markup = text.value(u"markup"_s).simplified();
    const qsizetype articleStart = markup.indexOf(u"This has"_s);
    QVERIFY2(articleStart >= 0, qPrintable(markup));
    const QString article = markup.sliced(articleStart);
    QCOMPARE(article, u"This has bold words and slanted ones. A marked-up link follows."_s);
    // The ad has bold faces of its own: the article's bold words add another.
    const auto boldFaces = [&](const char *name) {
        QStringList fonts = pdfFontNames(output + QLatin1StringView(name) + u".pdf"_s);
        fonts.removeIf([](const QString &font) { return !font.contains(u"Bold"_s); });
        return QSet<QString>(fonts.cbegin(), fonts.cend());
    };
    const QSet<QString> plainBold = boldFaces("lf-paragraphs");
    QVERIFY(!plainBold.isEmpty());
    QVERIFY2(!(boldFaces("markup") - plainBold).isEmpty(),
             qPrintable(pdfFontNames(output + u"markup.pdf"_s).join(u' ')));
}

void PaperwakeCliTest::bulk_folderWithUnreadableEntries_eachFailsByNameAndIsCounted()
{
#ifndef Q_OS_UNIX
    QSKIP("names in bytes, pipes and links are a Unix matter");
#else
    TestAppFolder app;
    app.installFakeConverter(kCopyingConverter);
    const QString folder = folderOfEveryKind(app);

    const CliResult run = runCli(QStringList{u"bulk"_s} << adOptions(app) << folder);
    QCOMPARE(run.exitCode, 1);
    const QString output = app.file(u"bin/output/"_s);
    QCOMPARE(sorted(lines(run.out)), QStringList({output + u"café.pdf"_s, output + u"good.pdf"_s}));
    QCOMPARE(folderEntries(output), QStringList({u"café.pdf"_s, u"good.pdf"_s}));
    QVERIFY(fakePdfPage(output + u"café.pdf"_s).contains("Latin name words."));

    const QStringList err = lines(run.err);
    const QString in = folder + u'/';
    for (const QString &failure :
         {u"not made: binary.pdf: the article %1binary.txt could not be read: not a text file"_s,
          u"not made: gone.pdf: the article %1gone.txt could not be read: it is a "
          "link to nothing"_s,
          u"not made: pipe.pdf: the article %1pipe.txt could not be read: not a regular file "
          "(a device, a pipe or a socket)"_s})
        QVERIFY2(err.contains(failure.arg(in)), qPrintable(run.err));
    QVERIFY2(err.last().startsWith(u"2 converted, 2 PDFs kept, 3 failed, "_s), qPrintable(run.err));
#endif
}

void PaperwakeCliTest::messages_controlCharactersInNames_shownAsEscapes()
{
#ifndef Q_OS_UNIX
    QSKIP("control characters in file names are a Unix matter");
#else
    TestAppFolder app;
    app.installFakeConverter(kCopyingConverter);
    // Would set the terminal's title and clear its screen.
    const QString hostile = u"\x1b]0;owned\x07\x1b[2J\u009b1m"_s;
    const QString shown = u"\\x1b]0;owned\\x07\\x1b[2J\\x9b1m"_s;
    QDir().mkpath(app.file(u"articles"_s));
    QVERIFY(QFile::link(app.file(u"nowhere.txt"_s), app.file(u"articles/"_s + hostile + u".txt"_s)));

    const CliResult failed =
        runCli(QStringList{u"bulk"_s} << adOptions(app) << app.file(u"articles"_s));
    QCOMPARE(failed.exitCode, 1);
    const CliResult missing =
        runCli(QStringList{u"bulk"_s} << adOptions(app) << app.file(hostile + u".txt"_s));
    QCOMPARE(missing.exitCode, 2);
    for (const QString &err : {failed.err, missing.err}) {
        QVERIFY2(err.contains(shown + u".txt"_s), qPrintable(err));
        for (const QChar c : {QChar(0x1b), QChar(0x07), QChar(0x9b)})
            QVERIFY2(!err.contains(c), qPrintable(err));
    }
#endif
}

void PaperwakeCliTest::bulk_articleNamedDirectly_existingEntryIsNeverMissing_data()
{
    QTest::addColumn<QString>("printfName");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said"); // on standard output when made, else on standard error

    QTest::newRow("name in Latin-1 bytes") << u"caf\\351.txt"_s << 0 << u"café.pdf"_s;
    QTest::newRow("dangling link")
        << u"gone.txt"_s << 1 << u"could not be read: it is a link to nothing"_s;
    QTest::newRow("binary") << u"binary.txt"_s << 1 << u"could not be read: not a text file"_s;
    QTest::newRow("pipe") << u"pipe.txt"_s << 1 << u"could not be read: not a regular file"_s;
    QTest::newRow("missing") << u"none.txt"_s << 2 << u"no such article file or folder: "_s;
}

void PaperwakeCliTest::bulk_articleNamedDirectly_existingEntryIsNeverMissing()
{
#ifndef Q_OS_UNIX
    QSKIP("names in bytes, pipes and links are a Unix matter");
#else
    QFETCH(QString, printfName);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    TestAppFolder app;
    app.installFakeConverter(kCopyingConverter);
    const QString folder = folderOfEveryKind(app);

    const CliResult run =
        runCliOnRawName(QStringList{u"bulk"_s} << adOptions(app), folder, printfName);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2((exitCode == 0 ? run.out : run.err).contains(said), qPrintable(run.err));
#endif
}

void PaperwakeCliTest::badInput_exitTwoAndNothingWritten_data()
{
    QTest::addColumn<QStringList>("arguments"); // after "bulk"/"single" and the ad options
    QTest::addColumn<QString>("message");

    QTest::newRow("no --ad-title")
        << QStringList{u"bulk"_s, u"-"_s, u"@articles"_s}
        << u"Please enter your Ad details.\nMissing or empty: --ad-title"_s;
    QTest::newRow("empty --cta-url")
        << QStringList{u"bulk"_s, u"--cta-url="_s, u"@articles"_s}
        << u"Please enter your Ad details.\nMissing or empty: --cta-url"_s;
    QTest::newRow("no articles in the folder")
        << QStringList{u"bulk"_s, u"@empty"_s} << u"Please select one or more articles first."_s;
    QTest::newRow("single without --name") << QStringList{u"single"_s, u"@articles"_s}
                                           << u"Please enter a filename for your PDF file."_s;
    QTest::newRow("unsafe --name with a separator")
        << QStringList{u"single"_s, u"--name"_s, u"../escape"_s, u"@articles"_s}
        << u"A filename cannot contain these characters: /"_s;
    QTest::newRow("empty names file")
        << QStringList{u"bulk"_s, u"--names"_s, u"@blank"_s, u"@articles"_s}
        << u"Please enter one or more keywords first."_s;
    QTest::newRow("missing names file")
        << QStringList{u"bulk"_s, u"--names"_s, u"@missing"_s, u"@articles"_s}
        << u"the names file could not be read"_s;
    QTest::newRow("missing article")
        << QStringList{u"bulk"_s, u"@missing"_s} << u"no such article file or folder"_s;
    QTest::newRow("--jobs 0") << QStringList{u"bulk"_s, u"--jobs"_s, u"0"_s, u"@articles"_s}
                              << u"--jobs needs a whole number from 1 to 64"_s;
    QTest::newRow("--timeout 0") << QStringList{u"single"_s, u"--name"_s, u"x"_s, u"--timeout"_s,
                                                u"0"_s, u"@articles"_s}
                                 << u"--timeout needs a whole number of seconds from 1 to 86400"_s;
    QTest::newRow("--out is a file")
        << QStringList{u"bulk"_s, u"--out"_s, u"@blank"_s, u"@articles"_s}
        << u"--out must name a folder"_s;
    QTest::newRow("unknown option") << QStringList{u"bulk"_s, u"--title"_s, u"x"_s, u"@articles"_s}
                                    << u"Unknown option 'title'."_s;
    QTest::newRow("unknown command") << QStringList{u"merge"_s} << u"unknown command \"merge\""_s;
}

void PaperwakeCliTest::badInput_exitTwoAndNothingWritten()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    TestAppFolder app;
    const QString log = app.file(u"converter.log"_s);
    app.installFakeConverter("echo \"$2\" >> '" + log.toUtf8() + "'\n" + kCopyingConverter);
    app.writeFile(u"bin/old-run.html"_s, "left from before");
    app.writeFile(u"articles/a.txt"_s, "Some words.");
    app.writeFile(u"blank.txt"_s, "\r\n\r\n");
    QDir().mkpath(app.file(u"empty"_s));
    const QHash<QString, QString> places{{u"@articles"_s, app.file(u"articles"_s)},
                                         {u"@empty"_s, app.file(u"empty"_s)},
                                         {u"@blank"_s, app.file(u"blank.txt"_s)},
                                         {u"@missing"_s, app.file(u"missing.txt"_s)}};
    // "-" in the list drops the option it stands after: the ad title.
    QStringList command{arguments.takeFirst()};
    QStringList ad = adOptions(app);
    if (arguments.removeOne(u"-"_s))
        ad.remove(2, 2);
    command << ad;
    for (const QString &argument : arguments)
        command << places.value(argument, argument);
    const QStringList before = snapshot(app.path());

    const CliResult run = runCli(command);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(run.out, QString());
    QCOMPARE(snapshot(app.path()), before);
    QVERIFY(!QFileInfo::exists(log));
}

void PaperwakeCliTest::names_patternsTimesKeywords_data()
{
    QTest::addColumn<QByteArray>("patterns"); // lstcombinations.txt; null: none there
    QTest::addColumn<QByteArray>("keywords");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    QTest::newRow("pattern-major, as the window")
        << QByteArray("#KEYWORD#\r\nbest #KEYWORD# tips\r\n") << QByteArray("dog\r\ncat") << 0
        << u"dog\ncat\nbest dog tips\nbest cat tips\n"_s << QString();
    QTest::newRow("placeholder twice, blank keyword lines skipped, space kept")
        << QByteArray("#KEYWORD# vs #KEYWORD#") << QByteArray("a\n\n \n") << 0
        << u"a vs a\n  vs  \n"_s << QString();
    QTest::newRow("no pattern file: no names")
        << QByteArray() << QByteArray("dog") << 0 << QString() << u"no name patterns in"_s;
    QTest::newRow("empty keywords file") << QByteArray("#KEYWORD#") << QByteArray("") << 2
                                         << QString() << u"Please enter some keywords first."_s;
}

void PaperwakeCliTest::names_patternsTimesKeywords()
{
    QFETCH(QByteArray, patterns);
    QFETCH(QByteArray, keywords);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    TestAppFolder app(TestAppFolder::Bin);
    if (!patterns.isNull())
        app.writeFile(u"lstcombinations.txt"_s, patterns);
    const QString keywordFile = app.writeFile(u"keywords.txt"_s, keywords);

    const CliResult run =
        runCli({u"names"_s, u"--app-dir"_s, app.path(), u"--keywords"_s, keywordFile});
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, out);
    if (err.isEmpty())
        QCOMPARE(run.err, QString());
    else
        QVERIFY2(run.err.contains(err), qPrintable(run.err));
}

void PaperwakeCliTest::running_refusesSecondRunAndStopsOnSigint()
{
#ifndef Q_OS_UNIX
    QSKIP("signals are a Unix matter");
#else
    TestAppFolder app;
    app.installFakeConverter("echo $$ > \"$1.pid\"; exec sleep 30");
    for (const char *name : {"1.txt", "2.txt", "3.txt"})
        app.writeFile(u"articles/"_s + QLatin1StringView(name), "words");
    const QString pidFile = app.file(u"bin/1.html.pid"_s);

    const CliResult run = runCli(
        QStringList{u"bulk"_s, u"--jobs"_s, u"1"_s} << adOptions(app) << app.file(u"articles"_s),
        [&](QProcess &process) {
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(pidFile), 10000);
            // A second run would remove the first one's page files.
            const CliResult second = runCli(QStringList{u"single"_s, u"--name"_s, u"x"_s}
                                            << adOptions(app) << app.file(u"articles/1.txt"_s));
            QCOMPARE(second.exitCode, 2);
            QVERIFY2(second.err.contains(u"Another run is making PDFs"_s),
                     qPrintable(second.err));
            QVERIFY(QFileInfo::exists(app.file(u"bin/1.html"_s)));
            ::kill(pid_t(process.processId()), SIGINT);
        });
    QCOMPARE(run.exitCode, 128 + SIGINT);
    QVERIFY2(lines(run.err).last().contains(u"stopped with 2 of 3 not begun"_s),
             qPrintable(run.err));
    QCOMPARE(sorted(QDir(app.file(u"bin/output"_s)).entryList({u"*.pdf"_s}, QDir::Files)),
             QStringList());
    const QString pid = QString::fromUtf8(readBytes(pidFile)).trimmed();
    QVERIFY(!pid.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(u"/proc/"_s + pid), 5000);
#endif
}

void PaperwakeCliTest::dying_leavesNoProcessPartialPdfOrLock_data()
{
    QTest::addColumn<QList<int>>("sent");
    QTest::addColumn<int>("cleanExit"); // -1: the program may die on the spot
    QTest::newRow("kill -9") << QList<int>{SIGKILL} << -1;
    QTest::newRow("terminal closed (SIGHUP)") << QList<int>{SIGHUP} << 128 + SIGHUP;
    QTest::newRow("Ctrl-C twice at once") << QList<int>{SIGINT, SIGINT} << -1;
}

void PaperwakeCliTest::dying_leavesNoProcessPartialPdfOrLock()
{
#ifndef Q_OS_LINUX
    QSKIP("the parent-death signal is a Linux matter");
#else
    QFETCH(QList<int>, sent);
    QFETCH(int, cleanExit);
    TestAppFolder app;
    // Each converter starts a process of its own, begins its PDF, then hangs.
    app.installFakeConverter("sleep 60 & child=$!; printf '%%PDF' > \"$2\"; "
                             "echo $$ $child > \"$1.pid\"; exec sleep 60");
    const QStringList names{u"1"_s, u"2"_s, u"3"_s};
    for (const QString &name : names)
        app.writeFile(u"articles/"_s + name + u".txt"_s, "words");

    const CliResult run = runCli(
        QStringList{u"bulk"_s, u"--jobs"_s, u"3"_s} << adOptions(app) << app.file(u"articles"_s),
        [&](QProcess &process) {
            for (const QString &name : names)
                QTRY_VERIFY_WITH_TIMEOUT(
                    !readBytes(app.file(u"bin/"_s + name + u".html.pid"_s)).isEmpty(), 10000);
            for (const int signal : sent)
                ::kill(pid_t(process.processId()), signal);
        });
    if (cleanExit >= 0)
        QCOMPARE(run.exitCode, cleanExit);
    for (const QString &name : names) {
        const QStringList pids =
            QString::fromUtf8(readBytes(app.file(u"bin/"_s + name + u".html.pid"_s)))
                .split(u' ', Qt::SkipEmptyParts);
        QCOMPARE(pids.size(), 2);
        for (const QString &pid : pids)
            QTRY_VERIFY2_WITH_TIMEOUT(!QFileInfo::exists(u"/proc/"_s + pid.trimmed()),
                                      qPrintable(u"converter process "_s + pid
                                                 + u" outlived the program"_s),
                                      5000);
    }
    // Neither a begun PDF nor the lock waits for the next run.
    QTRY_COMPARE_WITH_TIMEOUT(folderEntries(app.file(u"bin/output"_s)), QStringList(), 5000);
    QVERIFY(!QFileInfo::exists(app.file(u"bin/.paperwake-run.lock"_s)));

    // The next run clears what a killed run left behind.
    app.installFakeConverter(kCopyingConverter);
    const CliResult next = runCli(QStringList{u"bulk"_s} << adOptions(app)
                                                         << app.file(u"articles"_s));
    QCOMPARE(next.exitCode, 0);
    QCOMPARE(folderEntries(app.file(u"bin/output"_s)),
             QStringList({u"1.pdf"_s, u"2.pdf"_s, u"3.pdf"_s}));
#endif
}

void PaperwakeCliTest::startedToIgnoreHangUp_runGoesOn()
{
#ifndef Q_OS_UNIX
    QSKIP("signals are a Unix matter");
#else
    // As under nohup: a closed terminal must not stop a run started to outlive it.
    TestAppFolder app;
    app.installFakeConverter("echo $$ > \"$1.pid\"; sleep 0.5; " + kCopyingConverter);
    app.writeFile(u"articles/a.txt"_s, "words");
    QProcess process;
    process.setProcessEnvironment(headlessEnvironment());
    process.start(u"sh"_s, QStringList{u"-c"_s, u"trap '' HUP; exec \"$0\" \"$@\""_s, kCli,
                                       u"bulk"_s}
                               << adOptions(app) << app.file(u"articles"_s));
    QVERIFY(process.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(app.file(u"bin/a.html.pid"_s)), 10000);
    ::kill(pid_t(process.processId()), SIGHUP);
    const CliResult run = resultOf(process);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(lines(run.out), QStringList{app.file(u"bin/output/a.pdf"_s)});
#endif
}

void PaperwakeCliTest::bulk_timeout_stopsTheConversionThen()
{
    TestAppFolder app;
    app.installFakeConverter("exec sleep 60");
    app.writeFile(u"articles/a.txt"_s, "words");
    const CliResult run = runCli(QStringList{u"bulk"_s, u"--timeout"_s, u"1"_s}
                                 << adOptions(app) << app.file(u"articles"_s));
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(u"a.pdf: the converter did not finish within 1 second and was "
                              "stopped"_s),
             qPrintable(run.err));
}

void PaperwakeCliTest::bulk_incompletePdf_failsAndKeepsEarlierPdf()
{
    TestAppFolder app;
    // What a full disk leaves: a header, then nothing.
    app.installFakeConverter("printf '%%PDF-1.4\\n1 0 obj\\n<<' > \"$2\"; exit 0");
    app.writeFile(u"articles/a.txt"_s, "words");
    const QByteArray earlier = "%PDF-1.4\n% the good PDF of yesterday\n%%EOF\n";
    const QString pdf = app.writeFile(u"bin/output/a.pdf"_s, earlier);

    const CliResult run =
        runCli(QStringList{u"bulk"_s} << adOptions(app) << app.file(u"articles"_s));
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(u"a.pdf: the converter wrote an incomplete PDF"_s),
             qPrintable(run.err));
    QCOMPARE(run.out, QString());
    QCOMPARE(readBytes(pdf), earlier);
    QCOMPARE(folderEntries(app.file(u"bin/output"_s)), QStringList{u"a.pdf"_s});
}

void PaperwakeCliTest::appDirWithoutTemplate_exitTwoAndNothingRemoved()
{
    TestAppFolder app(TestAppFolder::All & ~TestAppFolder::Template);
    app.writeFile(u"bin/old.html"_s, "page of an earlier run");
    app.writeFile(u"articles/a.txt"_s, "words");
    const QStringList before = snapshot(app.path());

    const CliResult run = runCli(QStringList{u"single"_s, u"--name"_s, u"x"_s}
                                 << adOptions(app) << app.file(u"articles/a.txt"_s));
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(u"template"_s), qPrintable(run.err));
    QCOMPARE(snapshot(app.path()), before);
}

void PaperwakeCliTest::bulk_fifoArticle_failsByNameAndRunEnds()
{
#ifndef Q_OS_UNIX
    QSKIP("FIFOs are a Unix matter");
#else
    TestAppFolder app;
    app.installFakeConverter(kCopyingConverter);
    app.writeFile(u"articles/good.txt"_s, "words");
    QVERIFY(::mkfifo(QFile::encodeName(app.file(u"articles/x.txt"_s)).constData(), 0600) == 0);

    const CliResult run =
        runCli(QStringList{u"bulk"_s} << adOptions(app) << app.file(u"articles"_s));
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(u"not made: x.pdf: "_s), qPrintable(run.err));
    QCOMPARE(lines(run.out), QStringList{app.file(u"bin/output/good.pdf"_s)});
#endif
}

void PaperwakeCliTest::progress_onTerminal_oneRewrittenLine()
{
    // script(1) gives the program a terminal and copies what it writes there.
    const QString script = QStandardPaths::findExecutable(u"script"_s);
    if (script.isEmpty())
        QSKIP("script(1) is not installed");
    TestAppFolder app;
    app.installFakeConverter(kCopyingConverter);
    app.writeFile(u"articles/one.txt"_s, "words");
    app.writeFile(u"articles/two.txt"_s, "words");
    QStringList arguments{kCli, u"bulk"_s, u"--jobs"_s, u"1"_s};
    arguments << adOptions(app) << app.file(u"articles"_s);
    for (QString &argument : arguments)
        argument = u'\'' + argument + u'\'';

    QProcess process;
    process.setProcessEnvironment(headlessEnvironment());
    process.start(script, {u"-qec"_s, arguments.join(u' '), u"/dev/null"_s});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    const QString shown = QString::fromUtf8(process.readAllStandardOutput());
    QVERIFY2(shown.startsWith(u"\r[1/2] one.pdf\x1b[K\r[2/2] two.pdf\x1b[K\r\n"_s),
             qPrintable(shown));
    QVERIFY2(shown.contains(u"2 converted, 2 PDFs kept, 0 failed, "_s), qPrintable(shown));
}

void PaperwakeCliTest::filler_savesWhatTheWindowSaves()
{
    TestAppFolder app;
    const QString keywords = app.writeFile(u"keywords.txt"_s, "green tea\r\n\r\nbamboo\r\n");
    const QString target = app.writeFile(u"articles/filler.txt"_s, "an older file");

    const CliResult run = runCli({u"filler"_s, u"--app-dir"_s, app.path(), u"--pages"_s, u"2"_s,
                                  u"--keywords"_s, keywords, u"--seed"_s, u"42"_s, u"--replace"_s,
                                  u"--out"_s, app.file(u"articles/filler"_s)});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QCOMPARE(run.out, target + u'\n');
    QVERIFY2(run.err.startsWith(u"3 pages written, "_s), qPrintable(run.err));

    // What the window's Generate and Save File make from the same picks.
    tTools random;
    random.seed(42);
    const std::optional<QString> text = filler::generateFillerText(
        filler::loadWordLists(app.path()), {u"green tea"_s, u"bamboo"_s}, 2, random);
    QVERIFY(text);
    const QString expectedFile = app.file(u"expected.txt"_s);
    QVERIFY(tFile::SaveText(*text, expectedFile));
    const QByteArray bytes = readBytes(target);
    QCOMPARE(bytes, readBytes(expectedFile));

    // Three pages of four paragraphs, each with one keyword, CR LF line ends only.
    QCOMPARE(bytes.count("\r\n\r\n"), 12);
    QCOMPARE(bytes.count("\n"), bytes.count("\r\n"));
    QCOMPARE(bytes.count("green tea ") + bytes.count("bamboo "), 12);
    QCOMPARE(bytes.count(". "), 3 * 4 * 5);
}

void PaperwakeCliTest::filler_badInput_exitTwoAndNothingWritten_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    QTest::newRow("pages not a number")
        << QStringList{u"--pages"_s, u"ten"_s, u"--out"_s, u"@out"_s}
        << u"--pages needs a whole number from 0 to 32767, not \"ten\""_s;
    QTest::newRow("pages above the limit")
        << QStringList{u"--pages"_s, u"32768"_s, u"--out"_s, u"@out"_s}
        << u"--pages needs a whole number from 0 to 32767"_s;
    QTest::newRow("no pages") << QStringList{u"--out"_s, u"@out"_s} << u"--pages N is needed"_s;
    QTest::newRow("no out") << QStringList{u"--pages"_s, u"1"_s} << u"--out FILE.txt is needed"_s;
    QTest::newRow("name \"..\"") << QStringList{u"--pages"_s, u"1"_s, u"--out"_s, u"@dir/...txt"_s}
                                 << u"\"..\" cannot be used as a file name."_s;
    QTest::newRow("a folder, no name")
        << QStringList{u"--pages"_s, u"1"_s, u"--out"_s, u"@dir/"_s}
        << u"Please enter a name for the file.\n--out must name a file."_s;
    QTest::newRow("an existing folder") << QStringList{u"--pages"_s, u"1"_s, u"--out"_s, u"@dir"_s}
                                        << u"--out names a folder, not a file: "_s;
    QTest::newRow("a name whose .txt is a folder")
        << QStringList{u"--pages"_s, u"1"_s, u"--out"_s, u"@dir/sub"_s}
        << u"--out names a folder, not a file: "_s;
    QTest::newRow("missing folder")
        << QStringList{u"--pages"_s, u"1"_s, u"--out"_s, u"@dir/none/x.txt"_s}
        << u"the folder to write into does not exist"_s;
    QTest::newRow("an existing file, no --replace")
        << QStringList{u"--pages"_s, u"1"_s, u"--out"_s, u"@dir/markup"_s}
        << u"the file already exists: "_s;
    QTest::newRow("missing keywords file")
        << QStringList{u"--pages"_s,       u"1"_s,     u"--keywords"_s,
                       u"@dir/none.txt"_s, u"--out"_s, u"@out"_s}
        << u"the keywords file could not be read"_s;
    QTest::newRow("empty word list")
        << QStringList{u"--pages"_s, u"1"_s, u"--out"_s, u"@out"_s, u"@emptylist"_s}
        << u"is missing or empty; it needs one word per line"_s;
}

void PaperwakeCliTest::filler_badInput_exitTwoAndNothingWritten()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    TestAppFolder app;
    QDir().mkpath(app.file(u"articles/sub.txt"_s));
    app.writeFile(u"articles/markup.txt"_s, "the user's article");
    if (arguments.removeOne(u"@emptylist"_s))
        app.writeFile(u"random/4.txt"_s, "\r\n");
    QStringList command{u"filler"_s, u"--app-dir"_s, app.path()};
    for (QString argument : arguments) {
        argument.replace(u"@out"_s, app.file(u"articles/filler.txt"_s));
        argument.replace(u"@dir"_s, app.file(u"articles"_s));
        command << argument;
    }
    const QStringList before = snapshot(app.path());

    const CliResult run = runCli(command);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(run.out, QString());
    QCOMPARE(snapshot(app.path()), before);
}

void PaperwakeCliTest::help_eachCommandShowsItsOwnUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("usage");
    QTest::addColumn<QString>("mentions");

    QTest::newRow("bulk") << QStringList{u"bulk"_s, u"--help"_s}
                          << u"Usage: paperwake-cli bulk --ad-title"_s << u"--jobs <N>"_s;
    // Help wins over options that would be wrong.
    QTest::newRow("single, with a bad option")
        << QStringList{u"single"_s, u"--jobs"_s, u"2"_s, u"-h"_s}
        << u"Usage: paperwake-cli single"_s << u"--name <NAME>"_s;
    QTest::newRow("filler") << QStringList{u"filler"_s, u"--help"_s}
                            << u"Usage: paperwake-cli filler --pages N"_s << u"--seed <S>"_s;
}

void PaperwakeCliTest::help_eachCommandShowsItsOwnUsage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, usage);
    QFETCH(QString, mentions);
    const CliResult run = runCli(arguments);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.startsWith(usage), qPrintable(run.out));
    QVERIFY2(run.out.contains(mentions), qPrintable(run.out));
    QVERIFY(run.out.contains(u"--app-dir"_s));
}

QTEST_GUILESS_MAIN(PaperwakeCliTest)
#include "tst_paperwake_cli.moc"
