#include "article_browser.h"

#include "article_lists.h"
#include "folder_articles.h"
#include "folder_list.h"
#include "local_names.h"
#include "paths.h"
#include "platform.h"
#include "widget_helpers.h"

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

namespace {

using paths::kSep;
using widgets::makeLabel;

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
#endif

// Designed places, in twips. The left column of the page holds the browser; the frame on
// the right holds the add/remove buttons beside the selected-article list.
constexpr float kColumnLeft = 240;
constexpr float kColumnWidth = 4425;
constexpr float kButtonLeft = 240;
constexpr float kButtonWidth = 3390;
constexpr float kButtonHeight = 450;
// Inside the selected-article frame: what lies right of the list, and the least the list keeps.
constexpr float kFrameRightMargin = 500;
constexpr float kSelectedListMinimumWidth = 3000;

const QString kSingleHeadline =
    QStringLiteral("The Software Will Create 1 PDF From Each One of these Articles:");
const QString kBulkHeadline =
    QStringLiteral("The Software Will Create 1 PDF For Each One of these Articles:");

} // namespace

ArticleBrowser::ArticleBrowser(Platform *platform, QWidget *page)
    : QWidget(page), m_platform(platform)
{
    setObjectName(QStringLiteral("ArticleBrowser"));
    // The designed places are the page's own coordinates: the panel starts at its corner and
    // reaches to just short of the frame beside it.
    twips::place(this, 0, 0, kColumnLeft + kColumnWidth + 120, twips::fromPixels(page->height()));
    buildBrowser(this);
    buildSelection(page);
    page->installEventFilter(this);
    buildMenu(this);

    // The browser starts on the process's working folder; the count is the window's to show.
    // A working folder that cannot be listed must not leave the browser without any folder.
    if (!Dir1->setPath(QDir::currentPath()) && !Dir1->setPath(QDir::homePath()))
        Dir1->setPath(QDir::rootPath());
    m_fileFolder = Dir1->path();
    m_driveFolder.insert(driveOf(m_fileFolder), m_fileFolder);
    showDriveOf(m_fileFolder);
    fillFileList();

    connect(Drive1, &QComboBox::currentIndexChanged, this, [this] { Drive1_Change(); });
    connect(Dir1, &FolderList::pathChanged, this, [this] { Dir1_Change(); });

    QWidget::setTabOrder(Drive1, Dir1);
    QWidget::setTabOrder(Dir1, File1);
    QWidget::setTabOrder(File1, cmdArticlesTools);
    QWidget::setTabOrder(cmdArticlesTools, cmdSingleMenu[0]);
    QWidget::setTabOrder(cmdSingleMenu[0], cmdSingleMenu[2]);
    QWidget::setTabOrder(cmdSingleMenu[2], cmdSingleMenu[3]);
    QWidget::setTabOrder(cmdSingleMenu[3], cmdSingleMenu[1]);
    QWidget::setTabOrder(cmdSingleMenu[1], lstSelectedArticles);
}

