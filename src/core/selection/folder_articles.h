#pragma once

#include <QString>
#include <QStringList>

// The articles of a folder as the file list shows them; the window and the command line
// share these so both see the same files in the same order.
namespace folderarticles {

// Names of the *.txt entries in folder that are not folders (extension matched ignoring case;
// dangling links, pipes and the like included, hidden names not), sorted ignoring case; names
// equal but for case keep a fixed order. A name not valid in the system's encoding keeps its
// bytes escaped (see localnames). Empty when the folder cannot be listed.
QStringList articleFileNames(const QString &folder);

// folder + separator + file name, every doubled separator collapsed.
QString articlePath(const QString &folder, const QString &fileName);

// Full paths of the folder's articles, in the order of articleFileNames.
QStringList articlePathsIn(const QString &folder);

} // namespace folderarticles
