#include "page_builder.h"
#include "production_run.h"
#include "t_file.h"
#include "test_app_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <algorithm>
#include <functional>
#include <optional>

#ifdef Q_OS_LINUX
#include <sys/mount.h>
#endif

using namespace Qt::StringLiterals;

namespace {

// Copies the page into the PDF, so a test can tell which page each PDF came from.
const QByteArray kCopyingConverter =
    "sleep 0.4; write_pdf \"$1\" \"$2\"";

// What a run reported, from start to finish.
struct Outcome
{
    QString refused; // start() said why it did not start
    RunReport report;
    QStringList pages;    // "number/count" as pages were prepared
    QStringList finished; // "done/count name made|failed"
    bool early = false;   // something was reported before start() returned
    bool ended = false;
};

// Starts the run and waits in the test's event loop until it has finished; during() is called
// after every PDF result.
Outcome runToEnd(ProductionRun &run, const RunInput &input,
                 const std::function<void()> &during = {})
{
    Outcome outcome;
    QObject::connect(&run, &ProductionRun::preparingPage, &run, [&](int number, int count) {
        outcome.pages << u"%1/%2"_s.arg(number).arg(count);
    });
    QObject::connect(&run, &ProductionRun::pdfFinished, &run,
                     [&](int done, int count, const PdfResult &result) {
                         outcome.finished << u"%1/%2 %3 %4"_s.arg(done).arg(count).arg(
                             result.pdfName, result.made ? u"made"_s : u"failed"_s);
                         if (during)
                             during();
                     });
    bool ended = false;
    QObject::connect(&run, &ProductionRun::finished, &run, [&](const RunReport &report) {
        outcome.report = report;
        ended = true;
    });
    outcome.refused = run.start(input);
    if (outcome.refused.isEmpty()) {
        outcome.early = ended || !outcome.finished.isEmpty() || !outcome.pages.isEmpty();
        outcome.ended = QTest::qWaitFor([&] { return ended; }, 120000);
    }
    run.disconnect(&run);
    return outcome;
}

Outcome runToEnd(const RunInput &input)
{
    ProductionRun run;
    return runToEnd(run, input);
}

RunInput single(RunInput input)
{
    input.bulk = false;
    return input;
}

RunInput adInput(const TestAppFolder &app)
{
    RunInput input;
    input.appFolder = app.path();
    input.adTitle = u"Sunny Garden Offer"_s;
    input.ctaText = u"Claim Your Seat"_s;
    input.ctaUrl = u"https://example.com/offer"_s;
    return input;
}

QString article(const TestAppFolder &app, const QString &name, const QByteArray &text)
{
    return app.writeFile(u"articles/"_s + name, text);
}

// A line of page 1 as pdftotext finds its words: its left and right ends and its text. Words
// at one height are one line, however a converter split them up.
struct TextLine
{
    double top = 0, left = 0, right = 0;
    QString text;
};

QList<TextLine> firstPageLines(const QString &pdfPath, double &pageWidth)
{
    QProcess process;
    process.start(u"pdftotext"_s, {u"-bbox"_s, u"-f"_s, u"1"_s, u"-l"_s, u"1"_s, pdfPath, u"-"_s});
    if (!process.waitForFinished(60000))
        return {};
    const QString layout = QString::fromUtf8(process.readAllStandardOutput());
    static const QRegularExpression page(u"<page width=\"([0-9.]+)\""_s);
    static const QRegularExpression word(u"<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" "
                                         "xMax=\"([0-9.]+)\"[^>]*>([^<]*)</word>"_s);
    pageWidth = page.match(layout).captured(1).toDouble();
    QList<TextLine> lines;
    for (auto it = word.globalMatch(layout); it.hasNext();) {
        const auto match = it.next();
        const double left = match.captured(1).toDouble(), top = match.captured(2).toDouble(),
                     right = match.captured(3).toDouble();
        const auto line = std::find_if(lines.begin(), lines.end(), [top](const TextLine &l) {
            return qAbs(l.top - top) < 4;
        });
        if (line == lines.end()) {
            lines << TextLine{top, left, right, match.captured(4)};
            continue;
        }
        line->left = qMin(line->left, left);
        line->right = qMax(line->right, right);
        line->text += u' ' + match.captured(4);
    }
    return lines;
}

QList<TextLine> linesIn(const QList<TextLine> &lines, QChar::Script script)
{
    QList<TextLine> of;
    for (const TextLine &l : lines)
        if (std::any_of(l.text.cbegin(), l.text.cend(),
                        [script](QChar c) { return c.script() == script; }))
            of << l;
    return of;
}

QStringList folderEntries(const QString &folder, const QString &pattern = u"*"_s)
{
    QStringList names = QDir(folder).entryList({pattern}, QDir::Files | QDir::Hidden);
    names.sort();
    return names;
}

#ifdef Q_OS_LINUX
// A small disk of its own at folder while it lives, where the system lets us mount one.
class SmallDisk
{
public:
    SmallDisk(const QString &folder, int kilobytes) : m_folder(QFile::encodeName(folder))
    {
        QDir().mkpath(folder);
        const QByteArray size = "size=" + QByteArray::number(kilobytes) + 'k';
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, size.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;
    bool mounted() const { return m_mounted; }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};
#endif

} // namespace

class ProductionRunTest : public QObject
{
    Q_OBJECT
private slots:
    void bulk_threeArticles_eachPdfHasTheAdAndItsOwnArticle();
    void bulk_keywordNames_usedInTurnLaterArticlesReplaceEarlier();
    void single_myReport_allArticlesInOrder();
    void single_templateName_leavesTemplateAlone();
    void bulk_usersOwnHtmlInBin_keptOnlyEarlierPagesRemoved();

