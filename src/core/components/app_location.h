#pragma once

#include <QString>

// Where the application folder is. A portable folder (the program beside bin/template.html, as
// the build stages it) is its own application folder, also when parts of it are missing. An
// installed program keeps its shared data read-only under share/paperwake and works in a folder
// of the user's, seeded from there.
namespace applocation {

// The names the per-user folder is made of; both programs set them so they share one folder.
void setApplicationNames();

// True when folder holds bin/template.html.
bool isApplicationFolder(const QString &folder);

// share/paperwake beside the bin folder an installed program runs from.
QString installedDataFolder(const QString &programFolder);

// The per-user application folder under the user's data location, e.g.
// ~/.local/share/Paperwake/paperwake; empty when HOME is not set (or not absolute) and no
// absolute XDG_DATA_HOME says where it is.
QString perUserFolder();

// The problem when there is no per-user folder; callers add how else to go on.
inline const QString kNoHome =
    QStringLiteral("HOME is not set, so the per-user folder cannot be found: set HOME");

// Whether the program in programFolder is an installed one: no bin/template.html of its own,
// and share/paperwake beside its bin folder. Otherwise it is a portable folder, complete or not.
bool isInstalled(const QString &programFolder);

// The application folder for a program in programFolder, without making anything.
QString applicationFolder(const QString &programFolder);

struct PreparedFolder
{
    QString path;    // native separators
    QString problem; // empty when the folder is ready; else what is wrong and what to do
};

// Copies every file of source that target lacks and makes target/bin/output. Files already in
// target are the user's and stay as they are. Returns the files that could not be copied.
QStringList seedFolder(const QString &source, const QString &target);

// applicationFolder(); a per-user folder is made and filled with what it lacks first.
PreparedFolder prepareApplicationFolder(const QString &programFolder);

} // namespace applocation
