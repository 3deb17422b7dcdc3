#include "platform.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QUrl>

#include <memory>

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

bool QtPlatform::openFolder(const QString &folder, std::function<void()> failed)
{
#ifdef Q_OS_WIN
    Q_UNUSED(failed);
    return QProcess::startDetached(QStringLiteral("explorer"), {QDir::toNativeSeparators(folder)});
#else
    // QDesktopServices runs xdg-open and calls it a success once it has started, also when it
    // then finds no file manager; its exit status says so. Without xdg-open, Qt's own way.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    // No parent: at exit it is left running, so a file manager it started is never ended.
    auto *process = new QProcess;
    process->setProgram(opener);
    process->setArguments({folder});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(process, &QProcess::finished, process,
                     [process, failed, started](int code, QProcess::ExitStatus status) {
                         // A file manager xdg-open waited for, closed long after, opened fine.
                         constexpr qint64 kOpeningMs = 30000;
                         if ((status != QProcess::NormalExit || code != 0) && failed &&
                             started->elapsed() < kOpeningMs)
                             failed();
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, failed](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         if (failed)
                             failed();
                         process->deleteLater();
                     });
    process->start();
    return true;
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
