#include "frm_mass.h"

#include "article_browser.h"
#include "article_lists.h"
#include "build_info.h"
#include "converter.h"
#include "create_checks.h"
#include "frm_rc.h"
#include "keyword_names.h"
#include "mod_general.h"
#include "output_names.h"
#include "page_builder.h"
#include "page_preview.h"
#include "paths.h"
#include "t_frame.h"
#include "twips.h"

#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

// Product texts shown in the title and header.
const QString kVersion = QStringLiteral(PAPERWAKE_VERSION);
const QString kProductName = QStringLiteral("Paperwake");
const QString kEdition = QStringLiteral(" Pro");
const QString kByLine = QStringLiteral("by paperwake.app");

constexpr float kClientWidth = 17220;
constexpr float kClientHeight = 9720;

// Designed space the page area needs: the selected-article frame of page 0 reaches lowest.
constexpr float kPageContentHeight = 6690;
// The page preview sits right of the ad fields of page 1 and takes the rest of the page.
constexpr float kPreviewLeft = 11000;
constexpr float kPreviewMinimumWidth = 3000;
constexpr float kPageMargin = 300;
const QString kSingleHeadline =
    QStringLiteral("The Software Will Create 1 PDF From Each One of these Articles:");
const QString kBulkHeadline =
    QStringLiteral("The Software Will Create 1 PDF For Each One of these Articles:");

// Designed top of the Create and Open Output Folder buttons in page 2.
constexpr float kCreateButtonsTop = 5950;

const QString kSep = QDir::separator();

} // namespace

MainLayout MainLayout::designed()
{
    MainLayout layout;
    layout.frPage.fill({315, 1890, 18510, 8250});
    layout.frSinglePDFCreation = {4905, 1125, 13335, 5415};
    layout.lstSelectedArticles = {3870, 1125, 8655, 3570};
    layout.lblPleaseWait = {13095, 315, 5955, 330};
    layout.frFilename.fill({585, 540, 15045, 1590});
    layout.frFilename[1].height = 5280;
    return layout;
}

void MainLayout::resizeTo(float W, float H)
{
    // A size that would go negative (a minimised or tiny window) keeps its old value; the
    // rest still follows the window.
    auto setSize = [](float &target, float value) {
        if (value >= 0)
            target = value;
    };
    setSize(frPage[0].width, W - 800);
    setSize(frPage[0].height, H - frPage[0].top - 1700);
    setSize(frPage[1].width, frPage[0].width);
    setSize(frPage[2].width, frPage[0].width);
    setSize(frPage[1].height, frPage[0].height);
    setSize(frPage[2].height, frPage[0].height);
    setSize(frSinglePDFCreation.width, frPage[0].width - frSinglePDFCreation.left - 500);
    setSize(lstSelectedArticles.width, frSinglePDFCreation.width - lstSelectedArticles.left - 500);
    lblPleaseWait.left = W - lblPleaseWait.width - 800;
    frFilename[0].left = W / 2 - frFilename[0].width / 2;
    frFilename[1].left = W / 2 - frFilename[1].width / 2;
}

float MainLayout::minimumWidth(float selectedListWidth)
{
    const MainLayout d = designed();
    // Steps 1 and 11: page width W - 800, the frame centred on W / 2 inside it.
    const float filenames = d.frFilename[1].width + 1600;
    const float preview = kPreviewLeft + kPreviewMinimumWidth + kPageMargin + 800;
    // Steps 1, 7 and 8: the selected list is W - 800 - its frame's left - 500 - its left - 500.
    const float selected = selectedListWidth + 800 + d.frSinglePDFCreation.left + 500 +
                           d.lstSelectedArticles.left + 500;
    return std::max({filenames, preview, selected});
}

float MainLayout::minimumHeight()
{
    // Step 2: the page is H - its top - 1700 high.
    return designed().frPage[0].top + kPageContentHeight + 1700;
}

