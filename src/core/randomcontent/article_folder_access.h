#pragma once

#include <QString>

// What the filler window needs of the main window's article browser: the folder it shows
// (where a filler article is saved) and a way to list that folder's files again.
struct ArticleFolderAccess
{
    virtual ~ArticleFolderAccess() = default;
    // The browsed folder, native separators; a drive root keeps its trailing separator.
    virtual QString folder() const = 0;
    // Re-reads the browsed folder's article files so a newly saved one shows at once.
    virtual void refreshFiles() = 0;
};
