#include "production_run.h"

#include "article_reader.h"
#include "modutf8.h"
#include "output_names.h"
#include "page_builder.h"
#include "safe_file_name.h"
#include "t_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QTimer>

namespace {

const QString kQuestion = QStringLiteral("Ready. Do you want to open the output folder?");

QString inFolder(const QString &folder, const QString &name)
{
    return folder + QDir::separator() + name;
}

// Why name cannot be a file name, as the tail of a sentence.
QString unusableName(const QString &name)
{
    const QString characters = safename::forbiddenCharacters(name);
    if (characters.isEmpty())
        return QStringLiteral("the name \"%1\" cannot be used as a file name").arg(name);
    return QStringLiteral("the name \"%1\" cannot be used as a file name; these characters are "
                          "not allowed: %2")
        .arg(name, safename::describe(characters));
}

QString capitalized(QString text)
{
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    return text + u'.';
}

} // namespace

struct ProductionRun::Context
{
    RunInput input;
    RunObserver *observer = nullptr;
    RunReport *report = nullptr;
    QString binFolder;
    QString outputFolder;
    QString filledTemplate;
    int count = 0;
    QHash<int, Conversion> inFlight;

    bool pageInUse(const QString &pagePath) const
    {
        for (const Conversion &c : inFlight)
            if (pagebuilder::sameFileName(c.pagePath, pagePath))
                return true;
        return false;
    }
    bool pdfInUse(const QString &pdfPath) const
    {
        for (const Conversion &c : inFlight)
            if (pagebuilder::sameFileName(c.pdfPath, pdfPath))
                return true;
        return false;
    }
};

ProductionRun::ProductionRun(QObject *parent) : QObject(parent) {}

ProductionRun::~ProductionRun()
{
    cancel();
}

bool ProductionRun::begin(const RunInput &input, RunObserver *observer, RunReport &report)
{
    if (m_running) {
        report.error = QStringLiteral("A run is already in progress.");
        return false;
    }
    m_running = true;
    m_cancelled = false;
    m_context = std::make_unique<Context>();
    Context &c = *m_context;
    c.input = input;
    c.observer = observer;
    c.report = &report;
    c.binFolder = inFolder(input.appFolder, QStringLiteral("bin"));
    c.outputFolder = input.outputFolder.isEmpty() ? inFolder(c.binFolder, QStringLiteral("output"))
                                                  : input.outputFolder;
    if (c.input.maxJobs < 1)
        c.input.maxJobs = 1;

    m_launcher = std::make_unique<ConversionLauncher>(conversion::converterPath(input.appFolder));
    m_launcher->setTimeout(input.conversionTimeout);
    connect(m_launcher.get(), &ConversionLauncher::finished, this,
            &ProductionRun::onConversionFinished);
    return true;
}

void ProductionRun::end()
{
    m_launcher.reset();
    m_context.reset();
    m_running = false;
}

bool ProductionRun::prepareFolders(Context &c, RunReport &report)
{
    // Checked before anything is written, so a missing converter leaves no trace.
    report.error = conversion::converterProblem(m_launcher->converter());
    if (!report.error.isEmpty())
        return false;

    const QString templatePath = inFolder(c.binFolder, QStringLiteral("template.html"));
    QString templateText;
    if (!tFile::LoadText(templateText, templatePath)) {
        report.error = QStringLiteral("The page template could not be read:\n%1").arg(templatePath);
        return false;
    }
    c.filledTemplate = pagebuilder::prepareTemplate(templateText, c.input.adTitle, c.input.ctaText,
                                                    c.input.ctaUrl);

    if (!QDir().mkpath(c.outputFolder)) {
        report.error =
            QStringLiteral("The output folder could not be created:\n%1").arg(c.outputFolder);
        return false;
    }
    if (!QFileInfo(c.outputFolder).isWritable()) {
        report.error = QStringLiteral("No PDF can be written into the output folder:\n%1\n\n"
                                      "Allow writing there, then try again.")
                           .arg(c.outputFolder);
        return false;
    }
    return true;
}

