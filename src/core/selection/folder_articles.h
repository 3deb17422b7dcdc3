#pragma once

#include <QString>
#include <QStringList>

// The articles of a folder as the file list shows them; the window and the command line
// share these so both see the same files in the same order.
namespace folderarticles {

// Names of the *.txt files in folder (extension matched ignoring case), sorted ignoring case;
// names equal but for case keep a fixed order. Empty when the folder cannot be listed.
QStringList articleFileNames(const QString &folder);

// folder + separator + file name, every doubled separator collapsed.
QString articlePath(const QString &folder, const QString &fileName);

// Full paths of the folder's articles, in the order of articleFileNames.
QStringList articlePathsIn(const QString &folder);

} // namespace folderarticles
