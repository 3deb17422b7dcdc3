#include "app_location.h"

#include "build_info.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace applocation {

void setApplicationNames()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Paperwake"));
    QCoreApplication::setApplicationName(QStringLiteral("paperwake"));
}

bool isApplicationFolder(const QString &folder)
{
    return QFileInfo(folder + QStringLiteral("/bin/template.html")).isFile();
}

QString installedDataFolder(const QString &programFolder)
{
    // The path from the executables to their data, as the build installs them.
    return QDir::toNativeSeparators(
        QDir::cleanPath(programFolder + u'/' + QStringLiteral(PAPERWAKE_DATA_FROM_BIN)));
}

QString perUserFolder()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // Qt falls back to "/" without HOME, which put the folder at the root of the file system.
    // A relative XDG_DATA_HOME is ignored, as the XDG rules say.
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(dataHome)) {
        const QString home = qEnvironmentVariable("HOME");
        if (!QDir::isAbsolutePath(home))
            return {};
        dataHome = home + QStringLiteral("/.local/share");
    }
    return QDir::toNativeSeparators(QDir::cleanPath(dataHome + u'/' +
                                                    QCoreApplication::organizationName() + u'/' +
                                                    QCoreApplication::applicationName()));
#else
    return QDir::toNativeSeparators(
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
#endif
}

bool isInstalled(const QString &programFolder)
{
    // Only the installed data beside the program says so: a portable folder that lost its
    // bin or template must not send the user to another folder.
    return !isApplicationFolder(programFolder) &&
           QFileInfo(installedDataFolder(programFolder)).isDir();
}

QString applicationFolder(const QString &programFolder)
{
    if (isInstalled(programFolder))
        return perUserFolder();
    return QDir::toNativeSeparators(programFolder);
}

QStringList seedFolder(const QString &source, const QString &target)
{
    QStringList failed;
    const QDir from(source);
    QDirIterator it(source, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString copy = target + u'/' + from.relativeFilePath(file);
        const QFileInfo existing(copy);
        if (existing.exists() || existing.isSymLink())
            continue; // the user's: never replaced
        // Links in the shared data (scripts the system keeps) become plain copies here.
        if (!QDir().mkpath(existing.path()) || !QFile::copy(file, copy)) {
            failed << QDir::toNativeSeparators(copy);
            continue;
        }
        // Read-only shared files would otherwise stay read-only for the user who edits them.
        QFile::setPermissions(copy, QFile::permissions(copy) | QFileDevice::WriteOwner);
    }
    if (!QDir().mkpath(target + QStringLiteral("/bin/output")))
        failed << QDir::toNativeSeparators(target + QStringLiteral("/bin/output"));
    return failed;
}

PreparedFolder prepareApplicationFolder(const QString &programFolder)
{
    PreparedFolder prepared;
    prepared.path = applicationFolder(programFolder);
    if (!isInstalled(programFolder))
        return prepared;
    if (prepared.path.isEmpty()) {
        prepared.problem = kNoHome;
        return prepared;
    }
    const QString data = installedDataFolder(programFolder);
    if (!QFileInfo(data + QStringLiteral("/bin/template.html")).isFile()) {
        prepared.problem =
            QStringLiteral("Paperwake's own files are missing from\n%1\nso your folder\n%2\ncannot "
                           "be filled. Reinstall Paperwake.")
                .arg(data, prepared.path);
        return prepared;
    }
    const QStringList failed = seedFolder(data, prepared.path);
    if (!failed.isEmpty())
        prepared.problem =
            QStringLiteral("Paperwake could not set up its folder\n%1\nThese could not be made:\n"
                           "%2\n\nMake sure you can write there and the disk is not full; "
                           "missing files are copied again at the next start.")
                .arg(prepared.path, failed.join(u'\n'));
    return prepared;
}

} // namespace applocation
