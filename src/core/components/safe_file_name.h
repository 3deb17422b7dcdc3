#pragma once

#include <QString>

// Names typed by the user become file names inside our own folders; these checks keep
// them from naming a path elsewhere or a file the platform cannot create.
namespace safename {

// The distinct characters of name that a file name cannot hold here (path separators on
// every platform, plus the reserved ones on Windows and control characters), in order.
QString forbiddenCharacters(const QString &name);

// True when name can be used as a single file name: no forbidden character, not "." or "..".
bool isSafe(const QString &name);

// Every forbidden character replaced by replacement.
QString replaceForbidden(const QString &name, QChar replacement);

// A readable list for messages, e.g. "/ \ :" ; control characters are shown by code.
QString describe(const QString &characters);

} // namespace safename
