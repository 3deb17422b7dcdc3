#include "article_browser.h"
#include "article_reader.h"
#include "article_lists.h"
#include "folder_list.h"
#include "frm_mass.h"
#include "recording_platform.h"
#include "test_app_folder.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

namespace {

const QString kSep = QDir::separator();

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QStringList itemsOf(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

// A real double-click: the first press selects, the second arrives as a double-click.
void doubleClick(QWidget *widget, const QPoint &at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
}

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("text");
}

// A folder of articles: three of them (one with an upper-case extension), a file that is
// no article, and two subfolders.
struct ArticleTree
{
    QTemporaryDir dir;
    ArticleTree()
    {
        for (const char *name : {"b.txt", "A.txt", "c.TXT", "notes.md", "sub/one.txt"}) {
            QDir().mkpath(QFileInfo(dir.filePath(name)).path());
            touch(dir.filePath(name));
        }
        QDir().mkpath(dir.filePath("Sub2"));
    }
    QString path() const { return native(dir.path()); }
    QString item(const QString &relative) const { return native(dir.filePath(relative)); }
};

} // namespace

class ArticleBrowserTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void startUp_browsesTheWorkingFolder();
    void addAll_appendsFileListOrderAfterExistingItems();
    void noSelection_showsErrorAndChangesNothing_data();
    void noSelection_showsErrorAndChangesNothing();
    void addSelected_addsEverySelectedFileInListOrder();
    void removeSelected_removesThatItemOnly();
    void articleItem_collapsesDoubledSeparators_data();
    void articleItem_collapsesDoubledSeparators();
    void folderChange_updatesCountButRefreshDoesNot();
    void drive1_switchesAndPassesOverUnopenableDrives();
    void optionsMenu_itemsOpenFolderAndRandomContent();
    void drop_addsTxtFilesOnly();
    void fileList_showsEveryTxtEntry_keepsRealNamesForTheRun();
    void dragFromFileList_insertsAtTheDropPosition_data();
    void dragFromFileList_insertsAtTheDropPosition();
    void dragInsideSelectedList_movesToTheDropPosition_data();
    void dragInsideSelectedList_movesToTheDropPosition();
    void altUpDown_moveTheCurrentArticle();

private:
    // The window on a folder; the parts of page 0 the tests drive.
    struct Window
    {
        TestAppFolder app{TestAppFolder::Bin};
        std::unique_ptr<frmMass> w;
        ArticleBrowser *browser = nullptr;
        QListWidget *files = nullptr;
        QListWidget *selected = nullptr;
        FolderList *folders = nullptr;
        QLabel *found = nullptr;

        Window(RecordingPlatform *platform, const QString &folder = {})
        {
            w = std::make_unique<frmMass>(app.path(), platform);
            browser = w->articleBrowser();
            files = w->findChild<QListWidget *>("File1");
            selected = w->findChild<QListWidget *>("lstSelectedArticles");
            folders = w->findChild<FolderList *>("Dir1");
            found = w->findChild<QLabel *>("lblFilesFound");
            if (!folder.isEmpty())
                browser->setFolder(folder);
        }
        QPushButton *button(int index) const
        {
            return w->findChild<QPushButton *>(QStringLiteral("cmdSingleMenu_%1").arg(index));
        }
    };

    std::unique_ptr<RecordingPlatform> platform;
};

void ArticleBrowserTest::init()
{
    platform = std::make_unique<RecordingPlatform>();
}

void ArticleBrowserTest::startUp_browsesTheWorkingFolder()
{
    ArticleTree tree;
    const QString before = QDir::currentPath();
    QDir::setCurrent(tree.path());
    Window win(platform.get());
    QDir::setCurrent(before);

    QCOMPARE(win.browser->folder(), tree.path());
    QCOMPARE(win.folders->path(), tree.path());
    // Case-insensitive order and pattern; other files and folders are not listed.
    QCOMPARE(itemsOf(win.files), (QStringList{"A.txt", "b.txt", "c.TXT"}));
    QCOMPARE(win.found->text(), QStringLiteral("3"));
    QVERIFY(win.selected->count() == 0);

    // A working folder that is gone leaves the browser on the home folder, never on none:
    // the filler window saves into whatever folder it shows.
    {
        QTemporaryDir gone;
        QDir::setCurrent(gone.path());
        gone.remove();
        Window lost(platform.get());
        QDir::setCurrent(before);
        QCOMPARE(lost.browser->folder(), QDir::toNativeSeparators(QDir::homePath()));
    }
}