    void bulk_samePdfOrPageName_neverTwoConversionsAtOnce();
    void bulk_largePages_asManyAtOnceAsTheMemoryHolds_data();
    void bulk_largePages_asManyAtOnceAsTheMemoryHolds();
    void bulk_unreadableArticle_othersStillMade();
    void runs_missingConverterOrTemplate_stopBeforeWriting();
    void runs_outputFolderCannotBeMadeOrWritten_stopBeforeWriting_data();
    void runs_outputFolderCannotBeMadeOrWritten_stopBeforeWriting();
    void single_unreadableArticle_makesNoPdf();
    void single_converterWritesNothing_failureNamed();
    void bulk_conversionOfALargePageFails_saysTheArticleIsTooLarge();
    void single_unsafeName_refused();
    void single_nameNearTheLengthLimit_made();
    void bulk_longNames_longestArticleMadeTooLongPdfNameFailsByName();
    void runs_fullDisk_namedAsTheReason();
    void cancel_endsConvertersAndLaterPages();
    void bulk_otherScripts_drawnAndRightToLeftFromTheRightMargin();
    void nameRepeats_countsArticlesSharingAPdfName_data();
    void nameRepeats_countsArticlesSharingAPdfName();
    void bulk_killedForMemory_triedAgainWithFewerAtOnce();
    void bulk_timeLimit_givenOrScaledWithThePage();
};

void ProductionRunTest::bulk_threeArticles_eachPdfHasTheAdAndItsOwnArticle()
{
    TestAppFolder app;
    RunInput input = adInput(app);
    input.articles = {article(app, u"Alpha_one.txt"_s, "Apples grow in autumn.\r\nCafé €"),
                      article(app, u"beta two.txt"_s, "Bees make honey."),
                      article(app, u"Gamma.final.txt"_s, "Goats climb hills.")};
    const Outcome run = runToEnd(input);
    const RunReport &report = run.report;

    QCOMPARE(run.refused, QString());
    QVERIFY(!run.early && run.ended);
    QCOMPARE(report.attempted, 3);
    QCOMPARE(report.made, 3);
    QCOMPARE(closingMessage(report), u"Ready. Do you want to open the output folder?"_s);
    QCOMPARE(run.pages, QStringList({u"1/3"_s, u"2/3"_s, u"3/3"_s}));
    QCOMPARE(run.finished.size(), 3);
    QVERIFY(run.finished.last().startsWith(u"3/3 "_s));
    QCOMPARE(folderEntries(app.file(u"bin"_s), u"*.html"_s),
             QStringList({u"Alpha-one.html"_s, u"Gamma.final.html"_s, u"beta-two.html"_s,
                          u"template.html"_s}));

    const QHash<QString, QString> own{{u"Alpha-one.pdf"_s, u"Apples grow in autumn."_s},
                                      {u"beta-two.pdf"_s, u"Bees make honey."_s},
                                      {u"Gamma.final.pdf"_s, u"Goats climb hills."_s}};
    QStringList pdfNames = own.keys();
    pdfNames.sort();
    QCOMPARE(folderEntries(app.file(u"bin/output"_s)), pdfNames);
    for (auto it = own.begin(); it != own.end(); ++it) {
        const QString text = pdfText(app.file(u"bin/output/"_s + it.key())).simplified();
        QVERIFY2(text.contains(u"Sunny Garden Offer"_s) && text.contains(u"Claim Your Seat"_s),
                 qPrintable(text));
        for (const QString &words : own)
            QCOMPARE(text.contains(words), words == it.value());
    }
    QVERIFY(pdfText(app.file(u"bin/output/Alpha-one.pdf"_s)).contains(u"Café €"_s));
    // Titled after the article's file name as it stands, less its extension.
    const QHash<QString, QString> titles{{u"Alpha-one.pdf"_s, u"Alpha_one"_s},
                                         {u"beta-two.pdf"_s, u"beta two"_s},
                                         {u"Gamma.final.pdf"_s, u"Gamma.final"_s}};
    for (auto it = titles.begin(); it != titles.end(); ++it)
        QCOMPARE(pdfInfoField(app.file(u"bin/output/"_s + it.key()), u"Title"_s), it.value());
}

void ProductionRunTest::bulk_keywordNames_usedInTurnLaterArticlesReplaceEarlier()
{
    TestAppFolder app;
    RunInput input = adInput(app);
    const QStringList words{u"first"_s, u"second"_s, u"third"_s, u"fourth"_s, u"fifth"_s};
    for (const QString &w : words)
        input.articles << article(app, w + u".txt"_s, "Article " + w.toUtf8() + " here.");
    input.useOriginalNames = false;
    input.finalNames = {u"best dog food"_s, u"cat  toys"_s, u"jardín 日本 tips"_s};
    input.namePatterns = {u"#KEYWORD#"_s, u"best #KEYWORD#"_s, u"#KEYWORD# tips"_s};
    input.maxJobs = 2;
    const RunReport report = runToEnd(input).report;

    QCOMPARE(report.made, 5);
    QCOMPARE(folderEntries(app.file(u"bin/output"_s)),
             QStringList({u"best-dog-food.pdf"_s, u"cat-toys.pdf"_s, u"jardín-日本-tips.pdf"_s}));
    // The user hears which PDFs were replaced within the run.
    // In the order of the articles, whichever conversion ended first.
    QCOMPARE(replacementLines(report),
             QStringList({u"best-dog-food.pdf: made from 2 articles; the last one is kept"_s,
                          u"cat-toys.pdf: made from 2 articles; the last one is kept"_s}));
    QVERIFY(closingMessage(report).contains(u"best-dog-food.pdf: made from 2 articles"_s));
    const QHash<QString, QString> last{{u"best-dog-food.pdf"_s, u"fourth"_s},
                                       {u"cat-toys.pdf"_s, u"fifth"_s},
                                       {u"jardín-日本-tips.pdf"_s, u"third"_s}};
    for (auto it = last.begin(); it != last.end(); ++it) {
        const QString text = pdfText(app.file(u"bin/output/"_s + it.key()));
        QVERIFY2(text.contains(u"Article "_s + it.value()), qPrintable(it.key() + text));
        QVERIFY2(!text.contains(u"Article first"_s) && !text.contains(u"Article second"_s),
                 qPrintable(it.key() + text));
    }
    // Ready to publish: the name as the user sees it, the ad, the keyword that made the name.
    const QHash<QString, QStringList> titleAndKeywords{
        {u"best-dog-food.pdf"_s, {u"best dog food"_s, u"dog food"_s}},
        {u"cat-toys.pdf"_s, {u"cat  toys"_s, u"cat  toys"_s}},
        {u"jardín-日本-tips.pdf"_s, {u"jardín 日本 tips"_s, u"jardín 日本"_s}}};
    for (auto it = titleAndKeywords.begin(); it != titleAndKeywords.end(); ++it) {
        const QString pdf = app.file(u"bin/output/"_s + it.key());
        QCOMPARE(pdfInfoField(pdf, u"Title"_s), it.value().at(0));
        QCOMPARE(pdfInfoField(pdf, u"Keywords"_s), it.value().at(1));
        QCOMPARE(pdfInfoField(pdf, u"Subject"_s), input.adTitle);
        QCOMPARE(pdfInfoField(pdf, u"Optimized"_s), u"yes"_s);
    }
    for (const QString &pdf : report.pdfsMade)
        QVERIFY2(qpdfCheckPasses(pdf), qPrintable(pdf));
}

void ProductionRunTest::single_myReport_allArticlesInOrder()
{
    TestAppFolder app;
    RunInput input = adInput(app);
    input.articles = {article(app, u"b.txt"_s, "Zebra opening words.\r\nZebra end."),
                      article(app, u"a.txt"_s, "Yak middle words."),
                      article(app, u"c.txt"_s, "Xylophone closing words.")};
    input.singleName = u"my report"_s;
    input.ctaUrl = u" https://example.com/offer\t"_s; // pasted with blanks around it
    const RunReport report = runToEnd(single(input)).report;

    QCOMPARE(report.usedName, u"my-report"_s);
    QCOMPARE(report.made, 1);
    QCOMPARE(report.pdfsMade, QStringList{app.file(u"bin/output/my-report.pdf"_s)});
    QString templateText;
    QVERIFY(tFile::LoadText(templateText, app.file(u"bin/template.html"_s)));
    const QString expectedPage =
        pagebuilder::prepareTemplate(templateText, input.adTitle, input.ctaText,
                                     u"https://example.com/offer"_s) +
        u"<br><br><br>Zebra opening words.<br><br>Zebra end.<br><br><br>Yak middle words."
        "<br><br><br>Xylophone closing words."_s +
        pagebuilder::pageTail();
    QCOMPARE(QString::fromUtf8(readBytes(app.file(u"bin/my-report.html"_s))), expectedPage);

    const QString text = pdfText(app.file(u"bin/output/my-report.pdf"_s));
    const qsizetype z = text.indexOf(u"Zebra opening"_s), y = text.indexOf(u"Yak middle"_s),
                    x = text.indexOf(u"Xylophone closing"_s);
    QVERIFY2(z >= 0 && z < y && y < x, qPrintable(text));
    QVERIFY(text.contains(u"Sunny Garden Offer"_s));
    const QString pdf = app.file(u"bin/output/my-report.pdf"_s);
    QCOMPARE(pdfInfoField(pdf, u"Title"_s), u"my report"_s);
    QCOMPARE(pdfInfoField(pdf, u"Subject"_s), input.adTitle);
    QCOMPARE(pdfInfoField(pdf, u"Keywords"_s), QString());
}

void ProductionRunTest::single_templateName_leavesTemplateAlone()
{
    TestAppFolder app;
    const QByteArray templateBytes = readBytes(app.file(u"bin/template.html"_s));
    RunInput input = adInput(app);
    input.articles = {article(app, u"a.txt"_s, "Only words.")};
    input.singleName = u"template"_s;
    const RunReport report = runToEnd(single(input)).report;

    QCOMPARE(report.made, 1);
    QVERIFY(QFileInfo::exists(app.file(u"bin/etemplate.html"_s)));
    QVERIFY(pdfText(app.file(u"bin/output/template.pdf"_s)).contains(u"Only words."_s));
    QCOMPARE(readBytes(app.file(u"bin/template.html"_s)), templateBytes);
}

void ProductionRunTest::bulk_usersOwnHtmlInBin_keptOnlyEarlierPagesRemoved()
{
    TestAppFolder app;
    app.installFakeConverter("write_pdf \"$1\" \"$2\"");
    const QStringList own{u"Template.html"_s, u"landing.html"_s, u"template-backup.html"_s};
    for (const QString &name : own)
        app.writeFile(u"bin/"_s + name, "mine: " + name.toUtf8());
    RunInput input = adInput(app);
    // Its page has the name of a file of the user's.
    input.articles = {article(app, u"landing.txt"_s, "Landing words."),
                      article(app, u"a.txt"_s, "A words.")};
    QCOMPARE(runToEnd(input).report.made, 2);
    QVERIFY(fakePdfPage(app.file(u"bin/output/landing.pdf"_s)).contains("Landing words."));

    input.articles = {article(app, u"b.txt"_s, "B words.")};
    QCOMPARE(runToEnd(input).report.made, 1);
    // The first run's pages went with the second run; the user's files stayed as they were.
    QCOMPARE(folderEntries(app.file(u"bin"_s), u"*.html"_s),
             QStringList({u"Template.html"_s, u"b.html"_s, u"landing.html"_s,
                          u"template-backup.html"_s, u"template.html"_s}));
    for (const QString &name : own)
        QCOMPARE(readBytes(app.file(u"bin/"_s + name)), "mine: " + name.toUtf8());
}

void ProductionRunTest::bulk_samePdfOrPageName_neverTwoConversionsAtOnce()
{
    TestAppFolder app;
    const QString log = app.file(u"conversions.log"_s);
    // The converter writes under a temporary name; the page it reads tells which article it is.
    app.installFakeConverter("w=$(grep -o 'words-[0-9]' \"$1\")\necho \"start $w\" >> '" +
                             log.toUtf8() + "'\n" + kCopyingConverter + "\necho \"end $w\" >> '" +
                             log.toUtf8() + "'");
    RunInput input = adInput(app);
    // Articles 3 and 4 share a page name but for case (one file on a FAT stick); name A comes
    // round again for article 5.
    input.articles = {article(app, u"1.txt"_s, "words-1"), article(app, u"2.txt"_s, "words-2"),
                      app.writeFile(u"one/same.txt"_s, "words-3"),
                      app.writeFile(u"two/Same.txt"_s, "words-4"),
                      article(app, u"5.txt"_s, "words-5")};
    input.useOriginalNames = false;
    input.finalNames = {u"A"_s, u"B"_s, u"C"_s, u"D"_s};
    input.maxJobs = 3;
    const RunReport report = runToEnd(input).report;
    QCOMPARE(report.made, 5);

    // Each PDF holds the page of the last article named after it, read whole.
    const QHash<QString, QByteArray> expected{
        {u"A.pdf"_s, "words-5"}, {u"B.pdf"_s, "words-2"}, {u"C.pdf"_s, "words-3"},
        {u"D.pdf"_s, "words-4"}};
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        const QByteArray pdf = fakePdfPage(app.file(u"bin/output/"_s + it.key()));
        QVERIFY2(pdf.contains(it.value()) && pdf.count("words-") == 1, pdf.constData());
    }

