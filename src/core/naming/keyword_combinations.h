#pragma once

#include <QStringList>

// Every pattern with every keyword put in for "#KEYWORD#": all keywords for the first
// pattern, then all for the second, and so on. Duplicates stay.
QStringList combineKeywords(const QStringList &patterns, const QStringList &keywords);

// The keyword that one of the patterns combined into name, as combineKeywords() does; empty when
// no pattern gives the name (the user edited it, say). Where several fit, the pattern with the
// most fixed text wins: "best #KEYWORD# tips" over "#KEYWORD# tips" for "best garden tips".
QString keywordOfName(const QString &name, const QStringList &patterns);