void ArticleBrowser::buildBrowser(QWidget *page)
{
    QLabel *heading = makeLabel(QStringLiteral("Select a Folder with .TXT Articles"), page,
                                QStringLiteral("lblBrowseHeading"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    twips::place(heading, kColumnLeft, 360, kColumnWidth, 285);

    Drive1 = new QComboBox(page);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setAccessibleName(QStringLiteral("Drive"));
    const QIcon driveIcon = page->style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const QString &drive : m_platform->drives())
        Drive1->addItem(driveIcon, drive);
    twips::place(Drive1, kColumnLeft, 690, kColumnWidth, 360);

    Dir1 = new FolderList(page);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setAccessibleName(QStringLiteral("Folders"));
    heading->setBuddy(Dir1);

    File1 = new ArticleFileList(page);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setAccessibleName(QStringLiteral("Articles in the folder"));
    File1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    File1->setUniformItemSizes(true);
    File1->viewport()->installEventFilter(this);

    lblFilesFoundCaption =
        makeLabel(QStringLiteral("Files Found:"), page, QStringLiteral("lblFilesFoundCaption"));
    lblFilesFound = makeLabel(QStringLiteral("0"), page, QStringLiteral("lblFilesFound"));
    lblFilesFound->setFont(bold);

    cmdArticlesTools = new QPushButton(QStringLiteral("Options"), page);
    cmdArticlesTools->setObjectName(QStringLiteral("cmdArticlesTools"));
    connect(cmdArticlesTools, &QPushButton::clicked, this, [this] { cmdArticlesTools_Click(); });

    auto *instructions = new QGroupBox(QStringLiteral("Instructions   "), page);
    frInstructions = instructions;
    instructions->setObjectName(QStringLiteral("frInstructions"));
    growLists(0);
    QLabel *text = makeLabel(
        QStringLiteral("Select a Folder with articles (.txt files). Then select the articles that "
                       "you want to use by using the buttons that you'll see on the right panel."),
        instructions, QStringLiteral("lblInstructions"));
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    twips::place(text, 120, 300, kColumnWidth - 240, 1080);
}

void ArticleBrowser::growLists(float extraHeight)
{
    const float folders = extraHeight / 2;
    const float files = extraHeight - folders;
    twips::place(Dir1, kColumnLeft, 1110, kColumnWidth, 1500 + folders);
    twips::place(File1, kColumnLeft, 2670 + folders, kColumnWidth, 1380 + files);
    twips::place(lblFilesFoundCaption, kColumnLeft, 4155 + extraHeight, 1170, 285);
    twips::place(lblFilesFound, kColumnLeft + 1170, 4155 + extraHeight, 1500, 285);
    twips::place(cmdArticlesTools, kColumnLeft + kColumnWidth - 1320, 4110 + extraHeight, 1320,
                 390);
    twips::place(frInstructions, kColumnLeft, 4590 + extraHeight, kColumnWidth, 1440);
}

void ArticleBrowser::buildSelection(QWidget *page)
{
    frSinglePDFCreation = new QGroupBox(QStringLiteral("Single PDF Creation"), page);
    frSinglePDFCreation->setObjectName(QStringLiteral("frSinglePDFCreation"));
    auto *selectedList = new SelectedArticleList(frSinglePDFCreation);
    lstSelectedArticles = selectedList;
    lstSelectedArticles->setObjectName(QStringLiteral("lstSelectedArticles"));
    lstSelectedArticles->setAccessibleName(QStringLiteral("Selected articles"));
    lstSelectedArticles->setToolTip(
        QStringLiteral("The articles in the order of the run. Drag one to another place, or move "
                       "the current one with Alt+Up and Alt+Down; Delete removes it."));
    connect(selectedList, &SelectedArticleList::removeRequested, this,
            [this] { cmdSingleMenu_Click(3); });
    lstSelectedArticles->viewport()->installEventFilter(this);
    lblPDFContentHeadline = makeLabel(kSingleHeadline, frSinglePDFCreation,
                                      QStringLiteral("lblPDFContentHeadline"), lstSelectedArticles);

    static const std::array<QString, 4> captions = {
        QStringLiteral("Add All the Articles >>"), QStringLiteral("<< Remove All the Articles"),
        QStringLiteral("Add Selected Article >"), QStringLiteral("< Remove Selected Article")};
    // Adding on top, removing below, a gap between the two pairs.
    static const std::array<float, 4> tops = {1125, 3015, 1680, 2460};
    for (int i = 0; i < 4; ++i) {
        cmdSingleMenu[i] = new QPushButton(captions[i], frSinglePDFCreation);
        cmdSingleMenu[i]->setObjectName(QStringLiteral("cmdSingleMenu_%1").arg(i));
        twips::place(cmdSingleMenu[i], kButtonLeft, tops[i], kButtonWidth, kButtonHeight);
        connect(cmdSingleMenu[i], &QPushButton::clicked, this,
                [this, i] { cmdSingleMenu_Click(i); });
    }

    // The preview follows what is selected.
    QAbstractItemModel *selected = lstSelectedArticles->model();
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(selected, signal, this, &ArticleBrowser::selectionChanged);
    connect(selected, &QAbstractItemModel::rowsMoved, this, &ArticleBrowser::selectionChanged);
    connect(selected, &QAbstractItemModel::modelReset, this, &ArticleBrowser::selectionChanged);
}

void ArticleBrowser::showMode(bool bulk)
{
    lblPDFContentHeadline->setText(bulk ? kBulkHeadline : kSingleHeadline);
    frSinglePDFCreation->setTitle(bulk ? QStringLiteral("Bulk PDF Creation")
                                       : QStringLiteral("Single PDF Creation"));
}

void ArticleBrowser::setSelectionCaption(const QString &caption)
{
    frSinglePDFCreation->setTitle(caption);
}

float ArticleBrowser::selectionMinimumWidth() const
{
    const QFontMetrics metrics(lblPDFContentHeadline->font());
    const int headline = std::max(metrics.horizontalAdvance(kSingleHeadline),
                                  metrics.horizontalAdvance(kBulkHeadline)) +
                         2 * lblPDFContentHeadline->margin() + 8;
    return std::max(twips::fromPixels(headline) + kButtonLeft + kFrameRightMargin,
                    kButtonLeft + kButtonWidth + 240 + kSelectedListMinimumWidth +
                        kFrameRightMargin);
}

void ArticleBrowser::placeSelection(const TwipRect &frame, const TwipRect &list)
{
    twips::place(frSinglePDFCreation, frame);
    twips::place(lstSelectedArticles, list);
    twips::place(lblPDFContentHeadline,
                 {kButtonLeft, 690, frame.width - kButtonLeft - kFrameRightMargin, 330});
}

void ArticleBrowser::showRunEnd(int count)
{
    if (count > 0 && count <= lstSelectedArticles->count())
        lstSelectedArticles->setCurrentRow(count - 1);
}

void ArticleBrowser::buildMenu(QWidget *page)
{
    mnuFileOptions = new QMenu(page);
    mnuFileOptions->setObjectName(QStringLiteral("mnuFileOptions"));
    mnuOpenFolderTXT = mnuFileOptions->addAction(QStringLiteral("Open Folder"));
    mnuOpenFolderTXT->setObjectName(QStringLiteral("mnuOpenFolderTXT"));
    mnuDummy = mnuFileOptions->addAction(QStringLiteral("Open Random Content Creator"));
    mnuDummy->setObjectName(QStringLiteral("mnuDummy"));
    mnuExitTXT = mnuFileOptions->addAction(QStringLiteral("Exit"));
    mnuExitTXT->setObjectName(QStringLiteral("mnuExitTXT")); // only closes the menu

    connect(mnuOpenFolderTXT, &QAction::triggered, this, [this] { mnuOpenFolderTXT_Click(); });
    connect(mnuDummy, &QAction::triggered, this, &ArticleBrowser::randomContentRequested);
}

QString ArticleBrowser::folder() const
{
    return Dir1->path();
}

bool ArticleBrowser::setFolder(const QString &path)
{
    return Dir1->setPath(path);
}

void ArticleBrowser::refreshFiles()
{
    fillFileList();
}

int ArticleBrowser::fileCount() const
{
    return File1->count();
}

QStringList ArticleBrowser::selectedArticles() const
{
    QStringList items;
    items.reserve(lstSelectedArticles->count());
    for (int i = 0; i < lstSelectedArticles->count(); ++i)
        items.append(articleitems::realName(lstSelectedArticles->item(i)));
    return items;
}

void ArticleBrowser::focusFiles()
{
    File1->setFocus();
}

QString ArticleBrowser::articleItem(const QString &folder, const QString &fileName)
{
    return folderarticles::articlePath(folder, fileName);
}

void ArticleBrowser::fillFileList()
{
    File1->setFolder(m_fileFolder);
    File1->clear();
    articleitems::addNameItems(File1, folderarticles::articleFileNames(m_fileFolder));
}

QString ArticleBrowser::driveOf(const QString &folder) const
{
    QString best;
    for (int i = 0; i < Drive1->count(); ++i) {
        const QString root = Drive1->itemText(i);
        const QString prefix = root.endsWith(kSep) ? root : root + kSep;
        const bool inside =
            folder.compare(root, kPathCase) == 0 || folder.startsWith(prefix, kPathCase);
        if (inside && root.size() > best.size())
            best = root;
    }
    return best;
}

void ArticleBrowser::showDriveOf(const QString &folder)
{
    const int index = Drive1->findText(driveOf(folder));
    if (index < 0 || index == Drive1->currentIndex())
        return;
    const QSignalBlocker quiet(Drive1);
    Drive1->setCurrentIndex(index);
}

void ArticleBrowser::Drive1_Change()
{
    // A drive that cannot be opened is passed over: Dir1 keeps its folder, Drive1 its choice.
    const QString drive = Drive1->currentText();
    const QString last = m_driveFolder.value(drive);
    if (!last.isEmpty() && Dir1->setPath(last))
        return;
    Dir1->setPath(drive);
}

void ArticleBrowser::Dir1_Change()
{
    m_fileFolder = Dir1->path();
    const QString drive = driveOf(m_fileFolder);
    m_driveFolder.insert(drive, m_fileFolder);
    showDriveOf(m_fileFolder);
    fillFileList();
    UpdateFilesFound();
}

void ArticleBrowser::UpdateFilesFound()
{
    lblFilesFound->setText(QString::number(File1->count()));
    // Read out with its count, not as a bare number.
    lblFilesFound->setAccessibleName(QStringLiteral("Files Found: %1").arg(File1->count()));
}

void ArticleBrowser::File1_DblClick()
{
    cmdSingleMenu_Click(2);
}

void ArticleBrowser::lstSelectedArticles_DblClick()
{
    cmdSingleMenu_Click(3);
}

void ArticleBrowser::appendArticles(const QStringList &items)
{
    articleitems::addNameItems(lstSelectedArticles, items);
}

void ArticleBrowser::showSelectFirst()
{
    m_platform->messageBox(window(), QStringLiteral("Please select a file first."),
                           QStringLiteral("Error"), Platform::Buttons::Ok,
                           Platform::Icon::Information);
}

void ArticleBrowser::cmdSingleMenu_Click(int index)
{
    switch (index) {
    case 0: {
        const int n = File1->count();
        if (n == 0)
            return;
        QStringList items;
        items.reserve(n);
        for (int i = 0; i < n; ++i)
            items.append(articleItem(m_fileFolder, articleitems::realName(File1->item(i))));
        appendArticles(items);
        File1->setCurrentRow(n - 1, QItemSelectionModel::ClearAndSelect);
        break;
    }
    case 1:
        lstSelectedArticles->clear();
        break;
    case 2: {
        QList<int> rows;
        for (const QListWidgetItem *item : File1->selectedItems())
            rows.append(File1->row(item));
        if (File1->count() == 0 || rows.isEmpty()) {
            showSelectFirst();
            return;
        }
        std::sort(rows.begin(), rows.end());
        QStringList items;
        for (int row : rows)
            items.append(articleItem(m_fileFolder, articleitems::realName(File1->item(row))));
        appendArticles(items);
        break;
    }
    case 3: {
        const QList<QListWidgetItem *> selected = lstSelectedArticles->selectedItems();
        if (lstSelectedArticles->count() == 0 || selected.isEmpty()) {
            showSelectFirst();
            return;
        }
        delete lstSelectedArticles->takeItem(lstSelectedArticles->row(selected.first()));
        lstSelectedArticles->clearSelection();
        lstSelectedArticles->setCurrentRow(-1);
        break;
    }
    default:
        break;
    }
}

void ArticleBrowser::cmdArticlesTools_Click()
{
    mnuFileOptions->exec(QCursor::pos());
}

void ArticleBrowser::mnuOpenFolderTXT_Click()
{
    const QString folder = Dir1->path();
    emit openingFolder(folder);
    const auto failed = [browser = QPointer<ArticleBrowser>(this), folder] {
        if (browser)
            browser->m_platform->messageBox(
                browser->window(),
                QStringLiteral("The folder could not be opened:\n%1").arg(folder),
                QStringLiteral("Error"), Platform::Buttons::Ok, Platform::Icon::Warning);
    };
    if (!m_platform->openFolder(folder, failed))
        failed();
}

bool ArticleBrowser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        resize(width(), parentWidget()->height());
    const bool onFiles = watched == File1->viewport();
    const bool onSelected = watched == lstSelectedArticles->viewport();
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        // Anywhere in the list, not only on an item: an empty spot reports the missing choice.
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            if (onFiles)
                File1_DblClick();
            else if (onSelected)
                lstSelectedArticles_DblClick();
            if (onFiles || onSelected)
                return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