void ArticleBrowserTest::addAll_appendsFileListOrderAfterExistingItems()
{
    ArticleTree tree;
    Window win(platform.get(), tree.item("sub"));
    QTest::mouseClick(win.button(0), Qt::LeftButton);
    QCOMPARE(win.browser->selectedArticles(), QStringList{tree.item("sub/one.txt")});

    win.browser->setFolder(tree.path());
    QTest::mouseClick(win.button(0), Qt::LeftButton);
    QTest::mouseClick(win.button(0), Qt::LeftButton);
    const QStringList once = {tree.item("A.txt"), tree.item("b.txt"), tree.item("c.TXT")};
    QCOMPARE(win.browser->selectedArticles(), QStringList{tree.item("sub/one.txt")} + once + once);
    QCOMPARE(itemsOf(win.selected), win.browser->selectedArticles());
    // The file list's selection rests on its last entry.
    QCOMPARE(win.files->currentRow(), 2);
    QCOMPARE(win.files->selectedItems().size(), 1);
    QVERIFY(win.files->item(2)->isSelected());

    // An empty folder adds nothing and says nothing.
    win.browser->setFolder(tree.item("Sub2"));
    QTest::mouseClick(win.button(0), Qt::LeftButton);
    QCOMPARE(win.selected->count(), 7);
    QVERIFY(platform->messages.isEmpty());

    QTest::mouseClick(win.button(1), Qt::LeftButton);
    QCOMPARE(win.selected->count(), 0);
}

enum class Gesture { AddButton, RemoveButton, FileDoubleClick, ListDoubleClick };
Q_DECLARE_METATYPE(Gesture)

void ArticleBrowserTest::noSelection_showsErrorAndChangesNothing_data()
{
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<QString>("folder"); // relative to the tree
    QTest::addColumn<bool>("listFilled");

    QTest::newRow("add, empty folder") << Gesture::AddButton << "Sub2" << false;
    QTest::newRow("add, nothing selected") << Gesture::AddButton << "" << true;
    QTest::newRow("double-click empty file area") << Gesture::FileDoubleClick << "" << true;
    QTest::newRow("remove, empty list") << Gesture::RemoveButton << "" << false;
    QTest::newRow("remove, nothing selected") << Gesture::RemoveButton << "" << true;
    QTest::newRow("double-click empty list area") << Gesture::ListDoubleClick << "" << true;
}

void ArticleBrowserTest::noSelection_showsErrorAndChangesNothing()
{
    QFETCH(Gesture, gesture);
    QFETCH(QString, folder);
    QFETCH(bool, listFilled);

    ArticleTree tree;
    Window win(platform.get(), tree.path());
    win.w->show();
    if (listFilled)
        win.browser->cmdSingleMenu_Click(0);
    win.browser->setFolder(tree.item(folder));
    win.files->clearSelection();
    win.selected->clearSelection();
    const QStringList before = win.browser->selectedArticles();
    const QStringList filesBefore = itemsOf(win.files);

    // Below the last entry of each list lies empty space.
    const QPoint emptySpot(5, win.files->viewport()->height() - 3);
    switch (gesture) {
    case Gesture::AddButton:
        QTest::mouseClick(win.button(2), Qt::LeftButton);
        break;
    case Gesture::RemoveButton:
        QTest::mouseClick(win.button(3), Qt::LeftButton);
        break;
    case Gesture::FileDoubleClick:
        doubleClick(win.files->viewport(), emptySpot);
        break;
    case Gesture::ListDoubleClick:
        doubleClick(win.selected->viewport(), QPoint(5, win.selected->viewport()->height() - 3));
        break;
    }

    QCOMPARE(platform->messages.size(), 1);
    const RecordingPlatform::Message &message = platform->messages.first();
    QCOMPARE(message.text, QStringLiteral("Please select a file first."));
    QCOMPARE(message.title, QStringLiteral("Error"));
    QCOMPARE(message.icon, Platform::Icon::Information);
    QCOMPARE(message.buttons, Platform::Buttons::Ok);
    QCOMPARE(win.browser->selectedArticles(), before);
    QCOMPARE(itemsOf(win.files), filesBefore);
}

