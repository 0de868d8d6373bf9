#include "trace_match.h"

#include <algorithm>

namespace testing_support {

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
