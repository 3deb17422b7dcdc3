#pragma once

#include <QString>

namespace modGeneral {

// True when an entry matches sPath ('*' and '?' are wildcards in the name part). Hidden and
// system files count; a folder counts only when bIsFolder is set.
bool FileOrFolderExists(const QString &sPath, bool bIsFolder);

// Every occurrence of find replaced, left to right without overlap; replaced text is never
// searched again. Mode 0 compares exactly, others ignore case. An empty find changes nothing.
QString ReplaceAll(const QString &text, const QString &find, const QString &replacement,
                   const int &mode);

} // namespace modGeneral
