#include "production_run.h"

#include "create_checks.h"
#include "keyword_combinations.h"
#include "leftovers.h"
#include "memory_room.h"
#include "local_names.h"
#include "output_names.h"
#include "page_builder.h"
#include "page_file.h"
#include "paths.h"
#include "safe_file_name.h"
#include "t_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QLockFile>
#include <QRegularExpression>
#include <QSet>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#endif

namespace {

const QString kQuestion = QStringLiteral("Ready. Do you want to open the output folder?");

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

// Memory one conversion may take at its peak, in MB: a converter process, or a page in
// flight in the built-in engine, plus so much per MB of page file. Measured as the peak of the
// whole process tree on Debian's READMEs and license texts, whose many short lines make many
// pages (about 850 a MB of page file): wkhtmltopdf took 191 MB on 0.6 MB and 1.3 GB on 6.1 MB;
// the built-in engine 0.6, 0.8 and 2.3 GB on 0.6, 1.2 and 6.0 MB on Debian 13, 0.7, 1.2 and
// 4.0 GB on Debian 12; it holds every printed page until the PDF is whole.
constexpr qint64 kConverterMegabytes = 100;
constexpr qint64 kConverterMegabytesPerPageMegabyte = 210;
constexpr qint64 kEnginePageMegabytes = 250;
constexpr qint64 kEngineMegabytesPerPageMegabyte = 1000;

// The time limit: a floor, so that many small pages at once on a busy machine have room, plus
// so much per MB of page file and per MB squared. Measured on a 2-core machine under a load
// of 12, on license text: a 1 KB page took 1.8 s with wkhtmltopdf and with the built-in
// engine; 0.5 MB 60 s and 153 s; 1 MB 248 s and more than 10 minutes. Both grow with the
// square of the size; the limit is about three times the slowest.
constexpr double kTimeLimitBaseSeconds = 60;
constexpr double kTimeLimitSecondsPerMegabyte = 240;
constexpr double kTimeLimitSecondsPerSquareMegabyte = 960;

qint64 conversionMegabytes(bool builtin, qint64 pageBytes)
{
    // By the fraction: a page of 10 KB costs next to nothing more than an empty one.
    const auto perPage = [pageBytes](qint64 megabytesPerMegabyte) {
        return qint64(std::ceil(double(megabytesPerMegabyte) * double(pageBytes) / (1 << 20)));
    };
    return builtin ? kEnginePageMegabytes + perPage(kEngineMegabytesPerPageMegabyte)
                   : kConverterMegabytes + perPage(kConverterMegabytesPerPageMegabyte);
}

// Whether a process of this id still exists.
bool processExists(qint64 pid)
{
#ifdef Q_OS_UNIX
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
#else
    Q_UNUSED(pid);
    return true; // never remove what may still be written
#endif
}

// The article's file name without its extension, as a PDF title.
QString articleTitle(const QString &nativeArticle)
{
    QString name = localnames::asValidName(QFileInfo(nativeArticle).fileName());
    if (const qsizetype dot = name.lastIndexOf(u'.'); dot > 0)
        name.truncate(dot);
    return name;
}

} // namespace

std::chrono::milliseconds conversionTimeLimit(qint64 pageBytes)
{
    const double megabytes = double(pageBytes) / double(1 << 20);
    const double seconds = kTimeLimitBaseSeconds + kTimeLimitSecondsPerMegabyte * megabytes
                           + kTimeLimitSecondsPerSquareMegabyte * megabytes * megabytes;
    return std::chrono::seconds(qint64(std::ceil(seconds)));
}

int defaultJobs(const QString &converter, const memoryroom::Sources &sources)
{
    const int cores = qMax(1, QThread::idealThreadCount());
    const bool builtin = conversion::isBuiltinEngine(converter);
    // Measured by the bulk benchmark: four converters per core keep the processors busy; the
    // built-in engine does best with two pages in flight per core.
    int jobs = builtin ? 2 * cores : 4 * cores;
    const qint64 available = memoryroom::availableMegabytes(sources);
    const qint64 each = conversionMegabytes(builtin, 0);
    if (available >= 0)
        jobs = int(qMin<qint64>(jobs, qMax<qint64>(1, available / each)));
    return qBound(1, jobs, kMaxJobs);
}

ProductionRun::ProductionRun(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<RunReport>();
    qRegisterMetaType<PdfResult>();
}

