#pragma once

#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The small pieces every window and panel builds its controls from; each control gets the
// object name tests and screen readers find it by.
namespace widgets {

// A label; name and buddy only when given.
QLabel *makeLabel(const QString &text, QWidget *parent, const QString &name = {},
                  QWidget *buddy = nullptr);

// A push button read out by its caption. Enter in a text box never presses it by surprise.
QPushButton *makeButton(const QString &name, const QString &caption, QWidget *parent);

// A one-line text box read out by the caption of the label in front of it.
QLineEdit *makeLineEdit(const QString &name, const QString &accessible, QWidget *parent);

} // namespace widgets
