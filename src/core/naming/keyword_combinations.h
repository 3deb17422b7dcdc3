#pragma once

#include <QStringList>

// Every pattern with every keyword put in for "#KEYWORD#": all keywords for the first
// pattern, then all for the second, and so on. Duplicates stay.
QStringList combineKeywords(const QStringList &patterns, const QStringList &keywords);