    const QHash<QString, QString> pdfOf{{u"words-1"_s, u"A.pdf"_s}, {u"words-2"_s, u"B.pdf"_s},
                                        {u"words-3"_s, u"C.pdf"_s}, {u"words-4"_s, u"D.pdf"_s},
                                        {u"words-5"_s, u"A.pdf"_s}};
    const QHash<QString, QString> pageOf{{u"words-1"_s, u"1.html"_s}, {u"words-2"_s, u"2.html"_s},
                                         {u"words-3"_s, u"same.html"_s}, {u"words-4"_s, u"same.html"_s},
                                         {u"words-5"_s, u"5.html"_s}};
    QSet<QString> runningPdfs, runningPages;
    int most = 0;
    QStringList starts;
    for (const QString &line : QString::fromUtf8(readBytes(log)).split(u'\n', Qt::SkipEmptyParts)) {
        const QString words = line.section(u' ', 1);
        const QString pdf = pdfOf.value(words), page = pageOf.value(words);
        QVERIFY2(!pdf.isEmpty(), qPrintable(line));
        if (line.startsWith(u"start"_s)) {
            QVERIFY2(!runningPdfs.contains(pdf), qPrintable(pdf + u" converted twice at once"_s));
            QVERIFY2(!runningPages.contains(page), qPrintable(page + u" converted twice at once"_s));
            runningPdfs.insert(pdf);
            runningPages.insert(page);
            starts << pdf;
            most = qMax(most, int(runningPdfs.size()));
        } else {
            runningPdfs.remove(pdf);
            runningPages.remove(page);
        }
    }
    starts.sort();
    QCOMPARE(starts, QStringList({u"A.pdf"_s, u"A.pdf"_s, u"B.pdf"_s, u"C.pdf"_s, u"D.pdf"_s}));
    QVERIFY(most <= input.maxJobs);
    QVERIFY2(most >= 2, "conversions never overlapped");
}

