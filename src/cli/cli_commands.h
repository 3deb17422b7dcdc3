#pragma once

#include <QStringList>

// paperwake-cli: the PDF runs, the keyword names and the filler generator without a window.
// arguments are the whole command line, program name first; returns the exit status.
int runCommandLine(const QStringList &arguments);

namespace cliexit {
constexpr int kAllMade = 0;    // every PDF made, or the names / the filler written
constexpr int kSomeFailed = 1; // some PDFs could not be made
constexpr int kBadInput = 2;   // bad usage or input: nothing was made
} // namespace cliexit
