#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace testing_support {

// Compares request traces line by line; a failure names the first line that
// differs, which reads far better than two long vectors side by side.
::testing::AssertionResult TraceIs(const std::vector<std::string>& actual,
                                   const std::vector<std::string>& expected);

}  // namespace testing_support