void ProductionRunTest::bulk_largePages_asManyAtOnceAsTheMemoryHolds_data()
{
    QTest::addColumn<int>("articleMegabytes");
    QTest::addColumn<bool>("inSmallGroup"); // a control group with 200 MB left, else 600 MB
    QTest::addColumn<bool>("oneAtATime");
    // 600 MB hold five small pages but not two of 10 MB, however many slots there are; 200 MB
    // hold one small page.
    QTest::newRow("small pages") << 0 << false << false;
    QTest::newRow("large pages") << 10 << false << true;
    QTest::newRow("small pages in a small control group") << 0 << true << true;
}

void ProductionRunTest::bulk_largePages_asManyAtOnceAsTheMemoryHolds()
{
    QFETCH(int, articleMegabytes);
    QFETCH(bool, inSmallGroup);
    QFETCH(bool, oneAtATime);
    TestAppFolder app;
    const QString log = app.file(u"conversions.log"_s);
    app.installFakeConverter("echo start >> '" + log.toUtf8() + "'\nsleep 0.3\n"
                             "echo end >> '" + log.toUtf8() + "'\nwrite_pdf \"$1\" \"$2\"");
    RunInput input = adInput(app);
    for (int i = 1; i <= 5; ++i)
        input.articles << article(app, u"%1.txt"_s.arg(i),
                                  QByteArray("words ").repeated(1 + articleMegabytes * 180000));
    input.maxJobs = 5;
    if (inSmallGroup) {
        input.memorySources.ownGroups = app.writeFile(u"cgroup"_s, "0::/app\n");
        input.memorySources.groupRoot = app.file(u"groups"_s);
        app.writeFile(u"groups/app/memory.max"_s, QByteArray::number(300 << 20));
        app.writeFile(u"groups/app/memory.current"_s, QByteArray::number(100 << 20));
    } else {
        input.memoryBudgetMegabytes = 600;
    }
    QCOMPARE(runToEnd(input).report.made, 5);

    int running = 0, most = 0;
    for (const QByteArray &line : readBytes(log).split('\n'))
        if (!line.isEmpty())
            most = qMax(most, running += line == "start" ? 1 : -1);
    QVERIFY2(oneAtATime ? most == 1 : most > 1, qPrintable(QString::number(most)));
}

