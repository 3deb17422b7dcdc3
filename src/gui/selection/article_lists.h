#pragma once

#include <QListWidget>
#include <QStringList>

class QMimeData;
class QUrl;

// List items that show a name or path as people read it (undecodable bytes as U+FFFD) and keep
// the real one, so an article is always opened by the name it has on disk.
namespace articleitems {
QListWidgetItem *nameItem(const QString &realName);
QString realName(const QListWidgetItem *item);
void addNameItems(QListWidget *list, const QStringList &realNames);
// The local path a dropped address names, its bytes kept when they are no valid UTF-8.
QString droppedPath(const QUrl &url);
// The address of a local path, for a drag; the inverse of droppedPath.
QUrl urlOf(const QString &path);
} // namespace articleitems

// The browsed folder's articles. Dragging them carries their full paths, as a file manager's
// drag does, so they drop into the selected list or any program that takes files.
class ArticleFileList : public QListWidget
{
    Q_OBJECT
public:
    explicit ArticleFileList(QWidget *parent = nullptr);
    // The folder the listed names are in.
    void setFolder(const QString &folder) { m_folder = folder; }

protected:
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QList<QListWidgetItem *> &items) const override;
    // Copies only: a drop that moved the files would take them out of the folder.
    void startDrag(Qt::DropActions supportedActions) override;

private:
    QString m_folder;
};

// The articles chosen for a run, in run order. Articles dropped on it, from the file list or a
// file manager, go in where they are dropped; its own articles can be dragged to another place,
// Alt+Up / Alt+Down move the current one and Delete asks for it to be removed.
class SelectedArticleList : public QListWidget
{
    Q_OBJECT
public:
    explicit SelectedArticleList(QWidget *parent = nullptr);

    // Moves the current article one place up (step -1) or down (+1); false at either end.
    bool moveCurrent(int step);
    // Inserts the articles before row, at the end when row is -1 or past it, and selects them.
    void insertArticles(int row, const QStringList &paths);
    // The local .txt files among urls, as list items.
    static QStringList articlesFromUrls(const QList<QUrl> &urls);

signals:
    void removeRequested();

protected:
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QList<QListWidgetItem *> &items) const override;
    bool dropMimeData(int index, const QMimeData *data, Qt::DropAction action) override;
    Qt::DropActions supportedDropActions() const override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString dragToken() const;
    QList<int> ownRows(const QMimeData *data) const;
    bool usable(const QMimeData *data) const;

    bool m_dragUsable = false;
};
