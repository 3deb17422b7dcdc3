#include "t_frame.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace {

// Screen readers and other assistive tools see a page button as a push button they can press.
class tFrameAccessible : public QAccessibleWidget
{
public:
    explicit tFrameAccessible(tFrame *frame) : QAccessibleWidget(frame, QAccessible::Button) {}

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction()) {
            if (widget()->isEnabled())
                emit static_cast<tFrame *>(widget())->clicked();
            return;
        }
        QAccessibleWidget::doAction(actionName);
    }
};

QAccessibleInterface *accessibleFor(const QString &className, QObject *object)
{
    if (className == QLatin1String("tFrame") && object && object->isWidgetType())
        return new tFrameAccessible(static_cast<tFrame *>(object));
    return nullptr;
}

} // namespace

tFrame::tFrame(const QIcon &icon, const QString &caption, QWidget *parent)
    : QFrame(parent), m_icon(new QLabel(this)), m_caption(new QLabel(caption, this))
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleFor);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(caption);
    setFrameShape(QFrame::StyledPanel);
    m_icon->setPixmap(icon.pixmap(16, 16));
    m_icon->setAlignment(Qt::AlignCenter);
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 3, 4, 3);
    layout->setSpacing(1);
    layout->addWidget(m_icon);
    layout->addWidget(m_caption);

    setStyleSheet(QStringLiteral(
        "tFrame { background: #f4f6fa; border: 1px solid #aab4c8; border-radius: 4px; }"
        "tFrame:hover { background: #e6ecf7; }"
        "tFrame:disabled { background: #c9d8f0; border: 2px solid #1f3f80; }"
        "tFrame QLabel { background: transparent; border: none; color: #1b1b1b; }"
        "tFrame QLabel:disabled { color: #0b1f4a; font-weight: bold; }"));
}

void tFrame::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QFrame::mouseReleaseEvent(event);
}

void tFrame::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return
        || event->key() == Qt::Key_Enter) {
        emit clicked();
        return;
    }
    QFrame::keyPressEvent(event);
}

bool tFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_caption && event->type() == QEvent::MouseButtonRelease && isEnabled()) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            emit labelClicked();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
