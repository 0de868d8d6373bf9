#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// Compares request traces line by line; a failure names the first line that
// differs, which reads far better than two long vectors side by side.
// Bytes as a trace line writes them: lower-case hex digits, no separators.
std::string Hex(const std::vector<std::uint8_t>& bytes);

::testing::AssertionResult TraceIs(const std::vector<std::string>& actual,
                                   const std::vector<std::string>& expected);

}  // namespace testing_support
