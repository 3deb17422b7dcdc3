#include "article_lists.h"

#include "folder_articles.h"
#include "local_names.h"

#include <QCoreApplication>
#include <QDir>
#include <QDrag>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace {

const QString kUriList = QStringLiteral("text/uri-list");
// Rows of the selected list being dragged inside it; never offered to other programs.
const QString kOwnRows = QStringLiteral("application/x-paperwake-selected-rows");

// Where an item keeps the real name or path when the text shows it with replacement marks.
constexpr int kRealNameRole = Qt::UserRole + 1;

} // namespace

namespace articleitems {

QListWidgetItem *nameItem(const QString &realName)
{
    const QString shown = localnames::forDisplay(realName);
    auto *item = new QListWidgetItem(shown);
    if (shown != realName)
        item->setData(kRealNameRole, realName);
    return item;
}

QString realName(const QListWidgetItem *item)
{
    const QVariant real = item->data(kRealNameRole);
    return real.isValid() ? real.toString() : item->text();
}

void addNameItems(QListWidget *list, const QStringList &realNames)
{
    list->setUpdatesEnabled(false);
    for (const QString &name : realNames)
        list->addItem(nameItem(name));
    list->setUpdatesEnabled(true);
}

QString droppedPath(const QUrl &url)
{
#ifdef Q_OS_UNIX
    return localnames::fromLocalBytes(
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
#else
    return url.toLocalFile();
#endif
}

QUrl urlOf(const QString &path)
{
#ifdef Q_OS_UNIX
    return QUrl::fromEncoded("file://" + localnames::toLocalBytes(path).toPercentEncoding("/"));
#else
    return QUrl::fromLocalFile(path);
#endif
}

} // namespace articleitems

ArticleFileList::ArticleFileList(QWidget *parent) : QListWidget(parent)
{
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
}

QStringList ArticleFileList::mimeTypes() const
{
    return {kUriList};
}

QMimeData *ArticleFileList::mimeData(const QList<QListWidgetItem *> &items) const
{
    QList<QListWidgetItem *> ordered = items;
    std::sort(ordered.begin(), ordered.end(),
              [this](QListWidgetItem *a, QListWidgetItem *b) { return row(a) < row(b); });
    QList<QUrl> urls;
    for (const QListWidgetItem *item : ordered)
        urls << articleitems::urlOf(
            folderarticles::articlePath(m_folder, articleitems::realName(item)));
    auto *data = new QMimeData;
    data->setUrls(urls);
    return data;
}

void ArticleFileList::startDrag(Qt::DropActions)
{
    const QList<QListWidgetItem *> items = selectedItems();
    if (items.isEmpty())
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(mimeData(items));
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

SelectedArticleList::SelectedArticleList(QWidget *parent) : QListWidget(parent)
{
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(true);
    setDefaultDropAction(Qt::CopyAction);
}

bool SelectedArticleList::moveCurrent(int step)
{
    const int from = currentRow();
    const int to = from + step;
    if (from < 0 || to < 0 || to >= count())
        return false;
    insertItem(to, takeItem(from));
    setCurrentRow(to);
    return true;
}

void SelectedArticleList::insertArticles(int row, const QStringList &paths)
{
    if (row < 0 || row > count())
        row = count();
    setUpdatesEnabled(false);
    for (int i = 0; i < paths.size(); ++i)
        insertItem(row + i, articleitems::nameItem(paths.at(i)));
    setUpdatesEnabled(true);
    clearSelection();
    setCurrentRow(row);
}

QStringList SelectedArticleList::articlesFromUrls(const QList<QUrl> &urls)
{
    QStringList items;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        // Anything the folder listing would show: a file that turns out unreadable is then
        // named with its reason by the run, never left out unseen.
        const QString path = QDir::toNativeSeparators(articleitems::droppedPath(url));
        const qsizetype nameStart = path.lastIndexOf(QDir::separator()) + 1;
        if (nameStart > 0 && path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)
            && localnames::entryKind(path) == localnames::EntryKind::Other)
            items << folderarticles::articlePath(path.first(nameStart - 1), path.sliced(nameStart));
    }
    return items;
}