float MainLayout::extraHeight() const
{
    return std::max(0.0f, frPage[0].height - kPageContentHeight);
}

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
    // A little taller than designed so the pages keep their full height without a title bar
    // being counted in (the layout takes the outer height).
    resize(twips::toPixels(kClientWidth), twips::toPixels(kClientHeight + 600));
    buildHeader();
    buildPageButtons();
    buildPages();
    buildAdPage();
    buildCreatePage();
    buildModeOptions();
    buildSelectionAndNaming();

    // The headline over the selected list is as wide as the list and must be readable.
    const QFontMetrics metrics(lblPDFContentHeadline->font());
    const int headline = std::max(metrics.horizontalAdvance(kSingleHeadline),
                                  metrics.horizontalAdvance(kBulkHeadline));
    setMinimumSize(int(std::ceil(MainLayout::minimumWidth(twips::fromPixels(headline + 8)) /
                                 twips::kPerPixel)),
                   int(std::ceil(MainLayout::minimumHeight() / twips::kPerPixel)));

    m_run = new ProductionRun(this);
    connect(m_run, &ProductionRun::preparingPage, this, &frmMass::onPreparingPage);
    connect(m_run, &ProductionRun::pdfFinished, this,
            [this](int done, int count, const PdfResult &) { onPdfFinished(done, count); });
    connect(m_run, &ProductionRun::finished, this, &frmMass::onRunFinished);

    tmrPleaseWait = new QTimer(this);
    tmrPleaseWait->setObjectName(QStringLiteral("tmrPleaseWait"));
    tmrPleaseWait->setInterval(300);
    connect(tmrPleaseWait, &QTimer::timeout, this, &frmMass::tmrPleaseWait_Timer);

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

    lblPleaseWait = new QLabel(QStringLiteral("Please Wait"), Picture2);
    lblPleaseWait->setObjectName(QStringLiteral("lblPleaseWait"));
    lblPleaseWait->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblPleaseWait->setStyleSheet(QStringLiteral("color: rgb(224, 224, 224); font-weight: bold;"));
    lblPleaseWait->hide();

    // Shows PDFs finished of all during a run, under the busy caption.
    pbProgress = new QProgressBar(Picture2);
    pbProgress->setObjectName(QStringLiteral("pbProgress"));
    pbProgress->setAccessibleName(QStringLiteral("PDFs finished"));
    pbProgress->setTextVisible(false);
    pbProgress->hide();
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
    static const std::array<QString, 3> captions = {QStringLiteral("  PDF Content    "),
                                                    QStringLiteral("  Monetization   "),
                                                    QStringLiteral("  Create   ")};
    for (int i = 0; i < 3; ++i) {
        frPage[i] = new QGroupBox(captions[i], this);
        frPage[i]->setObjectName(QStringLiteral("frPage_%1").arg(i));
        frPage[i]->setAccessibleName(captions[i].trimmed());
    }
    // Pages 1 and 2 are designed elsewhere and moved onto page 0 at start-up.
    twips::place(frPage[0], 315, 1890, 18510, 8250);
    twips::place(frPage[1], 315, 10500, 18510, 8250);
    twips::place(frPage[2], 315, 19000, 18510, 8250);

    frSinglePDFCreation = new QGroupBox(QStringLiteral("Single PDF Creation"), frPage[0]);
    frSinglePDFCreation->setObjectName(QStringLiteral("frSinglePDFCreation"));
    lstSelectedArticles = new SelectedArticleList(frSinglePDFCreation);
    lstSelectedArticles->setObjectName(QStringLiteral("lstSelectedArticles"));

    static const std::array<QString, 2> filenameCaptions = {QStringLiteral(" Filename  "),
                                                            QStringLiteral("Filenames ")};
    for (int i = 0; i < 2; ++i) {
        frFilename[i] = new QGroupBox(filenameCaptions[i], frPage[2]);
        frFilename[i]->setObjectName(QStringLiteral("frFilename_%1").arg(i));
        frFilename[i]->setAccessibleName(filenameCaptions[i].trimmed());
    }
    frFilename[1]->hide();
}

