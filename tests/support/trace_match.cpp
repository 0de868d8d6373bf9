#include "trace_match.h"

#include <algorithm>
#include <cstdio>

namespace testing_support {

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char digits[3];
    for (std::uint8_t byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        text += digits;
    }
    return text;
}

::testing::AssertionResult TraceIs(const std::vector<std::string>& actual,
                                   const std::vector<std::string>& expected) {
    const std::size_t common = std::min(actual.size(), expected.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (actual[i] != expected[i]) {
            return ::testing::AssertionFailure() << "line " << i << " is \"" << actual[i]
                                                 << "\", expected \"" << expected[i] << '"';
        }
    }
    if (actual.size() != expected.size()) {
        return ::testing::AssertionFailure()
               << actual.size() << " lines, expected " << expected.size() << "; first extra: \""
               << (actual.size() > common ? actual[common] : expected[common]) << '"';
    }
    return ::testing::AssertionSuccess();
}

}  // namespace testing_support