void ProductionRunTest::bulk_unreadableArticle_othersStillMade()
{
    TestAppFolder app;
    app.installFakeConverter(kCopyingConverter);
    RunInput input = adInput(app);
    const QString missing = app.file(u"articles/gone.txt"_s);
    input.articles = {article(app, u"good.txt"_s, "fine"), missing,
                      article(app, u"last.txt"_s, "x")};
    const Outcome run = runToEnd(input);
    const RunReport &report = run.report;

    QCOMPARE(report.attempted, 3);
    QCOMPARE(report.made, 2);
    QCOMPARE(folderEntries(app.file(u"bin/output"_s)), QStringList({u"good.pdf"_s, u"last.pdf"_s}));
    QCOMPARE(report.failures.size(), 1);
    QCOMPARE(report.failures.at(0).pdfName, u"gone.pdf"_s);
    QCOMPARE(closingMessage(report),
             u"1 of 3 PDFs could not be made:\ngone.pdf: the article "_s + missing +
                 u" could not be read: no such file or directory\n\n"
                 "Ready. Do you want to open the output folder?"_s);
    QCOMPARE(run.finished.size(), 3);
}

void ProductionRunTest::runs_missingConverterOrTemplate_stopBeforeWriting()
{
    enum Lack { NoConverter, NoTemplate, EmptyTemplate, BlankTemplate };
    for (const bool single : {false, true}) {
        for (const Lack lack : {NoConverter, NoTemplate, EmptyTemplate, BlankTemplate}) {
            TestAppFolder app(TestAppFolder::All
                              & ~(lack == NoConverter ? TestAppFolder::Converter
                                                      : TestAppFolder::Template));
            std::optional<NoConverterOnPath> noConverterOnPath;
            if (lack == NoConverter)
                noConverterOnPath.emplace(); // nor one on the PATH to fall back on
            if (lack == EmptyTemplate || lack == BlankTemplate)
                app.writeFile(u"bin/template.html"_s, lack == EmptyTemplate ? "" : " \r\n\t\n");
            const QString earlier = app.writeFile(u"bin/output/a.pdf"_s, "%PDF earlier");
            RunInput input = adInput(app);
            input.articles = {article(app, u"a.txt"_s, "words")};
            input.singleName = u"a"_s;
            input.bulk = !single;
            const QString refused = runToEnd(input).refused;

            const QString named = lack == NoConverter ? app.file(u"bin/wkhtmltopdf"_s)
                                                      : app.file(u"bin/template.html"_s);
            QVERIFY2(refused.contains(named), qPrintable(refused));
            if (lack == NoConverter)
                QVERIFY(refused.contains(u"apt-get install wkhtmltopdf"_s));
            else
                QVERIFY2(refused.contains(u"Put the page template back"_s), qPrintable(refused));
            const QStringList pages = folderEntries(app.file(u"bin"_s), u"*.html"_s);
            QVERIFY2(pages.isEmpty() || pages == QStringList{u"template.html"_s},
                     qPrintable(pages.join(u' ')));
            QCOMPARE(folderEntries(app.file(u"bin/output"_s)), QStringList{u"a.pdf"_s});
            QCOMPARE(readBytes(earlier), "%PDF earlier"_ba);
        }
    }
}

void ProductionRunTest::runs_outputFolderCannotBeMadeOrWritten_stopBeforeWriting_data()
{
    QTest::addColumn<QString>("fileAt");       // a plain file stands here
    QTest::addColumn<QString>("outputFolder"); // the folder the run is told to write into
    QTest::addColumn<QString>("why");
    // Files, not permissions: a run as root writes through any permission.
    QTest::newRow("cannot be made") << u"blocked"_s << u"blocked/output"_s << u"created"_s;
    QTest::newRow("cannot be written") << u"taken"_s << u"taken"_s << u"written"_s;
}