void frmMass::buildSelectionAndNaming()
{
    m_articleBrowser =
        new ArticleBrowser(m_platform, frPage[0], frSinglePDFCreation, lstSelectedArticles);
    connect(m_articleBrowser, &ArticleBrowser::openingFolder, this,
            [this](const QString &folder) { sFolder = folder; });

    connect(m_articleBrowser, &ArticleBrowser::randomContentRequested, this,
            &frmMass::mnuDummy_Click);

    m_keywordNames = new KeywordNames(m_platform, frFilename[1]);
    m_keywordNames->setArticleCount([this] { return m_articleBrowser->fileCount(); });

    // The preview shows the first article and the mode's page.
    QAbstractItemModel *selected = lstSelectedArticles->model();
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(selected, signal, this, &frmMass::requestPreview);
    connect(selected, &QAbstractItemModel::rowsMoved, this, &frmMass::requestPreview);
    connect(selected, &QAbstractItemModel::modelReset, this, &frmMass::requestPreview);
    connect(optCreationMode[0], &QRadioButton::toggled, this, &frmMass::requestPreview);
}

namespace {

QLabel *makeLabel(const QString &text, QWidget *parent, float left, float top, float width,
                  float height, QWidget *buddy = nullptr)
{
    auto *label = new QLabel(text, parent);
    twips::place(label, left, top, width, height);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

QLineEdit *makeLineEdit(const QString &name, const QString &accessible, QWidget *parent,
                        float left, float top, float width)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setAccessibleName(accessible);
    twips::place(edit, left, top, width, 375);
    return edit;
}

QPushButton *makeButton(const QString &name, const QString &caption, QWidget *parent, float left,
                        float top, float width, float height)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAccessibleName(caption);
    twips::place(button, left, top, width, height);
    return button;
}

} // namespace

void frmMass::buildAdPage()
{
    QWidget *page = frPage[1];
    auto *heading = makeLabel(QStringLiteral("Ad Details"), page, 600, 450, 4000, 360);
    heading->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 15px;"));

    txtAdTitle = makeLineEdit(QStringLiteral("txtAdTitle"), QStringLiteral("Title:"), page, 4300,
                              1020, 6300);
    txtCTAText = makeLineEdit(QStringLiteral("txtCTAText"),
                              QStringLiteral("Call to Action Button Text:"), page, 4300, 1620, 6300);
    txtCTAURL = makeLineEdit(QStringLiteral("txtCTAURL"),
                             QStringLiteral("Call to Action Button Url:"), page, 4300, 2220, 6300);
    txtCTAURL->setText(QStringLiteral("http://"));
    makeLabel(QStringLiteral("Title:"), page, 600, 1050, 3600, 330, txtAdTitle);
    makeLabel(QStringLiteral("Call to Action Button Text:"), page, 600, 1650, 3600, 330, txtCTAText);
    makeLabel(QStringLiteral("Call to Action Button Url:"), page, 600, 2250, 3600, 330, txtCTAURL);

    auto *tip = makeLabel(QStringLiteral("Tip: You can send your visitors to any url (affiliate "
                                         "offer, squeeze page, etc)."),
                          page, 4300, 2700, 6400, 600);
    tip->setWordWrap(true);
    tip->setStyleSheet(QStringLiteral("color: #555; font-style: italic;"));
    auto *note = makeLabel(QStringLiteral("The Following Ad will be added at the beginning of the PDF:"),
                           page, 600, 3300, 10000, 330);
    note->setStyleSheet(QStringLiteral("font-weight: bold;"));

    auto *exampleCaption = makeLabel(QStringLiteral("Ad Example:"), page, 600, 3750, 3000, 330);
    auto *example = new QLabel(page);
    example->setObjectName(QStringLiteral("picAdExample"));
    example->setAccessibleName(QStringLiteral("Ad Example:"));
    example->setPixmap(QPixmap(QStringLiteral(":/paperwake/ad_example.png")));
    example->setScaledContents(true);
    example->setFrameShape(QFrame::StyledPanel);
    exampleCaption->setBuddy(example);
    twips::place(example, 600, 4100, 5400, 2100);

    m_preview = new PagePreviewView(m_appFolder, page);
    m_preview->setObjectName(QStringLiteral("PagePreview"));
    for (QLineEdit *field : {txtAdTitle, txtCTAText, txtCTAURL})
        connect(field, &QLineEdit::textChanged, this, &frmMass::requestPreview);
}