ProductionRun::~ProductionRun()
{
    // The launcher goes with us and ends its converters; a page being written finishes on its
    // worker and is left like any other page file.
    if (m_watcher)
        m_watcher->disconnect(this);
    releaseLock();
}

void ProductionRun::releaseLock()
{
    if (m_lock && m_lock->isLocked())
        leftovers::removeFile(m_lock->fileName());
    m_lock.reset();
}

QString ProductionRun::start(const RunInput &input)
{
    if (m_running)
        return QStringLiteral("A run is already in progress.");
    QString problem = prepare(input);
    if (problem.isEmpty()) {
        buildItems();
        problem = listPageFiles();
    }
    if (!problem.isEmpty()) {
        releaseLock();
        m_launcher.reset();
        return problem;
    }
    m_running = true;
    m_cancelled = false;
    // Reported from the event loop, so a caller hears nothing before start() has returned.
    QMetaObject::invokeMethod(this, &ProductionRun::advance, Qt::QueuedConnection);
    return {};
}

QString ProductionRun::prepare(const RunInput &input)
{
    m_input = input;
    m_report = RunReport{};
    m_madeTimes.clear();
    m_prepareNumber = 0;
    m_binFolder = paths::join(input.appFolder, QStringLiteral("bin"));
    m_outputFolder = input.outputFolder.isEmpty()
                         ? paths::join(m_binFolder, QStringLiteral("output"))
                         : input.outputFolder;

    // Everything is checked before anything is changed: first Create's naming checks, for
    // callers that start a run without them; a name that would lead elsewhere is told by name.
    if (!input.bulk)
        m_report.usedName = outputnames::singleOutputName(input.singleName);
    if (const CreateCheck naming = checkNaming(createInputFor(input));
        naming.problem != CreateProblem::None)
        return safename::isSafe(m_report.usedName) ? naming.message
                                                   : capitalized(unusableName(m_report.usedName));

    const QString converter = input.converter.isEmpty()
                                  ? conversion::converterPath(input.appFolder)
                                  : input.converter;
    if (const QString missing = conversion::converterProblem(converter); !missing.isEmpty())
        return missing;
    m_input.converter = converter;
    if (m_input.maxJobs < 1)
        m_input.maxJobs = defaultJobs(converter, input.memorySources);
    m_input.maxJobs = qMin(m_input.maxJobs, kMaxJobs);
    m_builtin = conversion::isBuiltinEngine(converter);
    m_memoryBudget = input.memoryBudgetMegabytes > 0
                         ? input.memoryBudgetMegabytes
                         : memoryroom::availableMegabytes(input.memorySources);
    m_memoryInUse = 0;

    const QString templatePath = paths::join(m_binFolder, QStringLiteral("template.html"));
    QString templateText;
    QString why;
    if (!tFile::LoadText(templateText, templatePath, &why))
        return QStringLiteral("The page template could not be read:\n%1\n%2\n\nPut the page "
                              "template back there, then try again.")
            .arg(templatePath, capitalized(why));
    // Pages from it would carry no ad, and replace the PDFs that do.
    if (templateText.trimmed().isEmpty())
        return QStringLiteral("The page template is empty:\n%1\n\nPut the page template back "
                              "there, then try again.")
            .arg(templatePath);

    // A file in the folder's own place takes no PDFs; one in a parent's place stops the making.
    const QFileInfo output(m_outputFolder);
    const bool taken = (output.exists() || output.isSymLink()) && !output.isDir();
    if (!taken && !QDir().mkpath(m_outputFolder))
        return QStringLiteral("The output folder could not be created:\n%1").arg(m_outputFolder);
    if (taken || !QFileInfo(m_outputFolder).isWritable())
        return QStringLiteral("No PDF can be written into the output folder:\n%1\n\n"
                              "Allow writing there, then try again.")
            .arg(m_outputFolder);

    // Two runs on one application folder (window or command line) would remove or overwrite
    // each other's page files.
    const QString lockPath = paths::join(m_binFolder, QStringLiteral(".paperwake-run.lock"));
    m_lock = std::make_unique<QLockFile>(lockPath);
    if (m_lock->tryLock(0))
        leftovers::addFile(lockPath);
    else if (m_lock->error() == QLockFile::LockFailedError)
        return QStringLiteral("Another run is making PDFs in %1 at the moment.\n\nWait until it "
                              "has finished, then try again.")
            .arg(input.appFolder);

    // Writing appends, so a run must not start while an old page file stays.
    const QStringList stuck = removeOldPageFiles(input.appFolder);
    if (!stuck.isEmpty())
        return QStringLiteral("These page files from an earlier run could not be removed from "
                              "the folder %1:\n%2\n\nClose any program that uses them or remove "
                              "them yourself, then try again.")
            .arg(m_binFolder, stuck.join(u'\n'));
    removeStalePartialPdfs(m_outputFolder);

    // The ad is on every PDF: told once.
    if (const QString ad = pagefile::undrawnAdLine(input.adTitle, input.ctaText); !ad.isEmpty())
        m_report.undrawn << ad;

    m_filledTemplate = pagebuilder::prepareTemplate(templateText, input.adTitle, input.ctaText,
                                                    buttonAddress(input.ctaUrl));
    m_launcher = std::make_unique<ConversionLauncher>(converter);
    m_launcher->setPdfChecks(input.finishPdfs);
    m_launcher->setMemorySources(input.memorySources);
    connect(m_launcher.get(), &ConversionLauncher::finished, this,
            &ProductionRun::onConversionFinished);
    return {};
}

