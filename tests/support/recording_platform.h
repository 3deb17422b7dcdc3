#pragma once

#include "platform.h"

#include <QList>
#include <QQueue>

#include <functional>

// Test double: records what would have been shown or started, answers message boxes
// from a queue (Yes when the queue is empty), and still handles pending events.
class RecordingPlatform : public Platform
{
public:
    struct Message
    {
        QString text;
        QString title;
        Buttons buttons;
        Icon icon;
    };
    struct Started
    {
        QString program;
        QStringList arguments;
    };

    Answer messageBox(QWidget *parent, const QString &text, const QString &title, Buttons buttons,
                      Icon icon) override;
    bool startDetached(const QString &program, const QStringList &arguments) override;
    bool openFolder(const QString &folder, std::function<void()> failed = {}) override;
    QStringList drives() override;

    QList<Message> messages;
    QList<Started> started;
    QStringList openedFolders;
    QQueue<Answer> answers;
    QStringList driveList;
    // The file manager starts but then fails, as when none is installed.
    bool openFolderFailsLater = false;
    // Runs inside messageBox, e.g. to check the window's state while the box is up.
    std::function<void(const Message &)> onMessage;
};
