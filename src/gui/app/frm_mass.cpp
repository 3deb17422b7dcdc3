#include "frm_mass.h"

#include "ad_page.h"
#include "article_browser.h"
#include "build_info.h"
#include "content_page.h"
#include "create_checks.h"
#include "create_page.h"
#include "frm_rc.h"
#include "keyword_names.h"
#include "mod_general.h"
#include "page_preview.h"
#include "paths.h"
#include "run_panel.h"
#include "t_frame.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QResizeEvent>
#include <QScreen>
#include <QStyle>

#include <cmath>

using paths::kSep;

namespace {

// Product texts shown in the title and header.
const QString kVersion = QStringLiteral(PAPERWAKE_VERSION);
const QString kProductName = QStringLiteral("Paperwake");
const QString kEdition = QStringLiteral(" Pro");
const QString kByLine = QStringLiteral("by paperwake.app");

constexpr float kClientWidth = 17220;
constexpr float kClientHeight = 9720;

} // namespace

frmMass::frmMass(const QString &appFolder, Platform *platform, QWidget *parent)
    : QWidget(parent),
      m_appFolder(QDir::toNativeSeparators(appFolder)),
      m_platform(platform),
      m_layout(MainLayout::designed())
{
    Q_INIT_RESOURCE(paperwake); // the resources live in a static library
    if (!m_platform) {
        m_ownedPlatform = std::make_unique<QtPlatform>();
        m_platform = m_ownedPlatform.get();
    }
    // Keep a drive root's trailing separator only; other folders carry none.
    while (m_appFolder.size() > 1 && m_appFolder.endsWith(kSep)
           && !QDir(m_appFolder).isRoot())
        m_appFolder.chop(1);

    setObjectName(QStringLiteral("frmMass"));
    buildHeader();
    buildPageButtons();
    buildPages();
    wirePages();

    setMinimumSize(int(std::ceil(MainLayout::minimumWidth(articleBrowser()->selectionMinimumWidth(),
                                                          AdPage::minimumWidth(),
                                                          CreatePage::namingMinimumWidth()) /
                                 twips::kPerPixel)),
                   int(std::ceil(MainLayout::minimumHeight() / twips::kPerPixel)));
    // As designed, a little taller so the pages keep their full height without a title bar
    // being counted in (the layout takes the outer height); never larger than the screen.
    const QSize available = screen()->availableSize();
    resize(std::max(minimumWidth(), std::min(twips::toPixels(kClientWidth), available.width())),
           std::max(minimumHeight(),
                    std::min(twips::toPixels(kClientHeight + 600), available.height())));

    Form_Load();
}

frmMass::~frmMass() = default;

