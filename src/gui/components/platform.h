#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// Everything the windows ask of the desktop goes through here, so tests can answer
// message boxes and see which folders or programs would have been opened.
class Platform
{
public:
    enum class Icon { Information, Question, Warning, Critical };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~Platform() = default;

    virtual Answer messageBox(QWidget *parent, const QString &text, const QString &title,
                              Buttons buttons = Buttons::Ok, Icon icon = Icon::Information) = 0;
    // Starts a program without waiting for it; false when it could not be started.
    virtual bool startDetached(const QString &program, const QStringList &arguments) = 0;
    // Shows a folder in the desktop's file manager without waiting for it; false when nothing
    // could be started. When what was started finds no file manager, failed runs later, from
    // the event loop.
    virtual bool openFolder(const QString &folder, std::function<void()> failed = {}) = 0;
    // Roots of the mounted, ready volumes; the system root first.
    virtual QStringList drives() = 0;
};

class QtPlatform : public Platform
{
public:
    Answer messageBox(QWidget *parent, const QString &text, const QString &title, Buttons buttons,
                      Icon icon) override;
    bool startDetached(const QString &program, const QStringList &arguments) override;
    bool openFolder(const QString &folder, std::function<void()> failed = {}) override;
    QStringList drives() override;
};
