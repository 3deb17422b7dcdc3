#pragma once

#include <QString>

// Where the application folder is. A portable folder (the program beside bin/template.html, as
// the build stages it) is its own application folder. An installed program keeps its shared
// data read-only under share/paperwake and works in a folder of the user's, seeded from there.
namespace applocation {

// The names the per-user folder is made of; both programs set them so they share one folder.
void setApplicationNames();

// True when folder holds bin/template.html.
bool isApplicationFolder(const QString &folder);

// share/paperwake beside the bin folder an installed program runs from.
QString installedDataFolder(const QString &programFolder);

// The per-user application folder under the user's data location, e.g.
// ~/.local/share/Paperwake/paperwake.
QString perUserFolder();

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
