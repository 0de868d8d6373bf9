#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

// A command line from fuzz input: the program name, then one argument per
// NUL-separated piece (empty pieces included, as a shell can pass them).
// Shared by the option-parser targets, so one corpus format serves them all.
std::vector<std::string> ArgumentList(const std::uint8_t* data, std::size_t size,
                                      const std::string& programName);

}  // namespace fuzz