void ArticleBrowserTest::addSelected_addsEverySelectedFileInListOrder()
{
    ArticleTree tree;
    Window win(platform.get(), tree.path());
    win.w->show();

    // Picked last-to-first, added in list order.
    win.files->item(2)->setSelected(true);
    win.files->item(0)->setSelected(true);
    QTest::mouseClick(win.button(2), Qt::LeftButton);
    QCOMPARE(win.browser->selectedArticles(),
             (QStringList{tree.item("A.txt"), tree.item("c.TXT")}));

    // One file, twice: two equal items.
    win.files->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
    QTest::mouseClick(win.button(2), Qt::LeftButton);
    QTest::mouseClick(win.button(2), Qt::LeftButton);
    QCOMPARE(win.browser->selectedArticles().mid(2),
             (QStringList{tree.item("b.txt"), tree.item("b.txt")}));

    // A double-click on a file adds that file.
    const QRect cRect = win.files->visualItemRect(win.files->item(2));
    doubleClick(win.files->viewport(), cRect.center());
    QCOMPARE(win.browser->selectedArticles().size(), 5);
    QCOMPARE(win.browser->selectedArticles().last(), tree.item("c.TXT"));
    QVERIFY(platform->messages.isEmpty());
}

void ArticleBrowserTest::removeSelected_removesThatItemOnly()
{
    ArticleTree tree;
    Window win(platform.get(), tree.path());
    win.w->show();
    win.browser->cmdSingleMenu_Click(0);

    win.selected->setCurrentRow(1);
    QTest::mouseClick(win.button(3), Qt::LeftButton);
    QCOMPARE(win.browser->selectedArticles(),
             (QStringList{tree.item("A.txt"), tree.item("c.TXT")}));
    // The removed item leaves no selection behind: a second press asks for one.
    QTest::mouseClick(win.button(3), Qt::LeftButton);
    QCOMPARE(win.selected->count(), 2);
    QCOMPARE(platform->messages.size(), 1);

    const QRect first = win.selected->visualItemRect(win.selected->item(0));
    doubleClick(win.selected->viewport(), first.center());
    QCOMPARE(win.browser->selectedArticles(), QStringList{tree.item("c.TXT")});
    QCOMPARE(platform->messages.size(), 1);

    // The Delete key is the button.
    win.selected->setCurrentRow(0);
    QTest::keyClick(win.selected, Qt::Key_Delete);
    QVERIFY(win.browser->selectedArticles().isEmpty());
    QTest::keyClick(win.selected, Qt::Key_Delete);
    QCOMPARE(platform->messages.size(), 2);
}

void ArticleBrowserTest::articleItem_collapsesDoubledSeparators_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("item");

    const auto n = [](const char *path) { return QString::fromUtf8(path).replace(u'/', kSep); };
    QTest::newRow("root folder") << n("/") << "a.txt" << n("/a.txt");
    QTest::newRow("plain folder") << n("/data") << "a.txt" << n("/data/a.txt");
    QTest::newRow("trailing separator") << n("/data/") << "a b.txt" << n("/data/a b.txt");
    QTest::newRow("leading pair and inner pairs")
        << n("//srv//share") << "x.txt" << n("/srv/share/x.txt");
}

void ArticleBrowserTest::articleItem_collapsesDoubledSeparators()
{
    QFETCH(QString, folder);
    QFETCH(QString, file);
    QFETCH(QString, item);
    QCOMPARE(ArticleBrowser::articleItem(folder, file), item);
}

void ArticleBrowserTest::folderChange_updatesCountButRefreshDoesNot()
{
    ArticleTree tree;
    Window win(platform.get(), tree.path());
    win.w->show();
    QCOMPARE(win.found->text(), QStringLiteral("3"));

    touch(tree.dir.filePath("d.txt"));
    win.browser->refreshFiles();
    QCOMPARE(win.files->count(), 4);
    QCOMPARE(win.found->text(), QStringLiteral("3"));

    // Subfolders sorted case-insensitively under the open folder.
    QTreeWidgetItem *open = win.folders->currentItem();
    QCOMPARE(FolderList::folderOf(open), tree.path());
    QCOMPARE(open->childCount(), 2);
    QCOMPARE(open->child(0)->text(0), QStringLiteral("sub"));
    QCOMPARE(open->child(1)->text(0), QStringLiteral("Sub2"));

    // Into a subfolder by double-click, back up by Enter on the parent's entry.
    QTreeWidgetItem *sub = open->child(0);
    win.folders->scrollToItem(sub);
    doubleClick(win.folders->viewport(), win.folders->visualItemRect(sub).center());
    QCOMPARE(win.browser->folder(), tree.item("sub"));
    QCOMPARE(itemsOf(win.files), QStringList{"one.txt"});
    QCOMPARE(win.found->text(), QStringLiteral("1"));
    QTest::keyClick(win.folders, Qt::Key_Backspace);
    QCOMPARE(win.browser->folder(), tree.path());
    win.browser->setFolder(tree.item("sub"));

    win.folders->setCurrentItem(win.folders->findEntry(QDir(tree.dir.path()).dirName()));
    QTest::keyClick(win.folders, Qt::Key_Return);
    QCOMPARE(win.browser->folder(), tree.path());
    QCOMPARE(win.found->text(), QStringLiteral("4"));
    QVERIFY(platform->messages.isEmpty());
}

