#include "frm_mass.h"

#include "article_browser.h"
#include "keyword_names.h"
#include "mod_general.h"
#include "t_frame.h"
#include "twips.h"

#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QResizeEvent>
#include <QStyle>
#include <QTimer>

namespace {

// Product texts shown in the title and header.
const QString kVersion = QStringLiteral("2.2");
const QString kProductName = QStringLiteral("Paperwake");
const QString kEdition = QStringLiteral(" Pro");
const QString kByLine = QStringLiteral("by paperwake.app");

constexpr float kClientWidth = 17220;
constexpr float kClientHeight = 9720;

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
    // Each step stands alone: a refused one (negative size) leaves its old value.
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

frmMass::frmMass(QWidget *parent)
    : frmMass(QCoreApplication::applicationDirPath(), nullptr, parent)
{
}

frmMass::frmMass(const QString &appFolder, Platform *platform, QWidget *parent)
    : QWidget(parent),
      m_appFolder(QDir::toNativeSeparators(appFolder)),
      m_platform(platform),
      m_layout(MainLayout::designed())
{
    if (!m_platform) {
        m_ownedPlatform = std::make_unique<QtPlatform>();
        m_platform = m_ownedPlatform.get();
    }
    // Keep a drive root's trailing separator only; other folders carry none.
    while (m_appFolder.size() > 1 && m_appFolder.endsWith(kSep)
           && !QDir(m_appFolder).isRoot())
        m_appFolder.chop(1);

    setObjectName(QStringLiteral("frmMass"));
    resize(twips::toPixels(kClientWidth), twips::toPixels(kClientHeight));
    buildHeader();
    buildPageButtons();
    buildPages();
    buildSelectionAndNaming();

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
    lstSelectedArticles = new QListWidget(frSinglePDFCreation);
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
        new ArticleBrowser(frPage[0], frSinglePDFCreation, lstSelectedArticles, m_platform, this);
    connect(m_articleBrowser, &ArticleBrowser::openingFolder, this,
            [this](const QString &folder) { sFolder = folder; });

    m_keywordNames = new KeywordNames(frFilename[1], m_platform, this);
    m_keywordNames->setArticleCount([this] { return m_articleBrowser->fileCount(); });
}

void frmMass::Form_Load()
{
    // Every step stands alone: start-up must complete whatever the folder holds.
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
    if (!modGeneral::FileOrFolderExists(sFolder, true))
        QDir().mkdir(sFolder); // one level only: no bin, no output folder

    refreshFileHTMLS();
    m_articleBrowser->UpdateFilesFound();
    applyLayout();
    ShowPage(0);
}

QString frmMass::outputFolderFor(const QString &appFolder)
{
    const QString folder = appFolder + kSep + QStringLiteral("bin") + kSep + QStringLiteral("output");
    return modGeneral::ReplaceAll(folder, kSep + kSep, kSep, 0);
}

void frmMass::refreshFileHTMLS()
{
    const QDir bin(m_appFolder + kSep + QStringLiteral("bin"));
    fileHTMLS = bin.entryList({QStringLiteral("*.html")}, QDir::Files | QDir::Hidden,
                              QDir::Name | QDir::IgnoreCase);
}

void frmMass::ShowPage(int index)
{
    if (index < 0 || index > 2)
        return;
    for (int i = 0; i < 3; ++i)
        tButton[i]->setEnabled(i != index);
    for (int i = 0; i < 3; ++i)
        frPage[i]->setVisible(i == index);
    if (index == 1) {
        if (auto *title = findChild<QWidget *>(QStringLiteral("txtAdTitle")))
            title->setFocus();
    }
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
    for (int i = 0; i < 2; ++i)
        place(frFilename[i], m_layout.frFilename[i]);
    Picture2->resize(width(), Picture2->height());
}

void frmMass::tmrPleaseWait_Timer()
{
    lblPleaseWait->setVisible(lblPleaseWait->isHidden());
}
