#pragma once

#include <QStringList>

// paperwake-cli: the PDF runs, the keyword names and the filler generator without a window.
// arguments are the whole command line, program name first; returns the exit status.
int runCommandLine(const QStringList &arguments);

namespace cliexit {
constexpr int kAllMade = 0;    // every PDF made, or the names / the filler written
constexpr int kSomeFailed = 1; // some PDFs could not be made, or hold characters no font draws
constexpr int kBadInput = 2;   // bad usage or input: nothing was made
} // namespace cliexit

// The commands; arguments are the program name and what follows the command.
namespace clicommands {
// bulk (one PDF per article) and single (one PDF of all articles): the same options, checks
// and run, with each mode's own options.
int runCommand(bool bulk, const QStringList &arguments);
int namesCommand(const QStringList &arguments);
int fillerCommand(const QStringList &arguments);
} // namespace clicommands
