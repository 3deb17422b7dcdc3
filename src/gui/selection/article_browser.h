#pragma once

#include <QHash>
#include <QWidget>
#include <QStringList>

#include <array>

class ArticleFileList;
class FolderList;
class Platform;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QWidget;

// The article browser of the "PDF Content" page: drive, folder and file lists, the count of
// articles found, the add/remove buttons of the selected-article list and the Options menu.
// A panel that owns the browsing column of the page it is put in and follows the page's
// height; the add/remove buttons go into the frame beside it, next to the window's
// selected-article list, which it fills.
class ArticleBrowser : public QWidget
{
    Q_OBJECT
public:
    ArticleBrowser(Platform *platform, QWidget *page, QGroupBox *frSinglePDFCreation,
                   QListWidget *lstSelectedArticles);

    // The browsed folder (Dir1's), native separators.
    QString folder() const;
    // Opens a folder as if the user had browsed to it; false when it cannot be listed.
    bool setFolder(const QString &path);
    // Re-reads the file list of the browsed folder; the count label stays as it was.
    void refreshFiles();
    // Number of *.txt files the file list shows.
    int fileCount() const;
    // The selected-article list, in order.
    QStringList selectedArticles() const;

    // folder + separator + file name, every doubled separator collapsed.
    static QString articleItem(const QString &folder, const QString &fileName);

    void Drive1_Change();
    void Dir1_Change();
    void UpdateFilesFound();
    // Makes the folder and file lists taller by extraHeight twips and moves what lies below.
    void growLists(float extraHeight);
    void File1_DblClick();
    void lstSelectedArticles_DblClick();
    void cmdSingleMenu_Click(int index);
    void cmdArticlesTools_Click();
    void mnuOpenFolderTXT_Click();

signals:
    // The folder about to be shown in the file manager; the window keeps it as its sFolder.
    void openingFolder(const QString &folder);
    void randomContentRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildBrowser(QWidget *page);
    void buildSelectionButtons(QGroupBox *frame);
    void buildMenu(QWidget *page);
    void fillFileList();
    void showDriveOf(const QString &folder);
    QString driveOf(const QString &folder) const;
    void appendArticles(const QStringList &items);
    void showSelectFirst();

    Platform *m_platform;
    QString m_fileFolder;                  // the folder File1 lists
    QHash<QString, QString> m_driveFolder; // last folder opened on each drive

    QComboBox *Drive1 = nullptr;
    FolderList *Dir1 = nullptr;
    ArticleFileList *File1 = nullptr;
    QLabel *lblFilesFoundCaption = nullptr;
    QLabel *lblFilesFound = nullptr;
    QGroupBox *frInstructions = nullptr;
    QListWidget *lstSelectedArticles;
    std::array<QPushButton *, 4> cmdSingleMenu{};
    QPushButton *cmdArticlesTools = nullptr;
    QMenu *mnuFileOptions = nullptr;
    QAction *mnuOpenFolderTXT = nullptr;
    QAction *mnuDummy = nullptr;
    QAction *mnuExitTXT = nullptr;
};
