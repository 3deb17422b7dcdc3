#pragma once

#include <QString>

namespace cli {

// "paperwake-cli --help": the commands, where output goes and the exit statuses.
QString generalHelp();
// Where this program works and which converter it would run, as it finds them now.
QString whereHelp();

} // namespace cli