void ProductionRunTest::runs_outputFolderCannotBeMadeOrWritten_stopBeforeWriting()
{
    QFETCH(QString, fileAt);
    QFETCH(QString, outputFolder);
    QFETCH(QString, why);
    TestAppFolder app;
    app.installFakeConverter(kCopyingConverter);
    app.writeFile(fileAt, "not a folder");
    const QString oldPage = app.writeFile(u"bin/old.html"_s, "an earlier page");
    RunInput input = adInput(app);
    input.articles = {article(app, u"a.txt"_s, "words")};
    input.outputFolder = QDir::toNativeSeparators(app.file(outputFolder));

    const QString refused = runToEnd(input).refused;
    QVERIFY2(refused.contains(input.outputFolder) && refused.contains(why), qPrintable(refused));
    QCOMPARE(readBytes(app.file(fileAt)), QByteArray("not a folder"));
    // Nothing changed: the earlier page is still there, no new one was written.
    QCOMPARE(folderEntries(app.file(u"bin"_s), u"*.html"_s),
             QStringList({u"old.html"_s, u"template.html"_s}));
}

void ProductionRunTest::single_unreadableArticle_makesNoPdf()
{
    TestAppFolder app;
    app.installFakeConverter(kCopyingConverter);
    RunInput input = adInput(app);
    const QString missing = app.file(u"articles/gone.txt"_s);
    input.articles = {article(app, u"a.txt"_s, "words"), missing};
    input.singleName = u"all"_s;
    const RunReport report = runToEnd(single(input)).report;

    QCOMPARE(report.made, 0);
    QCOMPARE(report.failures.size(), 1);
    QCOMPARE(report.failures.at(0).pdfName, u"all.pdf"_s);
    QVERIFY(report.failures.at(0).reason.contains(missing));
    QVERIFY(!QFileInfo::exists(app.file(u"bin/all.html"_s)));
    QCOMPARE(folderEntries(app.file(u"bin/output"_s)), QStringList());
}

void ProductionRunTest::single_converterWritesNothing_failureNamed()
{
    TestAppFolder app;
    app.installFakeConverter("exit 0");
    RunInput input = adInput(app);
    input.articles = {article(app, u"a.txt"_s, "words")};
    input.singleName = u"my file"_s;
    const RunReport report = runToEnd(single(input)).report;
    QCOMPARE(closingMessage(report),
             u"1 of 1 PDFs could not be made:\nmy-file.pdf: the converter wrote no PDF\n\n"
             "Ready. Do you want to open the output folder?"_s);
}

void ProductionRunTest::bulk_conversionOfALargePageFails_saysTheArticleIsTooLarge()
{
    TestAppFolder app;
    app.installFakeConverter("exit 0"); // as wkhtmltopdf, which handles pages of a few MB
    RunInput input = adInput(app);
    input.articles = {article(app, u"small.txt"_s, "words"),
                      article(app, u"large.txt"_s, QByteArray("Many words.\n").repeated(500000))};
    const RunReport report = runToEnd(input).report;
    QCOMPARE(report.failures.size(), 2);
    for (const RunFailure &failure : report.failures)
        QCOMPARE(failure.reason.contains(u"too large for one PDF page file"_s),
                 failure.pdfName == u"large.pdf"_s);
}

void ProductionRunTest::single_unsafeName_refused()
{
    TestAppFolder app;
    app.installFakeConverter(kCopyingConverter);
    RunInput input = adInput(app);
    input.articles = {article(app, u"a.txt"_s, "words")};
    for (const QString &name : {u"../escape"_s, u".."_s}) {
        input.singleName = name;
        const QString refused = runToEnd(single(input)).refused;
        QVERIFY2(refused.contains(name), qPrintable(refused));
    }
    // "../escape" would have put the page beside bin and the PDF into bin.
    QVERIFY(!QFileInfo::exists(app.file(u"escape.html"_s)));
    QVERIFY(!QFileInfo::exists(app.file(u"bin/escape.pdf"_s)));
    QCOMPARE(folderEntries(app.file(u"bin"_s), u"*.html"_s), QStringList{u"template.html"_s});
}

void ProductionRunTest::runs_fullDisk_namedAsTheReason()
{
#ifndef Q_OS_LINUX
    QSKIP("small disks are mounted the Linux way");
#else
    // The PDF: the converter writes more than the output disk holds.
    TestAppFolder app;
    app.installFakeConverter("printf '%%PDF-1.4\\n' > \"$2\"; head -c 1000000 /dev/zero >> \"$2\"");
    const QString output = app.file(u"output"_s);
    const SmallDisk outputDisk(output, 256);
    if (!outputDisk.mounted())
        QSKIP("no small disk can be mounted here (that takes root), so no disk is made full");
    RunInput input = adInput(app);
    input.articles = {article(app, u"a.txt"_s, "words")};
    input.outputFolder = output;
    RunReport report = runToEnd(input).report;
    QCOMPARE(report.failures.size(), 1);
    QCOMPARE(report.failures.at(0).reason, u"no space left on the output disk (%1)"_s.arg(output));
    QCOMPARE(folderEntries(output), QStringList()); // what it wrote did not stay

    // The page file: the application folder's bin is on the full disk.
    TestAppFolder small(TestAppFolder::WordLists);
    const QString bin = small.file(u"bin"_s);
    const SmallDisk binDisk(bin, 256);
    small.writeFile(u"bin/template.html"_s, readBytes(app.file(u"bin/template.html"_s)));
    small.installFakeConverter("write_pdf \"$1\" \"$2\"");
    input = adInput(small);
    input.articles = {article(small, u"long.txt"_s, QByteArray(400 * 1024, 'w'))};
    input.outputFolder = small.file(u"output"_s);
    report = runToEnd(input).report;
    QCOMPARE(report.failures.size(), 1);
    QCOMPARE(report.failures.at(0).reason,
             u"no space left on the disk of the page files (%1)"_s.arg(bin));
    QVERIFY(!QFileInfo::exists(small.file(u"bin/long.html"_s)));
#endif
}

