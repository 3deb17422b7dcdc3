#pragma once

#include "main_layout.h"
#include "platform.h"
#include "production_run.h"
#include "t_file.h"
#include "t_tools.h"

#include <QWidget>

#include <array>
#include <memory>

class AdPage;
class ArticleBrowser;
class ContentPage;
class CreatePage;
class KeywordNames;
class QGroupBox;
class QLabel;
class RunPanel;
class tFrame;
struct CreateCheck;

// The main window: the header strip, the page buttons and the three pages, with the run
// panel in the strip. It switches the pages, starts up, follows its size and wires the pages
// to the run; each page owns its controls.
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
    ArticleBrowser *articleBrowser() const;
    KeywordNames *keywordNames() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildHeader();
    void buildPageButtons();
    void buildPages();
    void wirePages();
    RunInput runInput() const;
    void startRun(const RunInput &input);
    void onRunEnded(int articles);
    void openOutputFolder();
    void showMessage(const QString &text, const QString &title);
    void showRefusal(const CreateCheck &check);
    // False when the user would rather not have later PDFs replace earlier ones of the run.
    bool confirmRepeatedNames(const RunInput &input);
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
    std::array<tFrame *, 3> tButton{};
    std::array<QLabel *, 3> lblButton{};
    std::array<QGroupBox *, 3> frPage{};
    ContentPage *m_contentPage = nullptr;
    AdPage *m_adPage = nullptr;
    CreatePage *m_createPage = nullptr;
    RunPanel *m_runPanel = nullptr;

    friend class FrmMassTest;
};