void frmMass::requestPreview()
{
    PreviewInput input;
    input.adTitle = txtAdTitle->text();
    input.ctaText = txtCTAText->text();
    input.ctaUrl = txtCTAURL->text();
    input.articles = m_articleBrowser->selectedArticles();
    input.singleRun = optCreationMode[0]->isChecked();
    m_preview->preview()->request(input);
}

void frmMass::buildCreatePage()
{
    txtPDFFilename = makeLineEdit(QStringLiteral("txtPDFFilename"), QStringLiteral("Filename"),
                                  frFilename[0], 400, 780, 12000);
    auto *hint = makeLabel(QStringLiteral("Name of the one PDF made from all selected articles:"),
                           frFilename[0], 400, 420, 12000, 330, txtPDFFilename);
    hint->setStyleSheet(QStringLiteral("color: #444;"));
    makeLabel(QStringLiteral(".pdf"), frFilename[0], 12550, 810, 1200, 330);

    cmdCreate = makeButton(QStringLiteral("cmdCreate"), QStringLiteral("Create"), frPage[2], 6000,
                           kCreateButtonsTop, 2400, 480);
    cmdCreate->setDefault(true);
    cmdOutput = makeButton(QStringLiteral("cmdOutput"), QStringLiteral("Open Output Folder"),
                           frPage[2], 8600, kCreateButtonsTop, 3000, 480);
    connect(cmdCreate, &QPushButton::clicked, this, &frmMass::cmdCreate_Click);
    connect(cmdOutput, &QPushButton::clicked, this, &frmMass::cmdOutput_Click);
    // Which converter Create will use, found anew each time the page is shown.
    // As wide as the two buttons above it, so it fits the window at its smallest.
    lblConverter = makeLabel(QString(), frPage[2], 6000, kCreateButtonsTop + 650, 5600, 700);
    lblConverter->setObjectName(QStringLiteral("lblConverter"));
    lblConverter->setWordWrap(true);
    lblConverter->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblConverter->setStyleSheet(QStringLiteral("color: #555;"));
}

void frmMass::showConverter()
{
    const QString converter = conversion::converterPath(m_appFolder);
    lblConverter->setText(
        conversion::converterProblem(converter).isEmpty()
            ? QStringLiteral("PDFs are made with %1").arg(conversion::describeConverter(converter))
            : QStringLiteral("No PDF converter was found: Create will say how to install one."));
}

void frmMass::buildModeOptions()
{
    static const std::array<QString, 2> captions = {QStringLiteral("Single PDF Creation"),
                                                    QStringLiteral("Bulk PDF Creation")};
    static const std::array<float, 2> lefts = {5025, 7905};
    for (int i = 0; i < 2; ++i) {
        optCreationMode[i] = new QRadioButton(captions[i], frPage[0]);
        optCreationMode[i]->setObjectName(QStringLiteral("optCreationMode_%1").arg(i));
        optCreationMode[i]->setAccessibleName(captions[i]);
        optCreationMode[i]->hide(); // start-up shows them
        twips::place(optCreationMode[i], lefts[i], 570, 2760, 330);
    }
    optCreationMode[0]->setChecked(true);
    // However an option becomes checked (a click, the keyboard, a screen reader's Toggle
    // action), its mode follows; start-up's own choice above runs no handler.
    for (int i = 0; i < 2; ++i)
        connect(optCreationMode[i], &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked)
                optCreationMode_Click(i);
        });

    lblPDFContentHeadline = new QLabel(kSingleHeadline, frSinglePDFCreation);
    lblPDFContentHeadline->setObjectName(QStringLiteral("lblPDFContentHeadline"));
    lblPDFContentHeadline->setBuddy(lstSelectedArticles);
    twips::place(lblPDFContentHeadline, 3870, 690, 8655, 330);
}

