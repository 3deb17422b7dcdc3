#include "widget_helpers.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace widgets {

QLabel *makeLabel(const QString &text, QWidget *parent, const QString &name, QWidget *buddy)
{
    auto *label = new QLabel(text, parent);
    if (!name.isEmpty())
        label->setObjectName(name);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

QPushButton *makeButton(const QString &name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAccessibleName(caption);
    button->setAutoDefault(false);
    return button;
}

QLineEdit *makeLineEdit(const QString &name, const QString &accessible, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setAccessibleName(accessible);
    return edit;
}

} // namespace widgets
