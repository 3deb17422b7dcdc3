#include "folder_list.h"

#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>

#include <algorithm>

namespace {

constexpr int kFolderRole = Qt::UserRole;

QStringList sortedCaseInsensitive(QStringList names)
{
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

// The folder and its ancestors, root first.
QStringList chainOf(const QString &folder)
{
    QStringList chain;
    QDir dir(folder);
    for (;;) {
        chain.prepend(QDir::toNativeSeparators(dir.absolutePath()));
        if (dir.isRoot() || !dir.cdUp())
            break;
    }
    return chain;
}

} // namespace

FolderList::FolderList(QWidget *parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(10);
    setUniformRowHeights(true);
    // As wide as the view, wider when a name needs it (then the view scrolls sideways).
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::Fixed);
}

bool FolderList::setPath(const QString &folder)
{
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir() || !info.isReadable())
        return false;
#ifdef Q_OS_UNIX
    if (!info.isExecutable()) // a folder without search permission cannot be listed
        return false;
#endif
    const QString normalized = QDir::toNativeSeparators(QDir::cleanPath(info.absoluteFilePath()));
    if (normalized == m_path) {
        rebuild(); // folders may have come or gone
        return true;
    }
    m_path = normalized;
    rebuild();
    emit pathChanged(m_path);
    return true;
}

QString FolderList::folderOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, kFolderRole).toString() : QString();
}

QTreeWidgetItem *FolderList::findEntry(const QString &name) const
{
    const QList<QTreeWidgetItem *> found =
        findItems(name, Qt::MatchExactly | Qt::MatchRecursive | Qt::MatchCaseSensitive);
    return found.isEmpty() ? nullptr : found.first();
}

void FolderList::rebuild()
{
    clear();
    const QStringList chain = chainOf(m_path);
    QTreeWidgetItem *parentItem = nullptr;
    for (const QString &folder : chain) {
        const QString name = parentItem ? QDir(folder).dirName() : folder;
        auto *item = parentItem ? new QTreeWidgetItem(parentItem, {name})
                                : new QTreeWidgetItem(this, {name});
        item->setData(0, kFolderRole, folder);
        item->setIcon(0, style()->standardIcon(QStyle::SP_DirOpenIcon));
        item->setToolTip(0, folder);
        parentItem = item;
    }
    QTreeWidgetItem *current = parentItem;
    const QStringList children = sortedCaseInsensitive(
        QDir(m_path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted));
    const QString base = m_path.endsWith(QDir::separator()) ? m_path : m_path + QDir::separator();
    for (const QString &child : children) {
        auto *item = new QTreeWidgetItem(current, {child});
        item->setData(0, kFolderRole, base + child);
        item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    }
    expandAll();
    fitColumn();
    setCurrentItem(current);
    scrollToItem(current, QAbstractItemView::PositionAtTop);
}

void FolderList::fitColumn()
{
    header()->resizeSection(0, std::max(viewport()->width(), sizeHintForColumn(0)));
}

void FolderList::resizeEvent(QResizeEvent *event)
{
    QTreeWidget::resizeEvent(event);
    fitColumn();
}

void FolderList::openItem(QTreeWidgetItem *item)
{
    const QString folder = folderOf(item);
    if (!folder.isEmpty())
        setPath(folder);
}

void FolderList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openItem(currentItem());
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Backspace) {
        QDir parent(m_path);
        if (parent.cdUp())
            setPath(parent.absolutePath());
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void FolderList::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        if (QTreeWidgetItem *item = itemAt(event->position().toPoint())) {
            openItem(item);
            event->accept();
            return;
        }
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}