void ArticleBrowserTest::drive1_switchesAndPassesOverUnopenableDrives()
{
    ArticleTree driveA;
    ArticleTree elsewhere;
    const QString root = native(QDir::rootPath());
    const QString missing = native(QStringLiteral("/no/such/volume"));
    platform->driveList = {root, driveA.path(), missing};
    Window win(platform.get(), elsewhere.item("sub"));
    auto *drives = win.w->findChild<QComboBox *>("Drive1");
    QCOMPARE(drives->count(), 3);
    QCOMPARE(drives->currentText(), root); // the drive holding the folder

    drives->setCurrentIndex(1);
    QCOMPARE(win.browser->folder(), driveA.path());
    QCOMPARE(win.found->text(), QStringLiteral("3"));
    win.browser->setFolder(driveA.item("sub"));
    QCOMPARE(drives->currentIndex(), 1);

    drives->setCurrentIndex(2);
    QCOMPARE(drives->currentText(), missing);
    QCOMPARE(win.browser->folder(), driveA.item("sub"));
    QCOMPARE(itemsOf(win.files), QStringList{"one.txt"});
    QVERIFY(platform->messages.isEmpty());

    // Each drive comes back on the folder last opened there.
    drives->setCurrentIndex(0);
    QCOMPARE(win.browser->folder(), elsewhere.item("sub"));
    drives->setCurrentIndex(1);
    QCOMPARE(win.browser->folder(), driveA.item("sub"));
}

void ArticleBrowserTest::optionsMenu_itemsOpenFolderAndRandomContent()
{
    ArticleTree tree;
    Window win(platform.get(), tree.path());
    win.w->show();
    auto *menu = win.w->findChild<QMenu *>("mnuFileOptions");
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts.append(action->text());
    QCOMPARE(texts, (QStringList{"Open Folder", "Open Random Content Creator", "Exit"}));

    // Options pops the menu up.
    QWidget *popup = nullptr;
    QTimer::singleShot(0, menu, [&] {
        popup = QApplication::activePopupWidget();
        menu->close();
    });
    QTest::mouseClick(win.w->findChild<QPushButton *>("cmdArticlesTools"), Qt::LeftButton);
    QCOMPARE(popup, menu);

    const QString sFolderBefore = win.w->sFolder;
    menu->findChild<QAction *>("mnuExitTXT")->trigger();
    QCOMPARE(win.w->sFolder, sFolderBefore);
    QVERIFY(platform->openedFolders.isEmpty());

    menu->findChild<QAction *>("mnuOpenFolderTXT")->trigger();
    QCOMPARE(platform->openedFolders, QStringList{tree.path()});
    QCOMPARE(win.w->sFolder, tree.path());
    QVERIFY(platform->messages.isEmpty());

    auto *random = menu->findChild<QAction *>("mnuDummy");
    QSignalSpy requested(win.browser, &ArticleBrowser::randomContentRequested);
    QVERIFY(random->isEnabled());
    // The window answers with the modal generator; close it as soon as it shows.
    bool generatorShown = false;
    QTimer::singleShot(0, win.w.get(), [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            generatorShown = modal->objectName() == u"frmRC";
            modal->close();
        }
    });
    random->trigger();
    QVERIFY(generatorShown);
    QCOMPARE(requested.size(), 1);
}