void frmMass::buildHeader()
{
    Picture2 = new QWidget(this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setAutoFillBackground(true);
    QPalette strip = Picture2->palette();
    strip.setColor(QPalette::Window, QColor(0, 0, 64));
    Picture2->setPalette(strip);
    twips::place(Picture2, 0, 0, kClientWidth, 870);

    lblAppName = new QLabel(Picture2);
    lblAppName->setObjectName(QStringLiteral("lblAppName"));
    lblAppName->setStyleSheet(QStringLiteral("color: white; font-size: 20px; font-weight: bold;"));
    twips::place(lblAppName, 315, 120, 4500, 420);

    lblBy = new QLabel(Picture2);
    lblBy->setObjectName(QStringLiteral("lblBy"));
    lblBy->setStyleSheet(QStringLiteral("color: silver;"));
    twips::place(lblBy, 330, 540, 4500, 270);

    m_runPanel = new RunPanel(m_platform, Picture2, this);
}

void frmMass::buildPageButtons()
{
    static const std::array<QString, 3> captions = {
        QStringLiteral("PDF Content"), QStringLiteral("Monetization"), QStringLiteral("Create!")};
    static const std::array<QStyle::StandardPixmap, 3> icons = {
        QStyle::SP_FileDialogContentsView, QStyle::SP_DialogApplyButton,
        QStyle::SP_MediaPlay};
    static const std::array<float, 3> lefts = {315, 2610, 5130};
    static const std::array<float, 3> widths = {2175, 2400, 2130};
    for (int i = 0; i < 3; ++i) {
        tButton[i] = new tFrame(style()->standardIcon(icons[i]), captions[i], this);
        tButton[i]->setObjectName(QStringLiteral("tButton_%1").arg(i));
        lblButton[i] = tButton[i]->captionLabel();
        lblButton[i]->setObjectName(QStringLiteral("lblButton_%1").arg(i));
        twips::place(tButton[i], lefts[i], 990, widths[i], 690);
        connect(tButton[i], &tFrame::clicked, this, [this, i] { tButton_Click(i); });
        connect(tButton[i], &tFrame::labelClicked, this, [this, i] { lblButton_Click(i); });
    }
}

void frmMass::buildPages()
{
    m_contentPage = new ContentPage(m_platform, this);
    m_adPage = new AdPage(m_appFolder, this);
    m_createPage = new CreatePage(m_platform, this);
    frPage = {m_contentPage, m_adPage, m_createPage};
    // Pages 1 and 2 are designed elsewhere and moved onto page 0 at start-up.
    twips::place(frPage[0], 315, 1890, 18510, 8250);
    twips::place(frPage[1], 315, 10500, 18510, 8250);
    twips::place(frPage[2], 315, 19000, 18510, 8250);
}

void frmMass::wirePages()
{
    ArticleBrowser *browser = articleBrowser();
    connect(browser, &ArticleBrowser::openingFolder, this,
            [this](const QString &folder) { sFolder = folder; });
    connect(browser, &ArticleBrowser::randomContentRequested, this, &frmMass::mnuDummy_Click);
    keywordNames()->setArticleCount([browser] { return browser->fileCount(); });

    connect(m_contentPage, &ContentPage::modeChosen, this, &frmMass::optCreationMode_Click);
    connect(m_createPage, &CreatePage::createRequested, this, &frmMass::cmdCreate_Click);
    connect(m_createPage, &CreatePage::outputFolderRequested, this, &frmMass::cmdOutput_Click);
    connect(m_runPanel, &RunPanel::runEnded, this, &frmMass::onRunEnded);
    connect(m_runPanel, &RunPanel::outputFolderWanted, this, &frmMass::openOutputFolder);

    // The preview shows the first article and the mode's page.
    connect(m_adPage, &AdPage::adChanged, this, &frmMass::requestPreview);
    connect(browser, &ArticleBrowser::selectionChanged, this, &frmMass::requestPreview);
    connect(m_contentPage, &ContentPage::modeChosen, this, &frmMass::requestPreview);
}

ArticleBrowser *frmMass::articleBrowser() const
{
    return m_contentPage->browser();
}

KeywordNames *frmMass::keywordNames() const
{
    return m_createPage->keywordNames();
}

void frmMass::requestPreview()
{
    PreviewInput input;
    input.articles = articleBrowser()->selectedArticles();
    input.singleRun = !m_contentPage->isBulk();
    m_adPage->preview(input);
}

void frmMass::optCreationMode_Click(int index)
{
    const bool bulk = index != 0;
    if (!bulk)
        m_createPage->showNaming(false);
    articleBrowser()->showMode(bulk);
    if (bulk)
        m_createPage->showNaming(true);
}

namespace {

// The generator saves into the folder the browser shows and refreshes its file list.
class BrowserFolder : public ArticleFolderAccess
{
public:
    explicit BrowserFolder(ArticleBrowser *browser) : m_browser(browser) {}
    QString folder() const override { return m_browser->folder(); }
    void refreshFiles() override { m_browser->refreshFiles(); }

private:
    ArticleBrowser *m_browser;
};

} // namespace

void frmMass::mnuDummy_Click()
{
    // A run goes on behind the generator's modal window: it needs no help from this thread.
    BrowserFolder browser(articleBrowser());
    frmRC generator(m_appFolder, m_platform, &browser, this);
    generator.exec();
}

void frmMass::showMessage(const QString &text, const QString &title)
{
    m_platform->messageBox(this, text, title, Platform::Buttons::Ok, Platform::Icon::Information);
}

void frmMass::showRefusal(const CreateCheck &check)
{
    // The page that holds the field, and the focus in it: the user need not look for either.
    switch (check.problem) {
    case CreateProblem::None:
        return;
    case CreateProblem::NoArticles:
        ShowPage(0);
        break;
    case CreateProblem::AdIncomplete:
    case CreateProblem::BadAddress:
        ShowPage(1);
        break;
    case CreateProblem::NoKeywordNames:
    case CreateProblem::NoSingleName:
    case CreateProblem::UnusableSingleName:
        ShowPage(2);
        break;
    }
    showMessage(check.message, check.title());
    switch (check.problem) {
    case CreateProblem::None:
        break;
    case CreateProblem::NoArticles:
        articleBrowser()->focusFiles();
        break;
    case CreateProblem::AdIncomplete:
        m_adPage->focusFirstEmpty();
        break;
    case CreateProblem::BadAddress:
        m_adPage->focusAddress();
        break;
    case CreateProblem::NoKeywordNames:
        keywordNames()->focusKeywords();
        break;
    case CreateProblem::NoSingleName:
    case CreateProblem::UnusableSingleName:
        m_createPage->focusSingleName();
        break;
    }
}

bool frmMass::confirmRepeatedNames(const RunInput &input)
{
    const QString notice = repeatNotice(nameRepeats(input));
    if (notice.isEmpty())
        return true;
    return m_platform->messageBox(this,
                                  notice + QStringLiteral("\n\nDo you want to create them anyway?"),
                                  QStringLiteral("Please Confirm"), Platform::Buttons::YesNo,
                                  Platform::Icon::Question) != Platform::Answer::No;
}

void frmMass::cmdCreate_Click()
{
    if (isRunning())
        return;
    const RunInput input = runInput();
    const CreateCheck check = checkCreate(createInputFor(input));
    if (check.problem != CreateProblem::None) {
        showRefusal(check);
        return;
    }
    if (!confirmRepeatedNames(input))
        return;

    if (!m_contentPage->isBulk())
        CreateSinglePDF();
    else
        CreateBulkPDFs();
}

bool frmMass::isRunning() const
{
    return m_runPanel->isRunning();
}

RunInput frmMass::runInput() const
{
    // Copies: the lists may change under the user's hands while the run goes on.
    RunInput input;
    input.appFolder = m_appFolder;
    input.adTitle = m_adPage->adTitle();
    input.ctaText = m_adPage->ctaText();
    input.ctaUrl = m_adPage->ctaUrl();
    input.articles = articleBrowser()->selectedArticles();
    input.bulk = m_contentPage->isBulk();
    input.useOriginalNames = !keywordNames()->useKeywordNames();
    input.finalNames = keywordNames()->finalList();
    input.namePatterns = keywordNames()->patterns();
    input.singleName = m_createPage->singleName();
    return input;
}

void frmMass::startRun(const RunInput &input)
{
    const QString notStarted = m_runPanel->start(input);
    if (!input.bulk)
        m_createPage->setSingleName(m_runPanel->usedName()); // the box shows the name used
    if (!notStarted.isEmpty()) {
        showMessage(notStarted, QStringLiteral("Error"));
        return;
    }
    m_createPage->setRunning(true);
}

void frmMass::CreateBulkPDFs()
{
    startRun(runInput());
}

void frmMass::CreateSinglePDF()
{
    startRun(runInput());
}

void frmMass::onRunEnded(int articles)
{
    m_createPage->setRunning(false);
    articleBrowser()->showRunEnd(articles);
}

void frmMass::openOutputFolder()
{
    // The folder start-up made sure of, drive root included.
    sFolder = outputFolderFor(m_appFolder);
    const auto failed = [window = QPointer<frmMass>(this), folder = sFolder] {
        if (window)
            window->showMessage(
                QStringLiteral("The output folder could not be opened:\n%1").arg(folder),
                QStringLiteral("Error"));
    };
    if (!m_platform->openFolder(sFolder, failed))
        failed();
}

void frmMass::closeEvent(QCloseEvent *event)
{
    // Stops the run: running converters end and no half-made page is left behind.
    m_runPanel->cancel();
    QWidget::closeEvent(event);
}

void frmMass::cmdOutput_Click()
{
    openOutputFolder();
}

void frmMass::Form_Load()
{
    // Nothing here may stop start-up: a missing bin folder or pattern file only leaves its part
    // undone.
    m_contentPage->startUp();
    m_layout.frSinglePDFCreation.top = 1125;

    setWindowTitle(kProductName + kEdition + u' ' + kVersion + u' ' + kByLine);
    lblBy->setText(kByLine);
    lblAppName->setText(kProductName + kEdition);

    for (int i = 1; i <= 2; ++i) {
        m_layout.frPage[i].left = m_layout.frPage[0].left;
        m_layout.frPage[i].top = m_layout.frPage[0].top;
    }

    const QString patternFile = m_appFolder + kSep + QStringLiteral("lstcombinations.txt");
    if (tTools1.FileExists(patternFile, false)) {
        QStringList patterns;
        tFile1.LoadList(patterns, patternFile);
        keywordNames()->addPatterns(patterns);
    }

    sFolder = outputFolderFor(m_appFolder);
    // No application folder (HOME unset): "/bin/output" is nobody's to make.
    if (!m_appFolder.isEmpty() && !modGeneral::FileOrFolderExists(sFolder, true))
        QDir().mkdir(sFolder); // not mkpath: without bin this is not an application folder

    articleBrowser()->UpdateFilesFound();
    applyLayout();
    ShowPage(0);
    requestPreview();
}

QString frmMass::outputFolderFor(const QString &appFolder)
{
    return paths::join(appFolder, QStringLiteral("bin") + kSep + QStringLiteral("output"));
}

void frmMass::ShowPage(int index)
{
    if (index < 0 || index > 2)
        return;
    for (int i = 0; i < 3; ++i)
        tButton[i]->setEnabled(i != index);
    for (int i = 0; i < 3; ++i)
        frPage[i]->setVisible(i == index);
    if (index == 1)
        m_adPage->focusTitle();
    if (index == 2)
        m_createPage->showConverter(m_appFolder);
}

void frmMass::tButton_Click(int index)
{
    ShowPage(index);
}

void frmMass::lblButton_Click(int index)
{
    ShowPage(index);
}

void frmMass::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmMass::Form_Resize()
{
    const QRect outer = frameGeometry();
    m_layout.resizeTo(twips::fromPixels(outer.width()), twips::fromPixels(outer.height()));
    applyLayout();
}

void frmMass::applyLayout()
{
    if (!m_createPage)
        return; // still being built
    for (int i = 0; i < 3; ++i)
        twips::place(frPage[i], m_layout.frPage[i]);
    m_runPanel->place(m_layout.lblPleaseWait);
    Picture2->resize(width(), Picture2->height());

    // Beyond the designed steps: the lists take up the height the pages have to spare, and
    // what lies below them moves down with them.
    const float extra = m_layout.extraHeight();
    m_contentPage->place(m_layout.frSinglePDFCreation, m_layout.lstSelectedArticles, extra);
    m_adPage->place(m_layout.frPage[1]);
    m_createPage->place(m_layout.frFilename, extra);
}