QString SelectedArticleList::dragToken() const
{
    // Rows mean something only to the list they came from, in this process.
    return QStringLiteral("%1:%2").arg(QCoreApplication::applicationPid()).arg(quintptr(this));
}

QStringList SelectedArticleList::mimeTypes() const
{
    return {kOwnRows, kUriList};
}

QMimeData *SelectedArticleList::mimeData(const QList<QListWidgetItem *> &items) const
{
    QStringList rows;
    for (const QListWidgetItem *item : items)
        rows << QString::number(row(item));
    auto *data = new QMimeData;
    data->setData(kOwnRows, (dragToken() + u'\n' + rows.join(u',')).toUtf8());
    return data;
}

QList<int> SelectedArticleList::ownRows(const QMimeData *data) const
{
    const QStringList parts = QString::fromUtf8(data->data(kOwnRows)).split(u'\n');
    QList<int> rows;
    if (parts.size() != 2 || parts.first() != dragToken())
        return rows;
    for (const QString &text : parts.last().split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int r = text.toInt(&ok);
        if (ok && r >= 0 && r < count() && !rows.contains(r))
            rows << r;
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool SelectedArticleList::usable(const QMimeData *data) const
{
    if (!data)
        return false;
    if (data->hasFormat(kOwnRows))
        return !ownRows(data).isEmpty();
    return !articlesFromUrls(data->urls()).isEmpty();
}

bool SelectedArticleList::dropMimeData(int index, const QMimeData *data, Qt::DropAction)
{
    if (index < 0 || index > count())
        index = count();
    if (data->hasFormat(kOwnRows)) {
        const QList<int> rows = ownRows(data);
        if (rows.isEmpty())
            return false;
        QList<QListWidgetItem *> moved;
        for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
            moved.prepend(takeItem(*it));
            if (*it < index)
                --index;
        }
        for (int i = 0; i < moved.size(); ++i)
            insertItem(index + i, moved.at(i));
        setCurrentRow(index);
        return true;
    }
    const QStringList articles = articlesFromUrls(data->urls());
    if (articles.isEmpty())
        return false;
    insertArticles(index, articles);
    return true;
}

Qt::DropActions SelectedArticleList::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

void SelectedArticleList::startDrag(Qt::DropActions)
{
    const QList<QListWidgetItem *> items = selectedItems();
    if (items.isEmpty())
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(mimeData(items));
    // The drop itself moves the rows; nothing is removed once the drag returns.
    drag->exec(Qt::MoveAction, Qt::MoveAction);
}

void SelectedArticleList::dragEnterEvent(QDragEnterEvent *event)
{
    // Checked once per drag: a drag move happens at every mouse step.
    m_dragUsable = usable(event->mimeData());
    if (!m_dragUsable) {
        event->ignore();
        return;
    }
    QListWidget::dragEnterEvent(event);
}

void SelectedArticleList::dragMoveEvent(QDragMoveEvent *event)
{
    if (!m_dragUsable) {
        event->ignore();
        return;
    }
    QListWidget::dragMoveEvent(event);
    // A file manager told "moved" would remove the files it dragged here.
    if (event->isAccepted() && !event->mimeData()->hasFormat(kOwnRows))
        event->setDropAction(Qt::CopyAction);
}

void SelectedArticleList::dropEvent(QDropEvent *event)
{
    // Straight to the item view's drop, which hands the drop row to dropMimeData: the list
    // widget's own moving would move the rows a second time.
    QAbstractItemView::dropEvent(event);
    if (event->isAccepted() && !event->mimeData()->hasFormat(kOwnRows))
        event->setDropAction(Qt::CopyAction);
}

void SelectedArticleList::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::AltModifier &&
        (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        moveCurrent(event->key() == Qt::Key_Up ? -1 : 1);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        emit removeRequested();
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}