void ArticleBrowserTest::drop_addsTxtFilesOnly()
{
    ArticleTree tree;
    Window win(platform.get(), tree.path());
    win.w->show();
    QWidget *target = win.selected->viewport();
    const QPoint at = target->rect().center();

    const auto dropUrls = [&](const QList<QUrl> &urls) {
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &enter);
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &drop);
        return enter.isAccepted();
    };

    QVERIFY(dropUrls({QUrl::fromLocalFile(tree.dir.filePath("c.TXT")),
                      QUrl::fromLocalFile(tree.dir.filePath("notes.md")),
                      QUrl(QStringLiteral("https://example.com/remote.txt")),
                      QUrl::fromLocalFile(tree.dir.filePath("sub/one.txt"))}));
    QCOMPARE(win.browser->selectedArticles(),
             (QStringList{tree.item("c.TXT"), tree.item("sub/one.txt")}));

    QVERIFY(!dropUrls({QUrl::fromLocalFile(tree.dir.filePath("notes.md"))}));
    QCOMPARE(win.selected->count(), 2);
}

void ArticleBrowserTest::fileList_showsEveryTxtEntry_keepsRealNamesForTheRun()
{
#ifndef Q_OS_UNIX
    QSKIP("names in bytes, pipes and links are a Unix matter");
#else
    ArticleTree tree;
    const QString latin1 = writeFileNamedInBytes(tree.path(), "caf\xE9.txt", "Latin words");
    QVERIFY(!latin1.isEmpty());
    QVERIFY(QFile::link(tree.dir.filePath("nowhere.txt"), tree.dir.filePath("gone.txt")));
    QCOMPARE(::mkfifo(QFile::encodeName(tree.dir.filePath("pipe.txt")).constData(), 0600), 0);
    QVERIFY(QDir().mkpath(tree.dir.filePath("folder.txt")));
    touch(tree.dir.filePath(".hidden.txt"));
    Window win(platform.get(), tree.path());

    // Shown with a replacement mark, counted like the rest; folders and hidden files are not.
    const QString shown = u"caf\uFFFD.txt"_s;
    QCOMPARE(itemsOf(win.files),
             (QStringList{"A.txt", "b.txt", "c.TXT", shown, "gone.txt", "pipe.txt"}));
    QCOMPARE(win.found->text(), u"6"_s);

    // Added by row and by "Add All": shown marked, handed to the run by the real name.
    win.files->setCurrentRow(3, QItemSelectionModel::ClearAndSelect);
    QTest::mouseClick(win.button(2), Qt::LeftButton);
    QTest::mouseClick(win.button(0), Qt::LeftButton);
    QCOMPARE(win.selected->item(0)->text(), tree.item(shown));
    QCOMPARE(win.browser->selectedArticles().at(0), latin1);
    QCOMPARE(win.browser->selectedArticles().mid(1),
             (QStringList{tree.item("A.txt"), tree.item("b.txt"), tree.item("c.TXT"), latin1,
                          tree.item("gone.txt"), tree.item("pipe.txt")}));
    QString text, reason;
    QVERIFY2(articlereader::readArticle(win.browser->selectedArticles().at(0), text, reason),
             qPrintable(reason));
    QCOMPARE(text, u"Latin words"_s);

    // Dropped from a file manager, whose address keeps the byte percent-encoded.
    QTest::mouseClick(win.button(1), Qt::LeftButton);
    QMimeData mime;
    mime.setUrls(
        {QUrl::fromEncoded(QUrl::fromLocalFile(tree.dir.path()).toEncoded() + "/caf%E9.txt")});
    QWidget *target = win.selected->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &drop);
    QCOMPARE(win.browser->selectedArticles(), QStringList{latin1});
#endif
}

namespace {

// Where in the selected list a drop lands: above item `row`, or below the last one.
QPoint dropPoint(const QListWidget *list, int row)
{
    if (row >= list->count()) {
        const QRect last = list->visualItemRect(list->item(list->count() - 1));
        return QPoint(last.center().x(), last.bottom() + 10);
    }
    const QRect item = list->visualItemRect(list->item(row));
    return QPoint(item.center().x(), item.top() + 1);
}

// A drag from the file manager's point of view: enter, move, drop at one point.
bool dragAndDrop(QListWidget *target, QMimeData *mime, const QPoint &at)
{
    QWidget *viewport = target->viewport();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(viewport, &move);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(viewport, &drop);
    return drop.isAccepted();
}

// What dragging the rows of a list would carry.
std::unique_ptr<QMimeData> dragged(const QListWidget *list, const QList<int> &rows)
{
    QModelIndexList indexes;
    for (int row : rows)
        indexes << list->model()->index(row, 0);
    return std::unique_ptr<QMimeData>(list->model()->mimeData(indexes));
}

} // namespace