RunReport ProductionRun::runBulk(const RunInput &input, RunObserver *observer)
{
    RunReport report;
    if (!begin(input, observer, report))
        return report;
    Context &c = *m_context;
    if (!c.input.useOriginalNames && c.input.finalNames.isEmpty()) {
        report.error = QStringLiteral("There are no output names in the keyword list.");
        end();
        return report;
    }
    if (!prepareFolders(c, report)) {
        end();
        return report;
    }

    const QStringList &articles = c.input.articles;
    const QStringList &names = c.input.finalNames;
    c.count = int(articles.size());
    qsizetype nameIndex = 0;
    for (qsizetype i = 0; i < articles.size() && !m_cancelled; ++i) {
        if (c.observer)
            c.observer->preparingPage(int(i) + 1, c.count);
        const QString &article = articles.at(i);
        // Native separators, so the clean name never keeps a folder part on Windows.
        const QString nativeArticle = QDir::toNativeSeparators(article);
        const QString pageName =
            pagebuilder::bulkPageFileName(outputnames::articleBaseName(nativeArticle));
        QString pdfName;
        if (c.input.useOriginalNames) {
            pdfName = outputnames::bulkPdfName(nativeArticle);
        } else {
            pdfName = outputnames::keywordPdfName(names.at(nameIndex));
            nameIndex = nameIndex + 1 < names.size() ? nameIndex + 1 : 0;
        }
        const QString pdfPath = inFolder(c.outputFolder, pdfName);
        const QString pagePath = inFolder(c.binFolder, pageName);

        if (!safename::isSafe(pageName) || !safename::isSafe(pdfName)) {
            record(c,
                   {pdfName, false, unusableName(safename::isSafe(pdfName) ? pageName : pdfName)},
                   pdfPath);
            continue;
        }
        QString text;
        QString reason;
        if (!articlereader::readArticle(article, text, reason)) {
            record(c, {pdfName, false, articlereader::failureText(article, reason)}, pdfPath);
            continue;
        }
        const QString page =
            pagebuilder::composePage(c.filledTemplate, pagebuilder::articleToHtml(text));

        // An earlier conversion may still be reading a page of the same name.
        waitUntil(c, [&] { return !c.pageInUse(pagePath); });
        if (m_cancelled)
            break;
        if (!writePage(c, pagePath, page, pdfName, pdfPath))
            continue;
        // A later article of the same PDF name waits for the earlier one, so the later one wins.
        waitUntil(c, [&] { return c.inFlight.size() < c.input.maxJobs && !c.pdfInUse(pdfPath); });
        if (m_cancelled)
            break;
        launch(c, pagePath, pdfPath, pdfName);
    }
    waitUntil(c, [&] { return c.inFlight.isEmpty(); });
    report.cancelled = m_cancelled;
    end();
    return report;
}

RunReport ProductionRun::runSingle(const RunInput &input, RunObserver *observer)
{
    RunReport report;
    report.usedName = pagebuilder::singleOutputName(input.singleName);
    if (!begin(input, observer, report))
        return report;
    Context &c = *m_context;
    const QString name = report.usedName;
    if (name.isEmpty())
        report.error = QStringLiteral("No name was given for the PDF.");
    else if (!safename::isSafe(name))
        report.error = capitalized(unusableName(name));
    if (!report.error.isEmpty() || !prepareFolders(c, report)) {
        end();
        return report;
    }

    const QString pdfName = name + QStringLiteral(".pdf");
    const QString pdfPath = inFolder(c.outputFolder, pdfName);
    const QString pagePath = inFolder(c.binFolder, pagebuilder::singlePageFileName(name));
    c.count = 1;

    QStringList articleHtml;
    for (const QString &article : c.input.articles) {
        QString text;
        QString reason;
        if (!articlereader::readArticle(article, text, reason)) {
            record(c, {pdfName, false, articlereader::failureText(article, reason)}, pdfPath);
            end();
            return report;
        }
        articleHtml << pagebuilder::articleToHtml(text);
    }
    const QString page =
        pagebuilder::composePage(c.filledTemplate, pagebuilder::singleRunArticlePart(articleHtml));
    if (writePage(c, pagePath, page, pdfName, pdfPath) && !m_cancelled) {
        launch(c, pagePath, pdfPath, pdfName);
        waitUntil(c, [&] { return c.inFlight.isEmpty(); });
    }
    report.cancelled = m_cancelled;
    end();
    return report;
}

void ProductionRun::cancel()
{
    if (!m_running || m_cancelled)
        return;
    m_cancelled = true;
    if (m_launcher)
        m_launcher->stopAll();
    if (m_loop)
        m_loop->quit();
}

bool ProductionRun::writePage(Context &c, const QString &pagePath, const QString &page,
                              const QString &pdfName, const QString &pdfPath)
{
    // Writing appends, so a page of this name from before has to go first.
    const QFileInfo existing(pagePath);
    if ((existing.exists() || existing.isSymLink()) && !QFile::remove(pagePath)) {
        record(c,
               {pdfName, false,
                QStringLiteral("the old page file could not be removed: %1").arg(pagePath)},
               pdfPath);
        return false;
    }
    modUTF8::AppendFile file = modUTF8::OpenFileForAppend(pagePath);
    bool written = file.isOpen() && modUTF8::WriteUTF8(file, page, false);
    if (file.isOpen() && !file.close())
        written = false;
    if (!written) {
        // A page cut short must not be taken for a good one later.
        QFile::remove(pagePath);
        record(c,
               {pdfName, false,
                QStringLiteral("the page file could not be written: %1 (%2)")
                    .arg(pagePath, file.errorString())},
               pdfPath);
        return false;
    }
    return true;
}

