#pragma once

#include <QTreeWidget>

// Folder chooser: the open folder's ancestors from the root down, then its subfolders.
// A double-click or Enter on an entry opens that folder; Backspace opens the parent.
class FolderList : public QTreeWidget
{
    Q_OBJECT
    Q_PROPERTY(QString path READ path WRITE setPath NOTIFY pathChanged)
public:
    explicit FolderList(QWidget *parent = nullptr);

    // The open folder, with native separators.
    QString path() const { return m_path; }
    // Opens folder; false (and nothing changes) when it cannot be listed. Emits pathChanged
    // only when the open folder really changes.
    bool setPath(const QString &folder);
    // The folder an entry stands for.
    static QString folderOf(const QTreeWidgetItem *item);
    // The entry for a subfolder or ancestor with this name, or null.
    QTreeWidgetItem *findEntry(const QString &name) const;

signals:
    void pathChanged(const QString &path);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // Entries cannot be folded, so no branch arrows are drawn.
    void drawBranches(QPainter *, const QRect &, const QModelIndex &) const override {}

private:
    void openItem(QTreeWidgetItem *item);
    void rebuild();
    void fitColumn();

    QString m_path;
};
