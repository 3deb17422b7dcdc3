#pragma once

#include <QFrame>
#include <QIcon>

class QLabel;

// Page button: a small icon over a centred caption. The disabled one marks the page on
// show, so it is drawn pressed and highlighted rather than greyed out.
class tFrame : public QFrame
{
    Q_OBJECT
public:
    explicit tFrame(const QIcon &icon, const QString &caption, QWidget *parent = nullptr);

    QLabel *captionLabel() const { return m_caption; }

signals:
    void clicked();
    // A click that landed on the caption label rather than the frame itself.
    void labelClicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_icon;
    QLabel *m_caption;
};