void ArticleBrowserTest::dragFromFileList_insertsAtTheDropPosition_data()
{
    QTest::addColumn<QList<int>>("fileRows"); // of A.txt, b.txt, c.TXT
    QTest::addColumn<int>("dropRow");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("two before the second")
        << QList<int>{2, 0} << 1 << QStringList{"x.txt", "A.txt", "c.TXT", "y.txt"};
    QTest::newRow("one on top") << QList<int>{1} << 0 << QStringList{"b.txt", "x.txt", "y.txt"};
    QTest::newRow("below the last")
        << QList<int>{0, 1} << 2 << QStringList{"x.txt", "y.txt", "A.txt", "b.txt"};
}

void ArticleBrowserTest::dragFromFileList_insertsAtTheDropPosition()
{
    QFETCH(QList<int>, fileRows);
    QFETCH(int, dropRow);
    QFETCH(QStringList, expected);
    ArticleTree tree;
    Window win(platform.get(), tree.path());
    win.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(win.w.get()));
    for (const char *name : {"x.txt", "y.txt"})
        win.selected->addItem(tree.item(QString::fromLatin1(name)));

    std::unique_ptr<QMimeData> mime = dragged(win.files, fileRows);
    QVERIFY(dragAndDrop(win.selected, mime.get(), dropPoint(win.selected, dropRow)));
    QStringList paths;
    for (const QString &name : expected)
        paths << tree.item(name);
    QCOMPARE(win.browser->selectedArticles(), paths);
    // The file list keeps every file: dragging copies.
    QCOMPARE(win.files->count(), 3);
}

void ArticleBrowserTest::dragInsideSelectedList_movesToTheDropPosition_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("dropRow");
    QTest::addColumn<QString>("expected"); // of the list "abcd"
    QTest::newRow("last to second") << 3 << 1 << "adbc";
    QTest::newRow("first to third") << 0 << 3 << "bcad";
    QTest::newRow("second below the last") << 1 << 4 << "acdb";
    QTest::newRow("onto its own place") << 2 << 2 << "abcd";
}

void ArticleBrowserTest::dragInsideSelectedList_movesToTheDropPosition()
{
    QFETCH(int, from);
    QFETCH(int, dropRow);
    QFETCH(QString, expected);
    Window win(platform.get());
    win.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(win.w.get()));
    for (QChar c : QStringLiteral("abcd"))
        win.selected->addItem(QString(c));

    std::unique_ptr<QMimeData> mime = dragged(win.selected, {from});
    dragAndDrop(win.selected, mime.get(), dropPoint(win.selected, dropRow));
    QCOMPARE(win.browser->selectedArticles().join(QString()), expected);
    QCOMPARE(win.selected->currentItem()->text(), QString(QStringLiteral("abcd").at(from)));

    // Rows dragged from another list mean nothing here.
    SelectedArticleList other;
    other.addItems({QStringLiteral("p"), QStringLiteral("q")});
    std::unique_ptr<QMimeData> foreign = dragged(&other, {1});
    QVERIFY(!dragAndDrop(win.selected, foreign.get(), dropPoint(win.selected, 0)));
    QCOMPARE(win.browser->selectedArticles().join(QString()), expected);
}

void ArticleBrowserTest::altUpDown_moveTheCurrentArticle()
{
    Window win(platform.get());
    win.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(win.w.get()));
    for (QChar c : QStringLiteral("abc"))
        win.selected->addItem(QString(c));
    win.selected->setCurrentRow(0);
    win.selected->setFocus();
    const auto order = [&] { return win.browser->selectedArticles().join(QString()); };

    QTest::keyClick(win.selected, Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(order(), QStringLiteral("bac"));
    QTest::keyClick(win.selected, Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(win.selected, Qt::Key_Down, Qt::AltModifier); // at the end: stays
    QCOMPARE(order(), QStringLiteral("bca"));
    QCOMPARE(win.selected->currentRow(), 2);
    QTest::keyClick(win.selected, Qt::Key_Up, Qt::AltModifier);
    QCOMPARE(order(), QStringLiteral("bac"));
    // Without Alt the arrows only move the cursor.
    QTest::keyClick(win.selected, Qt::Key_Up);
    QCOMPARE(order(), QStringLiteral("bac"));
    QCOMPARE(win.selected->currentRow(), 0);
}

QTEST_MAIN(ArticleBrowserTest)
#include "tst_article_browser.moc"