void ProductionRunTest::cancel_endsConvertersAndLaterPages()
{
    TestAppFolder app;
    app.installFakeConverter("echo $$ > \"$1.pid\"; exec sleep 30");
    RunInput input = adInput(app);
    for (const char *name : {"1.txt", "2.txt", "3.txt"})
        input.articles << article(app, QString::fromLatin1(name), "words");
    input.maxJobs = 1;
    const QString pidFile = app.file(u"bin/1.html.pid"_s);

    ProductionRun run;
    QString second;
    bool ended = false;
    RunReport report;
    QObject::connect(&run, &ProductionRun::finished, &run, [&](const RunReport &r) {
        report = r;
        ended = true;
    });
    QCOMPARE(run.start(input), QString());
    QVERIFY(run.isRunning());
    // A second run while one works is refused, not interleaved.
    second = run.start(single(input));
    QVERIFY2(second.contains(u"already"_s), qPrintable(second));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(pidFile), 10000);
    run.cancel();
    // Returns without waiting: the converter's end is heard later, in the event loop.
    QVERIFY(!ended);
    QTRY_VERIFY_WITH_TIMEOUT(ended, 10000);

    QVERIFY(report.cancelled);
    QCOMPARE(report.made, 0);
    QVERIFY(!run.isRunning());
    QVERIFY(!QFileInfo::exists(app.file(u"bin/3.html"_s)));
    QCOMPARE(folderEntries(app.file(u"bin/output"_s)), QStringList());
#ifdef Q_OS_LINUX
    const QString pid = QString::fromUtf8(readBytes(pidFile)).trimmed();
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(u"/proc/"_s + pid), 5000);
#endif
}

void ProductionRunTest::bulk_otherScripts_drawnAndRightToLeftFromTheRightMargin()
{
    if (!QFileInfo::exists(u"/usr/share/fonts/truetype/noto/NotoSansDevanagari-Regular.ttf"_s))
        QSKIP("fonts-noto-core is not installed");
    TestAppFolder app;
    RunInput input = adInput(app);
    for (const QString &name : {u"hindi.txt"_s, u"arabic.txt"_s, u"russian.txt"_s})
        input.articles << copyTestData(u"scripts/"_s + name, app.file(u"articles"_s));
    const Outcome run = runToEnd(input);
    QCOMPARE(run.report.made, 3);
    QCOMPARE(run.report.undrawn, QStringList());

    const QStringList fonts = pdfFontNames(app.file(u"bin/output/hindi.pdf"_s));
    QVERIFY2(std::any_of(fonts.cbegin(), fonts.cend(),
                         [](const QString &font) { return font.contains(u"Devanagari"_s); }),
             qPrintable(fonts.join(u", "_s)));

    // Arabic lines of different lengths end at the right margin, as far from the page's edge as
    // the Russian lines begin from the left one.
    double width = 0;
    const QList<TextLine> russian =
        linesIn(firstPageLines(app.file(u"bin/output/russian.pdf"_s), width), QChar::Script_Cyrillic);
    const QList<TextLine> arabic =
        linesIn(firstPageLines(app.file(u"bin/output/arabic.pdf"_s), width), QChar::Script_Arabic);
    QCOMPARE(russian.size(), 3);
    QCOMPARE(arabic.size(), 3);
    const double margin = russian.first().left;
    double shortest = width, longest = 0;
    for (const TextLine &line : arabic) {
        QVERIFY2(qAbs(width - line.right - margin) < 2,
                 qPrintable(u"%1: ends at %2 of %3, margin %4"_s.arg(line.text).arg(line.right).arg(
                     width).arg(margin)));
        shortest = qMin(shortest, line.right - line.left);
        longest = qMax(longest, line.right - line.left);
    }
    QVERIFY(longest - shortest > 40);
}

void ProductionRunTest::single_nameNearTheLengthLimit_made()
{
    // 251 characters: the PDF name fills the file system's 255 bytes, the page's would not
    // fit; the temporary PDF must not need more either.
    TestAppFolder app;
    app.installFakeConverter(kCopyingConverter);
    RunInput input = adInput(app);
    input.articles = {article(app, u"a.txt"_s, "words")};
    input.singleName = QString(251, u'n');
    const RunReport report = runToEnd(single(input)).report;
    QCOMPARE(report.made, 1);
    QVERIFY(QFileInfo::exists(app.file(u"bin/output/"_s + input.singleName + u".pdf"_s)));
}

void ProductionRunTest::bulk_longNames_longestArticleMadeTooLongPdfNameFailsByName()
{
    TestAppFolder app;
    app.installFakeConverter(kCopyingConverter);
    RunInput input = adInput(app);
    const QString longest = QString(251, u'l'); // with ".txt" as long as a file name can be
    input.articles = {article(app, longest + u".txt"_s, "Longest words."),
                      article(app, u"b.txt"_s, "Bee words.")};
    Outcome run = runToEnd(input);
    QCOMPARE(run.report.made, 2);
    QVERIFY(fakePdfPage(app.file(u"bin/output/"_s + longest + u".pdf"_s)).contains("Longest words."));

    // Keyword names may be longer than any file name: that PDF fails, by name, alone.
    const QString tooLong = QString(300, u'k');
    input.useOriginalNames = false;
    input.finalNames = {tooLong, u"fine"_s};
    run = runToEnd(input);
    QCOMPARE(run.report.made, 1);
    QCOMPARE(run.report.failures.size(), 1);
    QCOMPARE(run.report.failures[0].pdfName, tooLong + u".pdf"_s);
    QVERIFY2(run.report.failures[0].reason.contains(u"255"_s),
             qPrintable(run.report.failures[0].reason));
    QVERIFY(fakePdfPage(app.file(u"bin/output/fine.pdf"_s)).contains("Bee words."));
}