void frmMass::optCreationMode_Click(int index)
{
    if (index == 0) {
        frFilename[0]->show();
        frFilename[1]->hide();
        lblPDFContentHeadline->setText(kSingleHeadline);
        frSinglePDFCreation->setTitle(QStringLiteral("Single PDF Creation"));
    } else {
        lblPDFContentHeadline->setText(kBulkHeadline);
        frSinglePDFCreation->setTitle(QStringLiteral("Bulk PDF Creation"));
        frFilename[0]->hide();
        frFilename[1]->show();
    }
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
    BrowserFolder browser(m_articleBrowser);
    frmRC generator(m_appFolder, m_platform, &browser, this);
    generator.exec();
}

void frmMass::showMessage(const QString &text, const QString &title)
{
    m_platform->messageBox(this, text, title, Platform::Buttons::Ok, Platform::Icon::Information);
}

void frmMass::cmdCreate_Click()
{
    if (isRunning())
        return;
    const CreateCheck check = checkCreate(createInputFor(runInput()));
    if (check.problem != CreateProblem::None) {
        showMessage(check.message, check.title());
        return;
    }

    if (optCreationMode[0]->isChecked())
        CreateSinglePDF();
    else
        CreateBulkPDFs();
}

bool frmMass::isRunning() const
{
    return m_run && m_run->isRunning();
}

RunInput frmMass::runInput() const
{
    // Copies: the lists may change under the user's hands while the run goes on.
    RunInput input;
    input.appFolder = m_appFolder;
    input.adTitle = txtAdTitle->text();
    input.ctaText = txtCTAText->text();
    input.ctaUrl = txtCTAURL->text();
    input.articles = m_articleBrowser->selectedArticles();
    input.bulk = optCreationMode[1]->isChecked();
    input.useOriginalNames = !m_keywordNames->useKeywordNames();
    input.finalNames = m_keywordNames->finalList();
    input.namePatterns = m_keywordNames->patterns();
    input.singleName = txtPDFFilename->text();
    return input;
}

void frmMass::startRun(const RunInput &input)
{
    // Checked and prepared before anything changes: an error here means nothing was touched.
    const QString notStarted = m_run->start(input);
    if (!notStarted.isEmpty()) {
        showMessage(notStarted, QStringLiteral("Error"));
        return;
    }
    m_runArticles = int(input.articles.size());
    m_runIsBulk = input.bulk;
    tmrPleaseWait->start();
    cmdCreate->setEnabled(false);
    cmdOutput->setEnabled(false);
    pbProgress->setMaximum(input.bulk ? m_runArticles : 1);
    pbProgress->setValue(0);
    pbProgress->show();
}

void frmMass::CreateBulkPDFs()
{
    startRun(runInput());
}

void frmMass::CreateSinglePDF()
{
    const RunInput input = runInput();
    // The box shows the name that is used.
    txtPDFFilename->setText(outputnames::singleOutputName(input.singleName));
    startRun(input);
}

void frmMass::onPreparingPage(int number, int count)
{
    if (m_runIsBulk)
        lblPleaseWait->setText(QStringLiteral("Please Wait ... (Preparing File %1/%2)")
                                   .arg(number)
                                   .arg(count));
}

void frmMass::onPdfFinished(int done, int count)
{
    pbProgress->setMaximum(count);
    pbProgress->setValue(done);
}

