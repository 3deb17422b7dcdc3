#pragma once

#include "platform.h"
#include "production_run.h"
#include "t_file.h"
#include "t_tools.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimer;
class tFrame;
class ArticleBrowser;
class KeywordNames;
class PagePreviewView;

// Designed rectangle of a control, in twips; Form_Resize works on these.
struct TwipRect
{
    float left = 0, top = 0, width = 0, height = 0;
};

// What Form_Resize changes, in twips.
struct MainLayout
{
    std::array<TwipRect, 3> frPage;
    TwipRect frSinglePDFCreation;
    TwipRect lstSelectedArticles;
    TwipRect lblPleaseWait;
    std::array<TwipRect, 2> frFilename;

    static MainLayout designed();
    // Follows an outer window size W x H, in twips; a size that would go negative keeps its
    // old value while the others still follow.
    void resizeTo(float W, float H);

    // The smallest window, in twips, that keeps every control of every page inside its page:
    // the naming frames centred in page 2, the Create buttons under them, and a selected list
    // at least selectedListWidth wide.
    static float minimumWidth(float selectedListWidth);
    static float minimumHeight();
    // How much taller than its contents the page area is; the lists take it up.
    float extraHeight() const;
};

// The main window.
class frmMass : public QWidget
{
    Q_OBJECT
public:
    explicit frmMass(const QString &appFolder, Platform *platform, QWidget *parent = nullptr);
    ~frmMass() override;

    QString appFolder() const { return m_appFolder; }
    // application folder + /bin/output with a doubled separator (drive root) collapsed.
    static QString outputFolderFor(const QString &appFolder);
    QString sFolder;

    void ShowPage(int index);
    void tButton_Click(int index);
    void lblButton_Click(int index);
    void Form_Resize();
    void tmrPleaseWait_Timer();
    void optCreationMode_Click(int index);
    void cmdCreate_Click();
    void cmdOutput_Click();
    // Opens the filler generator, modally, loaded afresh.
    void mnuDummy_Click();
    void CreateBulkPDFs();
    void CreateSinglePDF();
    // True while a PDF run works.
    bool isRunning() const;
    const MainLayout &layoutTwips() const { return m_layout; }

    // Page 0's article browser and page 2's keyword names.
    ArticleBrowser *articleBrowser() const { return m_articleBrowser; }
    KeywordNames *keywordNames() const { return m_keywordNames; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildHeader();
    void buildPageButtons();
    void buildPages();
    void buildAdPage();
    void buildCreatePage();
    void showConverter();
    void buildModeOptions();
    void showMessage(const QString &text, const QString &title);
    RunInput runInput() const;
    void startRun(const RunInput &input);
    void onPreparingPage(int number, int count);
    void onPdfFinished(int done, int count);
    void onRunFinished(const RunReport &report);
    void closingPrompt(const RunReport &report);
    void openOutputFolder();
    void buildSelectionAndNaming();
    void Form_Load();
    void applyLayout();
    void requestPreview();

    QString m_appFolder;
    Platform *m_platform;
    std::unique_ptr<Platform> m_ownedPlatform;
    tTools tTools1;
    tFile tFile1;
    MainLayout m_layout;

    QWidget *Picture2 = nullptr;
    QLabel *lblAppName = nullptr;
    QLabel *lblBy = nullptr;
    QLabel *lblPleaseWait = nullptr;
    QLabel *lblConverter = nullptr;
    std::array<tFrame *, 3> tButton{};
    std::array<QLabel *, 3> lblButton{};
    std::array<QGroupBox *, 3> frPage{};
    QGroupBox *frSinglePDFCreation = nullptr;
    QListWidget *lstSelectedArticles = nullptr;
    std::array<QGroupBox *, 2> frFilename{};
    QTimer *tmrPleaseWait = nullptr;
    QProgressBar *pbProgress = nullptr;

    QLineEdit *txtAdTitle = nullptr;
    QLineEdit *txtCTAText = nullptr;
    QLineEdit *txtCTAURL = nullptr;
    QLineEdit *txtPDFFilename = nullptr;
    QPushButton *cmdCreate = nullptr;
    QPushButton *cmdOutput = nullptr;
    PagePreviewView *m_preview = nullptr;
    std::array<QRadioButton *, 2> optCreationMode{};
    QLabel *lblPDFContentHeadline = nullptr;
    ArticleBrowser *m_articleBrowser = nullptr;
    KeywordNames *m_keywordNames = nullptr;
    ProductionRun *m_run = nullptr;
    int m_runArticles = 0;
    bool m_runIsBulk = false;

    friend class FrmMassTest;
};
