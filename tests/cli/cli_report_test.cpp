// update --report FILE: the run's requests under a header that says what ran
// and how it ended, written whether the update succeeds or fails.

#include <gtest/gtest.h>

#include <ostream>

#include "in_process_tool.h"
#include "json_fields.h"
#include "support/report_reading.h"
#include "tool_process.h"
#include "update_files.h"

namespace cli_test {
namespace {

struct ReportCase {
    const char* name;
    bool fault;
    int exitCode;
};

void PrintTo(const ReportCase& c, std::ostream* out) {
    *out << c.name;
}

class CliReport : public testing::TestWithParam<ReportCase> {};

TEST_P(CliReport, HoldsTheRunsRequestsUnderTheHeaderTheResultGives) {
    UpdateFiles files;
    const std::string file = files.Write("fw.hex", 0x1000, 0x35);
    const std::string report = files.dir.PathOf("report.txt");
    const std::string trace = files.dir.PathOf("trace.txt");
    InProcessTool tool;
    tool.Plug(0, "1-2");
    if (GetParam().fault) {
        sim::FaultPlan plan;
        plan.corruptReads = sim::FaultPlan::CorruptReads{0x123, 0x01, 1000};
        tool.bus.SetFaultPlan(plan);
    }
    ASSERT_EQ(tool.Run({"update", file, "--yes", "--json", "--report", report, "--trace", trace}),
              GetParam().exitCode)
        << tool.err;
    const auto result = ParseFlatJson(Lines(tool.out).back());
    ASSERT_TRUE(result) << tool.out;

    test_support::ReadReport read = test_support::ReadReportFile(report);
    EXPECT_EQ(read.title, "Pale Reed update report");
    auto& header = read.header;
    EXPECT_EQ(header["tool"], std::string("palereed-flash ") + PALEREED_PROJECT_VERSION);
    EXPECT_EQ(header["product"], "Pale Reed F066");
    EXPECT_EQ(header["flash part"], "SST25VF016B");
    EXPECT_EQ(header["file"], file);
    EXPECT_EQ(header["sha256"], result->at("sha256"));
    EXPECT_EQ(header["outcome"], result->at("status"));
    EXPECT_EQ(header["message"], result->at("message"));
    if (GetParam().fault) {
        EXPECT_EQ(header["step"], "blank check");
        EXPECT_EQ(header["address"], "0x000123");
        EXPECT_EQ(header["cause"], result->at("cause"));
    } else {
        EXPECT_EQ(header.count("step"), 0u);
    }
    // The request lines are the run's, exactly as the trace file has them
    // below its own first line.
    std::vector<std::string> traced = test_support::FileLines(trace);
    ASSERT_FALSE(traced.empty());
    traced.erase(traced.begin());
    EXPECT_EQ(read.requests, traced);
    EXPECT_EQ(header["requests"], std::to_string(traced.size()) + " lines follow");
}

INSTANTIATE_TEST_SUITE_P(Runs, CliReport,
                         testing::Values(ReportCase{"Success", false, 0},
                                         ReportCase{"Failure", true, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cli_test
