// Each command and exit code through the real executable, against simulated
// products.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "json_fields.h"
#include "sim/firmware_layout.h"
#include "tool_process.h"
#include "update_files.h"

namespace cli_test {
namespace {

TEST(CliCommands, HelpListsEveryExitCodeOnStdout) {
    const ToolResult result = RunTool({{"--help"}});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.err.empty());
    EXPECT_NE(result.out.find("Usage: palereed-flash"), std::string::npos);
    for (const char* code :
         {"  0  done", "  1  the update or verify failed", "  2  usage", "  3  no device",
          "  4  the file was refused", "  5  permission", "  6  interrupted"})
        EXPECT_NE(result.out.find(code), std::string::npos) << code;
}

TEST(CliCommands, VersionIsTheProjectVersion) {
    const ToolResult result = RunTool({{"list", "--version"}});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, std::string("palereed-flash ") + PALEREED_PROJECT_VERSION + "\n");
}

struct BadCall {
    const char* name;
    std::vector<std::string> args;
};

void PrintTo(const BadCall& call, std::ostream* out) {
    *out << call.name;
}

class CliUsageError : public ::testing::TestWithParam<BadCall> {};

TEST_P(CliUsageError, IsOneLineOnStderrAndExitTwo) {
    const ToolResult result = RunTool({GetParam().args});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.out.empty()) << result.out;
    EXPECT_EQ(Lines(result.err).size(), 1u) << result.err;
    EXPECT_EQ(result.err.rfind("palereed-flash: ", 0), 0u) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Calls, CliUsageError,
    ::testing::Values(BadCall{"UnknownOption", {"list", "--frob"}},
                      BadCall{"NoCommand", {"--simulate"}},
                      BadCall{"UnknownCommand", {"flash", "--simulate"}},
                      BadCall{"RowOutOfRange", {"list", "--simulate=10"}},
                      BadCall{"UnknownFlashModel", {"list", "--simulate", "--sim-flash=xyz"}},
                      BadCall{"VerifyWithoutFile", {"verify", "--simulate"}},
                      BadCall{"ReadWithoutFile", {"read", "--simulate"}},
                      BadCall{"LengthTooLarge", {"read", "x.bin", "--length", "0x1000001"}},
                      BadCall{"QuietAndVerbose", {"list", "--quiet", "--verbose"}},
                      BadCall{"AllWithoutUpdate", {"info", "--all", "--simulate"}},
                      BadCall{"ExtraArgument", {"list", "extra", "--simulate"}},
                      BadCall{"ReportWithoutUpdate", {"info", "--simulate", "--report", "r"}},
                      BadCall{"ReportWithAll", {"update", "--all", "--simulate", "--report", "r"}},
                      BadCall{"TraceNotWritable",
                              {"list", "--simulate", "--trace", "/no/such/dir/t"}},
                      BadCall{"UnknownFaultKind", {"list", "--simulate", "--sim-fault=melt@3"}},
                      BadCall{"UnknownSimClock", {"list", "--simulate", "--sim-clock=fast"}},
                      BadCall{"SimOptionWithoutProduct", {"list", "--sim-timing=max"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliCommands, ListShowsEveryProductAndTheBareChip) {
    const ToolResult result = RunTool({{"--simulate", "--simulate=3", "list"}});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 3u) << result.out;
    EXPECT_EQ(lines[1].substr(0, 12), "1-2         ");
    EXPECT_NE(lines[1].find("2fc6:f066  normal"), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("Pale Reed F066"), std::string::npos);
    EXPECT_NE(lines[2].find("2fc6:f069"), std::string::npos);

    const ToolResult isp = RunTool({{"list", "--sim-isp=0ea0", "--json"}});
    ASSERT_EQ(isp.exitCode, 0);
    const auto json = Lines(isp.out);
    ASSERT_EQ(json.size(), 2u);
    const auto device = ParseFlatJson(json[0]);
    ASSERT_TRUE(device) << json[0];
    EXPECT_EQ(device->at("vid_pid"), "0ea0:6000");
    EXPECT_EQ(device->at("mode"), "isp");
    EXPECT_EQ(device->at("location"), "1-2");
    EXPECT_EQ(device->at("may_open"), "true");
    EXPECT_EQ(ParseFlatJson(json[1])->at("status"), "success");
}

TEST(CliCommands, NoDeviceOrSeveralWithoutDeviceIsExitThree) {
    UpdateFiles files;
    const std::string file = files.Write("fw.hex", 0x1000, 1);
    const ToolResult several = RunTool({{"update", file, "--simulate", "--simulate", "--yes"}});
    EXPECT_EQ(several.exitCode, 3);
    EXPECT_NE(several.err.find("1-2 (Pale Reed F066), 1-3 (Pale Reed F066)"), std::string::npos);
    const ToolResult unknown = RunTool({{"info", "--simulate", "--device", "9-9"}});
    EXPECT_EQ(unknown.exitCode, 3);
    EXPECT_NE(unknown.err.find("'9-9'"), std::string::npos);
    // The real bus of a build machine: nothing of ours is plugged in.
    EXPECT_EQ(RunTool({{"list"}}).exitCode, 3);
}

TEST(CliCommands, ARefusedFileIsExitFourWithLineAndColumn) {
    UpdateFiles files;
    const std::string bad = files.dir.Write("bad.hex", ":10000000ZZ\n");
    const ToolResult result = RunTool({{"update", bad, "--simulate", "--yes"}});
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_NE(result.err.find("line 1, column 10"), std::string::npos) << result.err;

    const std::string big = files.dir.Write("big.bin", std::string(0x40001, '\xFF'));
    const ToolResult tooBig = RunTool({{"update", big, "--simulate", "--yes"}});
    EXPECT_EQ(tooBig.exitCode, 4);
    EXPECT_EQ(Lines(tooBig.err).size(), 1u) << tooBig.err;
    EXPECT_EQ(tooBig.out, "");

    const ToolResult missing = RunTool({{"update", "--simulate", "--yes"}, files.dir.PathOf("")});
    EXPECT_EQ(missing.exitCode, 4);
    EXPECT_NE(missing.err.find("no update file PaleReed_f066.hex"), std::string::npos);
}

TEST(CliCommands, TheBareChipNeedsTheFileNamed) {
    const ToolResult result = RunTool({{"update", "--sim-isp", "--yes"}});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("is the bare chip waiting in ISP mode for its firmware (an earlier "
                              "update did not finish)"),
              std::string::npos)
        << result.err;
}