void ProductionRun::buildItems()
{
    m_queue.clear();
    m_ready.clear();
    m_converting.clear();
    m_preparing.reset();
    m_pdfOrder.clear();
    if (!m_input.bulk) {
        const QString name = m_report.usedName;
        Item item;
        item.properties = {m_input.title.isEmpty() ? m_input.singleName : m_input.title,
                           m_input.subject.isEmpty() ? m_input.adTitle : m_input.subject,
                           m_input.keywords, m_input.author, {}};
        item.articles = m_input.articles;
        item.pdfName = name + QStringLiteral(".pdf");
        item.pdfPath = paths::join(m_outputFolder, item.pdfName);
        item.pagePath = freePagePath(outputnames::singlePageFileName(name));
        m_queue.push_back(item);
        m_count = 1;
        return;
    }
    const QStringList &names = m_input.finalNames;
    const QStringList pdfNames = bulkPdfNames(m_input);
    for (qsizetype i = 0; i < m_input.articles.size(); ++i) {
        const QString &article = m_input.articles.at(i);
        const QString nativeArticle = QDir::toNativeSeparators(article);
        const QString pageName =
            outputnames::bulkPageFileName(outputnames::articleBaseName(nativeArticle));
        Item item;
        item.articles = {article};
        item.pdfName = pdfNames.at(i);
        item.properties.subject = m_input.adTitle;
        item.properties.author = m_input.author;
        if (m_input.useOriginalNames) {
            item.properties.title = articleTitle(nativeArticle);
        } else {
            const QString &name = names.at(i % names.size());
            item.properties.title = name; // as the user sees it, spaces and all
            item.properties.keywords = keywordOfName(name, m_input.namePatterns);
        }
        item.pdfPath = paths::join(m_outputFolder, item.pdfName);
        item.pagePath = freePagePath(pageName);
        if (!safename::isSafe(pageName) || !safename::isSafe(item.pdfName))
            item.problem = unusableName(safename::isSafe(item.pdfName) ? pageName : item.pdfName);
        else if (!outputnames::fitsFileSystem(item.pdfName))
            item.problem = QStringLiteral("the name is longer than a file name can be (%1 bytes, "
                                          "at most %2)")
                               .arg(QFile::encodeName(item.pdfName).size())
                               .arg(outputnames::kMaxFileNameBytes);
        m_queue.push_back(item);
        m_pdfOrder << item.pdfPath;
    }
    m_count = int(m_input.articles.size());
}

QString ProductionRun::freePagePath(const QString &pageName) const
{
    // Our own pages of earlier runs are gone by now: whatever has a page's name is the user's.
    QString name = pageName;
    for (int n = 2;; ++n) {
        const QFileInfo taken(paths::join(m_binFolder, name));
        if (!taken.exists() && !taken.isSymLink())
            return taken.filePath();
        name = outputnames::numberedPageFileName(pageName, n);
    }
}

QString ProductionRun::listPageFiles() const
{
    QStringList names;
    for (const Item &item : m_queue)
        if (item.problem.isEmpty())
            names << QFileInfo(item.pagePath).fileName();
    const QString list = paths::join(m_binFolder, kPageListName);
    QString why;
    if (!tFile::SaveText(names.join(u'\n'), list, &why))
        return QStringLiteral("The list of page files could not be written:\n%1 (%2)\n\nAllow "
                              "writing there, then try again.")
            .arg(list, why);
    return {};
}

