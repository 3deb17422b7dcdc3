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
    return QDir::toNativeSeparators(
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
}

QString applicationFolder(const QString &programFolder)
{
    if (isApplicationFolder(programFolder))
        return QDir::toNativeSeparators(programFolder);
    return perUserFolder();
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
    if (isApplicationFolder(programFolder))
        return prepared;
    if (prepared.path.isEmpty()) {
        prepared.problem = QStringLiteral(
            "Paperwake found no folder of yours to keep its files in. Set HOME to your home "
            "folder and start it again.");
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