TEST(CliCommands, UpdateFindsTheProductsFileWhateverItsCase) {
    UpdateFiles files;
    files.Write("PALEREED_F06A.HEX", 0x1000, 4, 4);
    const ToolResult result = RunTool({{"update", "--simulate=4", "--yes"}, files.dir.PathOf("")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("Firmware update success!"), std::string::npos);
}

TEST(CliCommands, VerifyReportsTheFirstDifference) {
    UpdateFiles files;
    // The first 16 KiB of the firmware the simulated product left the factory with.
    std::vector<std::uint8_t> firmware = sim::MakeFirmwareImage(0x10000, 0);
    firmware.resize(0x4000);
    const std::string same = files.WriteBytes("same.hex", firmware);
    firmware[0x1234] ^= 0x40;
    const std::string other = files.WriteBytes("other.hex", firmware);

    const ToolResult match = RunTool({{"verify", same, "--simulate"}});
    EXPECT_EQ(match.exitCode, 0) << match.err;
    EXPECT_NE(match.out.find("matches"), std::string::npos);
    const ToolResult differs = RunTool({{"verify", other, "--simulate", "--json"}});
    EXPECT_EQ(differs.exitCode, 1);
    EXPECT_EQ(ParseFlatJson(Lines(differs.out).back())->at("address"), "0x001234");
}

TEST(CliCommands, ReadWritesTheFlashIntoABinaryFile) {
    UpdateFiles files;
    const std::string out = files.dir.PathOf("flash.bin");
    const std::string trace = files.dir.PathOf("trace.txt");
    const ToolResult result =
        RunTool({{"read", out, "--length", "4096", "--simulate=2", "--trace", trace}});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::ifstream traced(trace);
    const std::string lines{std::istreambuf_iterator<char>(traced), {}};
    EXPECT_NE(lines.find("43 84 3b92 4e71 0 - ok"), std::string::npos) << lines.substr(0, 400);
    std::ifstream in(out, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    const std::vector<std::uint8_t> firmware = sim::MakeFirmwareImage(0x10000, 2);
    EXPECT_EQ(bytes, std::vector<std::uint8_t>(firmware.begin(), firmware.begin() + 4096));
}

TEST(CliCommands, InfoShowsFlashParametersAndStatus) {
    const ToolResult result = RunTool({{"info", "--simulate"}});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const char* text : {"SST25VF016B, JEDEC ID BF 25 41, 2048 KiB", "\"2fc6\", \"f066\"",
                             "String 2:       \"Pale Reed F066\"",
                             "A1 00 00 00: I2S 32 bit, SPDIF 24 bit, MCLK 512 Fs",
                             "USB connected, Playing, PCM, 192KHz"})
        EXPECT_NE(result.out.find(text), std::string::npos) << text << "\n" << result.out;

    const ToolResult isp = RunTool({{"info", "--sim-isp", "--sim-flash", "w25", "--json"}});
    ASSERT_EQ(isp.exitCode, 0) << isp.err;
    const auto info = ParseFlatJson(Lines(isp.out).front());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->at("jedec_id"), "EF 40 14");
    EXPECT_EQ(info->at("flash_capacity"), "1048576");
    EXPECT_EQ(info->count("vid"), 0u);
}

// A stalled request in the VID read (request 7 of the run: the mailbox
// request up to its first data byte) leaves the VID unknown, not empty, and
// the run says so.
TEST(CliCommands, InfoTellsAParameterTheDeviceDidNotAnswer) {
    const ToolResult text = RunTool({{"info", "--simulate", "--sim-fault", "fail@7"}});
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_NE(text.out.find("VID, PID:       no answer, \"f066\""), std::string::npos) << text.out;
    EXPECT_NE(text.err.find("did not answer"), std::string::npos) << text.err;

    const ToolResult json = RunTool({{"info", "--simulate", "--sim-fault", "fail@7", "--json"}});
    const auto info = ParseFlatJson(Lines(json.out).front());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->at("vid"), "null");
    EXPECT_EQ(info->at("system_setting"), "A1000000");
}

}  // namespace
}  // namespace cli_test