void ProductionRunTest::nameRepeats_countsArticlesSharingAPdfName_data()
{
    QTest::addColumn<QStringList>("articles");
    QTest::addColumn<bool>("bulk");
    QTest::addColumn<QStringList>("names"); // empty: named after the articles
    QTest::addColumn<int>("pdfNames");
    QStringList thirtyOne;
    for (int i = 0; i < 31; ++i)
        thirtyOne << u"/a/%1.txt"_s.arg(i);
    QStringList twelve;
    for (int i = 0; i < 12; ++i)
        twelve << u"name %1"_s.arg(i);
    QTest::newRow("names used in turn") << thirtyOne << true << twelve << 12;
    QTest::newRow("a name for each") << thirtyOne.mid(0, 3) << true << twelve << 3;
    QTest::newRow("two names, one file")
        << thirtyOne.mid(0, 3) << true << QStringList{u"best dog"_s, u"best  dog"_s, u"cat"_s}
        << 2;
    QTest::newRow("article names alike in two folders")
        << QStringList{u"/x/a.txt"_s, u"/y/a.txt"_s, u"/y/a b.txt"_s, u"/y/a_b.txt"_s} << true
        << QStringList() << 2;
    QTest::newRow("one PDF of all") << thirtyOne << false << twelve << 0;
}

void ProductionRunTest::nameRepeats_countsArticlesSharingAPdfName()
{
    QFETCH(QStringList, articles);
    QFETCH(bool, bulk);
    QFETCH(QStringList, names);
    QFETCH(int, pdfNames);
    RunInput input;
    input.articles = articles;
    input.bulk = bulk;
    input.useOriginalNames = names.isEmpty();
    input.finalNames = names;
    const NameRepeats repeats = nameRepeats(input);
    QCOMPARE(repeats.pdfNames, pdfNames);
    const int replaced = bulk ? int(articles.size()) - pdfNames : 0;
    QCOMPARE(repeats.replaced(), replaced);
    QCOMPARE(repeatNotice(repeats).isEmpty(), replaced == 0);
}

QTEST_GUILESS_MAIN(ProductionRunTest)

// Each page's first conversion is killed for lack of memory, "c" always: what the kernel does
// is faked by raising its count (the time, so that it only grows), then SIGKILL.
void ProductionRunTest::bulk_killedForMemory_triedAgainWithFewerAtOnce()
{
#ifndef Q_OS_UNIX
    QSKIP("signals are a Unix matter");
#else
    TestAppFolder app;
    const QByteArray log = app.file(u"conversions.log"_s).toUtf8();
    RunInput input = adInput(app);
    input.memorySources.vmstat = app.writeFile(u"vmstat"_s, "oom_kill 0\n");
    const QByteArray vmstat = input.memorySources.vmstat.toUtf8();
    app.installFakeConverter("echo start >> '" + log + "'; sleep 0.2; echo end >> '" + log + "'\n"
                             "if [ ! -e \"$1.tried\" ] || [ \"${1##*/}\" = c.html ]; then\n"
                             "  touch \"$1.tried\"\n"
                             "  echo \"oom_kill $(date +%s%N)\" > '" + vmstat + "'; kill -9 $$\n"
                             "fi\n"
                             "write_pdf \"$1\" \"$2\"");
    for (const char *name : {"a", "b", "c", "d"})
        input.articles << article(app, QString::fromLatin1(name) + u".txt"_s, name);
    input.maxJobs = 4;
    const RunReport report = runToEnd(input).report;

    QCOMPARE(report.made, 3);
    QCOMPARE(report.failures.size(), 1);
    QCOMPARE(report.failures.first().pdfName, u"c.pdf"_s);
    QVERIFY2(report.failures.first().reason.contains(u"was stopped for lack of memory"_s),
             qPrintable(report.failures.first().reason));
    // Four at first; after the first kill, at most half of that; the last try of "c" alone.
    int running = 0, starts = 0, mostAfterKill = 0;
    bool killed = false;
    for (const QByteArray &line : readBytes(app.file(u"conversions.log"_s)).split('\n')) {
        if (line == "start") {
            ++starts;
            if (killed)
                mostAfterKill = qMax(mostAfterKill, running + 1);
        }
        running += line == "start" ? 1 : line == "end" ? -1 : 0;
        killed = killed || line == "end";
    }
    QCOMPARE(starts, 4 + 3 + kMemoryRetries);
    QVERIFY2(mostAfterKill <= 2, qPrintable(QString::number(mostAfterKill)));
#endif
}

void ProductionRunTest::bulk_timeLimit_givenOrScaledWithThePage()
{
    TestAppFolder app;
    app.installFakeConverter("exec sleep 30");
    RunInput input = adInput(app);
    input.articles = {article(app, u"slow.txt"_s, "words")};
    input.conversionTimeout = std::chrono::milliseconds(500);
    const RunReport report = runToEnd(input).report;
    QCOMPARE(report.failures.size(), 1);
    QVERIFY2(report.failures.first().reason.contains(u"within 0.5 seconds"_s),
             qPrintable(report.failures.first().reason));

    // Without one, a small page gets far less than the old ten minutes, a large one more.
    QVERIFY(conversionTimeLimit(1024) < std::chrono::minutes(3));
    QVERIFY(conversionTimeLimit(20 << 20) > 4 * conversionTimeLimit(1 << 20));
}

#include "tst_production_run.moc"
