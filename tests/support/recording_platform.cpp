#include "recording_platform.h"

#include <QCoreApplication>
#include <QDir>

Platform::Answer RecordingPlatform::messageBox(QWidget *, const QString &text, const QString &title,
                                               Buttons buttons, Icon icon)
{
    messages.append({text, title, buttons, icon});
    if (onMessage)
        onMessage(messages.last());
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return answers.isEmpty() ? Answer::Yes : answers.dequeue();
}

bool RecordingPlatform::startDetached(const QString &program, const QStringList &arguments)
{
    started.append({program, arguments});
    return true;
}

bool RecordingPlatform::openFolder(const QString &folder, std::function<void()> failed)
{
    openedFolders.append(folder);
    if (openFolderFailsLater && failed)
        QMetaObject::invokeMethod(qApp, std::move(failed), Qt::QueuedConnection);
    return true;
}

QStringList RecordingPlatform::drives()
{
    return driveList.isEmpty() ? QStringList{QDir::toNativeSeparators(QDir::rootPath())} : driveList;
}