void ProductionRun::launch(Context &c, const QString &pagePath, const QString &pdfPath,
                           const QString &pdfName)
{
    const int id = m_launcher->start(pagePath, pdfPath);
    c.inFlight.insert(id, {pdfName, pdfPath, pagePath});
    if (c.observer)
        c.observer->keepAlive();
    QCoreApplication::processEvents();
}

void ProductionRun::onConversionFinished(int id, ConversionOutcome outcome, const QString &detail)
{
    if (!m_context)
        return;
    Context &c = *m_context;
    const auto it = c.inFlight.constFind(id);
    if (it == c.inFlight.cend())
        return;
    const Conversion conversion = *it;
    c.inFlight.erase(it);
    PdfResult result{conversion.pdfName, outcome == ConversionOutcome::Made, {}};
    if (!result.made) {
        result.reason = outcomeReason(outcome, c.input.conversionTimeout);
        if (!detail.isEmpty())
            result.reason += QStringLiteral(" (%1)").arg(detail);
    }
    record(c, result, conversion.pdfPath);
    if (m_loop)
        m_loop->quit();
}

void ProductionRun::record(Context &c, const PdfResult &result, const QString &pdfPath)
{
    RunReport &report = *c.report;
    ++report.attempted;
    if (result.made) {
        ++report.made;
        report.pdfsMade << pdfPath;
    } else {
        report.failures << RunFailure{result.pdfName, result.reason};
    }
    if (c.observer)
        c.observer->pdfFinished(report.attempted, c.count, result);
}

template <typename Ready> void ProductionRun::waitUntil(Context &c, Ready ready)
{
    while (!m_cancelled && !ready()) {
        QEventLoop loop;
        m_loop = &loop;
        // Wakes up now and then even when no converter ends, for the caller's keep-alive.
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        loop.exec();
        m_loop = nullptr;
        if (c.observer)
            c.observer->keepAlive();
    }
}

QString closingMessage(const RunReport &report)
{
    if (report.failures.isEmpty())
        return kQuestion;
    QStringList lines;
    lines << QStringLiteral("%1 of %2 PDFs could not be made:")
                 .arg(report.failures.size())
                 .arg(report.attempted);
    for (const RunFailure &failure : report.failures)
        lines << failure.pdfName + QStringLiteral(": ") + failure.reason;
    return lines.join(u'\n') + QStringLiteral("\n\n") + kQuestion;
}

QStringList removeOldPageFiles(const QString &appFolder)
{
    QDir bin(inFolder(appFolder, QStringLiteral("bin")));
    QStringList notRemoved;
    const QStringList pages =
        bin.entryList({QStringLiteral("*.html")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : pages) {
        if (pagebuilder::sameFileName(name, QStringLiteral("template.html")))
            continue;
        if (!bin.remove(name))
            notRemoved << name;
    }
    return notRemoved;
}

ApplicationFolderLock::ApplicationFolderLock(const QString &appFolder)
{
    const QString bin = appFolder + QDir::separator() + QStringLiteral("bin");
    if (!QFileInfo(bin).isDir())
        return;
    m_lock = std::make_unique<QLockFile>(bin + QDir::separator() + QStringLiteral(".paperwake-run.lock"));
    m_acquired = m_lock->tryLock(0) || m_lock->error() != QLockFile::LockFailedError;
}

ApplicationFolderLock::~ApplicationFolderLock() = default;

QString prepareForRun(const QString &appFolder, std::unique_ptr<ApplicationFolderLock> &lock)
{
    // Without a converter nothing can be made: say so before the old pages are touched.
    const QString converterMissing =
        conversion::converterProblem(conversion::converterPath(appFolder));
    if (!converterMissing.isEmpty())
        return converterMissing;

    lock = std::make_unique<ApplicationFolderLock>(appFolder);
    if (!lock->acquired()) {
        lock.reset();
        return QStringLiteral("Another run is making PDFs in %1 at the moment.\n\nWait until it "
                              "has finished, then try again.")
            .arg(appFolder);
    }

    // Writing appends, so a run must not start while an old page file stays.
    const QStringList stuck = removeOldPageFiles(appFolder);
    if (!stuck.isEmpty()) {
        lock.reset();
        return QStringLiteral("These page files from an earlier run could not be removed from "
                              "the folder %1:\n%2\n\nClose any program that uses them or remove "
                              "them yourself, then try again.")
            .arg(appFolder + QDir::separator() + QStringLiteral("bin"), stuck.join(u'\n'));
    }
    return {};
}