namespace {

// Names that differ only in case are one file on a FAT stick or a case-folded folder: waiting
// for such a name costs little on other file systems and keeps the order there.
bool mayBeOneFile(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

bool ProductionRun::pageBusy(const QString &pagePath) const
{
    // A page still to be read by a converter must not be written over.
    for (const Item &item : m_ready)
        if (mayBeOneFile(item.pagePath, pagePath))
            return true;
    for (const Item &item : m_converting)
        if (mayBeOneFile(item.pagePath, pagePath))
            return true;
    return false;
}

bool ProductionRun::pdfBusy(const QString &pdfPath, qsizetype readyIndex) const
{
    // The later article of a PDF name converts after the earlier one, so the later one wins.
    for (const Item &item : m_converting)
        if (mayBeOneFile(item.pdfPath, pdfPath))
            return true;
    for (qsizetype i = 0; i < readyIndex; ++i)
        if (mayBeOneFile(m_ready.at(i).pdfPath, pdfPath))
            return true;
    return false;
}

void ProductionRun::advance()
{
    if (!m_running)
        return;
    if (!m_cancelled) {
        // Start conversions while slots are free, in order, skipping only what must wait.
        for (qsizetype i = 0; i < qsizetype(m_ready.size())
                              && m_converting.size() < m_input.maxJobs;) {
            Item item = m_ready.at(i);
            if (pdfBusy(item.pdfPath, i)) {
                ++i;
                continue;
            }
            // Large pages take converters large amounts of memory: one waits until what runs
            // leaves room for it, and runs alone when nothing would.
            item.pageBytes = QFileInfo(item.pagePath).size();
            item.megabytes = conversionMegabytes(m_builtin, item.pageBytes);
            if (m_memoryBudget > 0 && !m_converting.isEmpty()
                && m_memoryInUse + item.megabytes > m_memoryBudget)
                break;
            item.timeout = m_input.conversionTimeout.count() > 0 ? m_input.conversionTimeout
                                                                 : conversionTimeLimit(item.pageBytes);
            const int id =
                m_launcher->start(item.pagePath, item.pdfPath, item.properties, item.timeout);
            m_memoryInUse += item.megabytes;
            m_converting.insert(id, item);
            m_ready.erase(m_ready.begin() + i);
        }
        // Items known to fail get their result without waiting for a page.
        while (!m_queue.empty() && !m_queue.front().problem.isEmpty()) {
            const Item item = m_queue.front();
            m_queue.pop_front();
            ++m_prepareNumber;
            emit preparingPage(m_prepareNumber, m_count);
            record(item, {item.pdfName, false, item.problem});
        }
        // Write the next page while the converters work, a few pages ahead at most.
        if (!m_preparing && !m_queue.empty() && qsizetype(m_ready.size()) < m_input.maxJobs
            && !pageBusy(m_queue.front().pagePath)) {
            Item item = m_queue.front();
            m_queue.pop_front();
            startPreparing(std::move(item));
        }
    }
    finishIfDone();
}

void ProductionRun::startPreparing(Item item)
{
    ++m_prepareNumber;
    emit preparingPage(m_prepareNumber, m_count);
    m_preparing = std::make_unique<Item>(std::move(item));
    m_watcher = std::make_unique<QFutureWatcher<Prepared>>();
    connect(m_watcher.get(), &QFutureWatcherBase::finished, this, &ProductionRun::onPrepared);
    // Reading, decoding and composing a large article must not hold up the caller's thread.
    const Item &it = *m_preparing;
    m_watcher->setFuture(QtConcurrent::run(
        [pagePath = it.pagePath, filled = m_filledTemplate, articles = it.articles,
         single = !m_input.bulk] {
            Prepared prepared{pagePath, {}, {}};
            prepared.failure =
                pagefile::writePage(pagePath, filled, articles, single, &prepared.undrawn);
            return prepared;
        }));
}

void ProductionRun::onPrepared()
{
    const Prepared prepared = m_watcher->result();
    // It is the sender of this call: it goes once the call is over.
    m_watcher.release()->deleteLater();
    const std::unique_ptr<Item> item = std::move(m_preparing);
    if (!m_cancelled) {
        item->undrawn = prepared.undrawn;
        if (prepared.failure.isEmpty())
            m_ready.push_back(*item);
        else
            record(*item, {item->pdfName, false, prepared.failure});
    }
    advance();
}

void ProductionRun::cancel()
{
    if (!m_running || m_cancelled)
        return;
    m_cancelled = true;
    m_queue.clear();
    m_ready.clear();
    if (m_launcher)
        m_launcher->stopAll();
    finishIfDone();
}

void ProductionRun::onConversionFinished(int id, ConversionOutcome outcome, const QString &detail)
{
    const auto it = m_converting.constFind(id);
    if (it == m_converting.cend())
        return;
    Item item = *it;
    m_memoryInUse -= item.megabytes;
    m_converting.erase(it);
    if (outcome == ConversionOutcome::OutOfMemory && !m_cancelled) {
        // Fewer at once from now on: half of what ran when it was killed.
        const int running = int(m_converting.size()) + 1;
        m_input.maxJobs = qMax(1, qMin(m_input.maxJobs, running) / 2);
        if (item.memoryRetries < kMemoryRetries) {
            ++item.memoryRetries;
            m_ready.push_front(item);
            advance();
            return;
        }
    }
    PdfResult result{item.pdfName, outcome == ConversionOutcome::Made, {}};
    if (!result.made) {
        result.reason = outcomeReason(outcome, item.timeout);
        if (!detail.isEmpty())
            result.reason += QStringLiteral(" (%1)").arg(detail);
        if (outcome != ConversionOutcome::Stopped)
            result.reason += conversion::tooLargeAdvice(m_input.converter, item.pageBytes);
    }
    record(item, result, outcome == ConversionOutcome::Stopped);
    advance();
}

void ProductionRun::record(const Item &item, const PdfResult &result, bool stopped)
{
    ++m_report.attempted;
    if (result.made) {
        ++m_report.made;
        m_report.pdfsMade << item.pdfPath;
        m_report.undrawn << item.undrawn;
        ++m_madeTimes[item.pdfPath];
    } else {
        m_report.failures << RunFailure{result.pdfName, result.reason, stopped};
    }
    emit pdfFinished(m_report.attempted, m_count, result);
}

void ProductionRun::finishIfDone()
{
    if (!m_running || m_preparing || !m_converting.isEmpty())
        return;
    if (!m_cancelled && (!m_queue.empty() || !m_ready.empty()))
        return;
    // Each name once, in the order of the articles, however the conversions ended.
    QStringList seen;
    for (const QString &pdf : std::as_const(m_pdfOrder)) {
        if (seen.contains(pdf))
            continue;
        seen << pdf;
        if (const int times = m_madeTimes.value(pdf); times > 1)
            m_report.replaced << RunReplacement{QFileInfo(pdf).fileName(), times};
    }
    m_report.cancelled = m_cancelled;
    m_running = false;
    // We may be inside the launcher's own signal.
    if (m_launcher)
        m_launcher.release()->deleteLater();
    releaseLock();
    const RunReport report = m_report;
    emit finished(report);
}

QStringList bulkPdfNames(const RunInput &input)
{
    QStringList pdfNames;
    pdfNames.reserve(input.articles.size());
    const QStringList &names = input.finalNames;
    for (qsizetype i = 0; i < input.articles.size(); ++i) {
        if (input.useOriginalNames)
            // Native separators, so the clean name never keeps a folder part on Windows.
            pdfNames << outputnames::bulkPdfName(QDir::toNativeSeparators(input.articles.at(i)));
        else if (!names.isEmpty())
            pdfNames << outputnames::keywordPdfName(names.at(i % names.size()));
    }
    return pdfNames;
}

NameRepeats nameRepeats(const RunInput &input)
{
    NameRepeats repeats;
    if (!input.bulk)
        return repeats;
    const QStringList pdfNames = bulkPdfNames(input);
    QSet<QString> different;
    for (const QString &name : pdfNames)
        different.insert(outputnames::fileNameKey(name));
    repeats.articles = int(pdfNames.size());
    repeats.pdfNames = int(different.size());
    return repeats;
}

QString repeatNotice(const NameRepeats &repeats)
{
    if (repeats.replaced() <= 0)
        return {};
    const auto pdfs = [](int n) {
        return n == 1 ? QStringLiteral("1 PDF") : QStringLiteral("%1 PDFs").arg(n);
    };
    return QStringLiteral("%1 articles, but only %2 different PDF %3: %4 will replace %5 of the "
                          "same name made earlier in this run, and %6 will be kept.")
        .arg(repeats.articles)
        .arg(repeats.pdfNames)
        .arg(repeats.pdfNames == 1 ? QStringLiteral("name") : QStringLiteral("names"),
             pdfs(repeats.replaced()),
             repeats.replaced() == 1 ? QStringLiteral("one") : QStringLiteral("ones"),
             pdfs(repeats.pdfNames));
}

int RunReport::pdfsKept() const
{
    QSet<QString> different;
    for (const QString &pdf : pdfsMade)
        different.insert(outputnames::fileNameKey(pdf));
    return int(different.size());
}

QStringList replacementLines(const RunReport &report)
{
    QStringList lines;
    for (const RunReplacement &r : report.replaced)
        lines << QStringLiteral("%1: made from %2 articles; the last one is kept")
                     .arg(r.pdfName)
                     .arg(r.times);
    return lines;
}

QString closingMessage(const RunReport &report)
{
    QStringList lines;
    if (report.cancelled)
        lines << (report.made == 0   ? QStringLiteral("The run was stopped before any PDF was made.")
                  : report.made == 1 ? QStringLiteral("The run was stopped: 1 PDF was made before "
                                                      "the stop.")
                                     : QStringLiteral("The run was stopped: %1 PDFs were made "
                                                      "before the stop.")
                                           .arg(report.made));
    // What the stop ended did not fail.
    QList<RunFailure> failures;
    for (const RunFailure &failure : report.failures)
        if (!failure.stopped)
            failures << failure;
    const qsizetype attempted = report.made + failures.size();
    if (!lines.isEmpty() && (!failures.isEmpty() || !report.undrawn.isEmpty()))
        lines << QString();
    if (!failures.isEmpty() && report.undrawn.isEmpty())
        lines << QStringLiteral("%1 of %2 PDFs could not be made:")
                     .arg(failures.size())
                     .arg(attempted);
    else if (!failures.isEmpty())
        lines << QStringLiteral("%1 of %2 PDFs could not be made, and some that were made hold "
                                "characters no font here can draw:")
                     .arg(failures.size())
                     .arg(attempted);
    else if (!report.undrawn.isEmpty())
        lines << QStringLiteral("Made, but some PDFs hold characters no font here can draw:");
    for (const RunFailure &failure : std::as_const(failures))
        lines << failure.pdfName + QStringLiteral(": ") + failure.reason;
    lines << report.undrawn;
    if (!report.replaced.isEmpty()) {
        if (!lines.isEmpty())
            lines << QString();
        lines << QStringLiteral("Several articles went to one PDF name; each replaced the one "
                                "before:");
        lines << replacementLines(report);
    }
    if (lines.isEmpty())
        return kQuestion;
    return lines.join(u'\n') + QStringLiteral("\n\n") + kQuestion;
}

QStringList removeOldPageFiles(const QString &appFolder)
{
    const QDir bin(paths::join(appFolder, QStringLiteral("bin")));
    QStringList listed;
    if (!tFile::LoadList(listed, bin.filePath(kPageListName)))
        return {};
    QStringList notRemoved;
    for (const QString &name : std::as_const(listed)) {
        // Only a page name of ours: an edited list must not reach other files or folders.
        if (!name.endsWith(QStringLiteral(".html")) || !safename::isSafe(name)
            || outputnames::isTemplateFileName(name))
            continue;
        const QFileInfo page(bin.filePath(name));
        if ((page.exists() && !page.isDir()) || page.isSymLink())
            if (!QFile::remove(page.filePath()))
                notRemoved << name;
    }
    return notRemoved;
}

int removeStalePartialPdfs(const QString &folder)
{
    static const QRegularExpression partial(QStringLiteral("^\\.pw-(\\d+)-\\d+\\.part$"));
    QDir dir(folder);
    int removed = 0;
    const QStringList names =
        dir.entryList({QStringLiteral(".pw-*.part")}, QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        const auto match = partial.match(name);
        if (!match.hasMatch())
            continue;
        const qint64 pid = match.captured(1).toLongLong();
        if (pid == QCoreApplication::applicationPid() || processExists(pid))
            continue;
        if (dir.remove(name))
            ++removed;
    }
    return removed;
}
