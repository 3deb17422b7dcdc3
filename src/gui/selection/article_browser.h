#pragma once

#include "twips.h"

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
// articles found, the Options menu, and the selected-article list with its headline and its
// four add/remove buttons. A panel that owns the browsing column of the page it is put in and
// follows the page's height; the selected-article frame beside the column is its own too, and
// it alone hands a run its articles.
class ArticleBrowser : public QWidget
{
    Q_OBJECT
public:
    ArticleBrowser(Platform *platform, QWidget *page);

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
    // Puts the focus on the folder's articles, where they are chosen from.
    void focusFiles();
    // Marks the last article of a run of count articles, as the run leaves the list.
    void showRunEnd(int count);

    // The selected-article frame's caption and headline for one PDF of all articles or one PDF
    // per article.
    void showMode(bool bulk);
    void setSelectionCaption(const QString &caption);
    // Twips the selected-article frame needs: the wider of the two headlines read in full over
    // the buttons and the list, and room for the list beside the buttons.
    float selectionMinimumWidth() const;
    // Places the selected-article frame and its list (page coordinates, frame coordinates);
    // the headline spans the frame over the buttons and the list.
    void placeSelection(const TwipRect &frame, const TwipRect &list);

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
    // The selected-article list changed: items added, removed, moved or cleared.
    void selectionChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildBrowser(QWidget *page);
    void buildSelection(QWidget *page);
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
    QGroupBox *frSinglePDFCreation = nullptr;
    QLabel *lblPDFContentHeadline = nullptr;
    QListWidget *lstSelectedArticles = nullptr;
    std::array<QPushButton *, 4> cmdSingleMenu{};
    QPushButton *cmdArticlesTools = nullptr;
    QMenu *mnuFileOptions = nullptr;
    QAction *mnuOpenFolderTXT = nullptr;
    QAction *mnuDummy = nullptr;
    QAction *mnuExitTXT = nullptr;
};
