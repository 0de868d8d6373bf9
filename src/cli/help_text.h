#pragma once

#include <string>

namespace cli {

// The text of --help, exit codes included.
std::string HelpText();

// "palereed-flash 1.01"
std::string VersionText();

}  // namespace cli