void frmMass::onRunFinished(const RunReport &report)
{
    tmrPleaseWait->stop();
    cmdCreate->setEnabled(true);
    cmdOutput->setEnabled(true);
    pbProgress->hide();
    if (m_runIsBulk) {
        lblPleaseWait->setText(QStringLiteral("Ready."));
        lblPleaseWait->show();
    } else {
        lblPleaseWait->hide();
    }
    if (m_runArticles > 0 && m_runArticles <= lstSelectedArticles->count())
        lstSelectedArticles->setCurrentRow(m_runArticles - 1);
    closingPrompt(report);
}

void frmMass::closingPrompt(const RunReport &report)
{
    if (report.cancelled)
        return; // the window is closing
    const Platform::Answer answer =
        m_platform->messageBox(this, closingMessage(report), QStringLiteral("Done"),
                               Platform::Buttons::YesNo, Platform::Icon::Question);
    if (answer == Platform::Answer::No)
        return;
    openOutputFolder();
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
    if (isRunning())
        m_run->cancel();
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
    optCreationMode[0]->show();
    optCreationMode[1]->show();
    frSinglePDFCreation->setTitle(QStringLiteral("  Single PDF Creation  "));
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
        m_keywordNames->addPatterns(patterns);
    }

    sFolder = outputFolderFor(m_appFolder);
    // No application folder (HOME unset): "/bin/output" is nobody's to make.
    if (!m_appFolder.isEmpty() && !modGeneral::FileOrFolderExists(sFolder, true))
        QDir().mkdir(sFolder); // not mkpath: without bin this is not an application folder

    m_articleBrowser->UpdateFilesFound();
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
        txtAdTitle->setFocus();
    if (index == 2)
        showConverter();
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
    const auto place = [](QWidget *widget, const TwipRect &r) {
        if (widget)
            twips::place(widget, r.left, r.top, r.width, r.height);
    };
    for (int i = 0; i < 3; ++i)
        place(frPage[i], m_layout.frPage[i]);
    place(frSinglePDFCreation, m_layout.frSinglePDFCreation);
    place(lstSelectedArticles, m_layout.lstSelectedArticles);
    place(lblPleaseWait, m_layout.lblPleaseWait);
    place(pbProgress, {m_layout.lblPleaseWait.left, 675, m_layout.lblPleaseWait.width, 150});
    for (int i = 0; i < 2; ++i)
        place(frFilename[i], m_layout.frFilename[i]);
    Picture2->resize(width(), Picture2->height());

    // Beyond the designed steps: the lists take up the height the pages have to spare, and
    // what lies below them moves down with them.
    if (!m_articleBrowser || !m_keywordNames)
        return; // still being built
    const float extra = m_layout.extraHeight();
    TwipRect frame = m_layout.frSinglePDFCreation;
    frame.height += extra;
    place(frSinglePDFCreation, frame);
    TwipRect selected = m_layout.lstSelectedArticles;
    selected.height += extra;
    place(lstSelectedArticles, selected);
    place(lblPDFContentHeadline, {selected.left, 690, selected.width, 330});
    TwipRect filenames = m_layout.frFilename[1];
    filenames.height += extra;
    place(frFilename[1], filenames);
    m_articleBrowser->growLists(extra);
    m_keywordNames->growLists(extra);
    twips::place(cmdCreate, 6000, kCreateButtonsTop + extra, 2400, 480);
    twips::place(cmdOutput, 8600, kCreateButtonsTop + extra, 3000, 480);

    const TwipRect &adPage = m_layout.frPage[1];
    twips::place(m_preview, kPreviewLeft, kPageMargin,
                 std::max(kPreviewMinimumWidth, adPage.width - kPreviewLeft - kPageMargin),
                 std::max(0.0f, adPage.height - 2 * kPageMargin));
}

void frmMass::tmrPleaseWait_Timer()
{
    lblPleaseWait->setVisible(lblPleaseWait->isHidden());
}
