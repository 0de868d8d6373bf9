#pragma once

#include <string>
#include <vector>

#include "cli/environment.h"

namespace cli {

// One run of palereed-flash with the arguments after the program name;
// returns the exit code.
int Run(const std::vector<std::string>& args, Environment& environment);

}  // namespace cli
