#include "platform.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QStorageInfo>
#include <QUrl>

Platform::Answer QtPlatform::messageBox(QWidget *parent, const QString &text, const QString &title,
                                        Buttons buttons, Icon icon)
{
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int pressed = box.exec();
    if (buttons == Buttons::YesNo)
        // A box closed without an answer (the program told to quit) is no Yes.
        return pressed == QMessageBox::Yes ? Answer::Yes : Answer::No;
    return Answer::Ok;
}

bool QtPlatform::startDetached(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}

bool QtPlatform::openFolder(const QString &folder)
{
#ifdef Q_OS_WIN
    return QProcess::startDetached(QStringLiteral("explorer"), {QDir::toNativeSeparators(folder)});
#else
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
#endif
}

QStringList QtPlatform::drives()
{
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString root = QDir::toNativeSeparators(volume.rootPath());
        if (!roots.contains(root))
            roots.append(root);
    }
    const QString systemRoot = QDir::toNativeSeparators(QDir::rootPath());
    roots.removeAll(systemRoot);
    roots.prepend(systemRoot);
    return roots;
}
