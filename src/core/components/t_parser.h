#pragma once

#include <QString>

class tParser
{
public:
    // Every occurrence of find replaced, left to right; mode 0 compares exactly,
    // any other mode ignores case. An empty find leaves the text as it is.
    static QString ReplaceText(const QString &text, const QString &find, const QString &replaceWith,
                               int mode = 0);
};
