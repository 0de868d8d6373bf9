// A fault aimed at request N of a run hits the N-th request that the trace
// lists, and the run's request count counts the same requests: the three
// tell one numbering.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "json_fields.h"
#include "tool_process.h"
#include "update_files.h"

namespace cli_test {
namespace {

class FaultNumbers : public ::testing::TestWithParam<std::size_t> {};

TEST_P(FaultNumbers, FailAtNStallsTheNthTracedRequest) {
    const std::size_t n = GetParam();
    UpdateFiles files;
    const std::string file = files.Write("fw.hex", 0x1000, 0x3C);
    const std::string trace = files.dir.PathOf("run.trace");
    const ToolResult run =
        RunTool({{"update", file, "--yes", "--json", "--simulate", "--sim-clock=virtual", "--trace",
                  trace, "--sim-fault=fail@" + std::to_string(n)}});

    const std::vector<std::string> requests = TracedRequests(trace);
    ASSERT_GE(requests.size(), n);
    for (std::size_t i = 0; i + 1 < n; ++i)
        EXPECT_TRUE(requests[i].ends_with(" ok")) << "request " << i + 1 << ": " << requests[i];
    EXPECT_NE(requests[n - 1].find(" fail (simulated device: request stalled)"), std::string::npos)
        << "request " << n << ": " << requests[n - 1];

    const auto result = ParseFlatJson(Lines(run.out).back());
    ASSERT_TRUE(result) << run.out;
    EXPECT_EQ(result->at("requests"), std::to_string(requests.size()));
}

// The first request, one early in the ISP entry, one in the programming.
INSTANTIATE_TEST_SUITE_P(Requests, FaultNumbers, ::testing::Values(1, 5, 400),
                         [](const auto& info) { return "Request" + std::to_string(info.param); });

}  // namespace
}  // namespace cli_test
