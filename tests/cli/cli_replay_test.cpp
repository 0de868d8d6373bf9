// --replay: a run recorded with --trace, replayed against the trace alone,
// must be the same run; a run that parts from the recording stops at the
// first request that differs, naming the trace line.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/in_process_tool.h"
#include "cli/update_files.h"
#include "support/product_image.h"

namespace cli_test {
namespace {

constexpr std::uint32_t kReplayedImageLength = 0x3000;
constexpr const char* kStoredTraces = PALEREED_SOURCE_DIR "/tests/data/replay/";

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> FileLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    std::ofstream out(path);
    for (const std::string& line : lines)
        out << line << '\n';
}

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

class ReplayTest : public ::testing::Test {
protected:
    // Runs `args` on a simulated product with `flash`, writing `trace`.
    int Record(const std::vector<std::string>& args, const std::string& flash,
               const std::string& trace, const std::vector<std::string>& more = {}) {
        return tool.RunOnItsOwn(With(args, With({"--simulate", "--sim-flash", flash, "--sim-clock",
                                                 "virtual", "--trace", trace},
                                                more)));
    }
    int Replay(const std::vector<std::string>& args, const std::string& recorded,
               const std::string& trace) {
        return tool.RunOnItsOwn(With(args, {"--replay", recorded, "--trace", trace}));
    }
    std::vector<std::string> Update(const std::string& file) const {
        return {"update", file, "--yes", "--quiet"};
    }

    UpdateFiles files;
    InProcessTool tool;
};

struct Recorded {
    const char* flash;
    const char* command;
};

class RecordThenReplay : public ReplayTest, public ::testing::WithParamInterface<Recorded> {};

// The run as the tool sees it, and every line of its trace, opens, pauses
// and listings included, are those of the recording.
TEST_P(RecordThenReplay, ReproducesTheRunExactly) {
    const std::string file = files.Write("PaleReed_f066.hex", kReplayedImageLength, 7);
    const std::string output = files.dir.PathOf("flash.bin");
    const std::string command = GetParam().command;
    std::vector<std::string> args = {command};
    if (command == "update")
        args = Update(file);
    else if (command == "verify")
        args = {"verify", file, "--quiet"};
    else if (command == "read")
        args = {"read", output, "--length", "0x3000", "--quiet"};
    const std::string recorded = files.dir.PathOf("recorded.trace");
    const std::string replayed = files.dir.PathOf("replayed.trace");

    const int recordedCode = Record(args, GetParam().flash, recorded);
    const std::string recordedOut = tool.out;
    const std::string recordedErr = tool.err;
    const std::string recordedFlash = FileText(output);
    ASSERT_GT(FileLines(recorded).size(), 20U) << recordedErr;

    EXPECT_EQ(Replay(args, recorded, replayed), recordedCode) << tool.err;
    EXPECT_EQ(tool.out, recordedOut);
    EXPECT_EQ(tool.err, recordedErr);
    EXPECT_EQ(FileText(output), recordedFlash);
    EXPECT_EQ(FileText(replayed), FileText(recorded));
}

INSTANTIATE_TEST_SUITE_P(EveryPartAndCommand, RecordThenReplay,
                         ::testing::Values(Recorded{"sst25vf016b", "update"},
                                           Recorded{"mx32", "update"}, Recorded{"w25", "update"},
                                           Recorded{"sst25vf016b", "info"},
                                           Recorded{"mx32", "info"}, Recorded{"w25", "info"},
                                           Recorded{"sst25vf016b", "verify"},
                                           Recorded{"mx32", "verify"}, Recorded{"w25", "verify"},
                                           Recorded{"sst25vf016b", "read"},
                                           Recorded{"mx32", "read"}, Recorded{"w25", "read"}),
                         [](const ::testing::TestParamInfo<Recorded>& info) {
                             return std::string(info.param.flash) + "_" + info.param.command;
                         });

// The trace of one image replayed with another: every request matches up to
// the first page whose bytes differ, and that request stops the run with its
// trace line, the recorded request and the one sent.
TEST_F(ReplayTest, AnotherImageStopsAtTheFirstDifferingPage) {
    const std::string recordedFile = files.Write("PaleReed_f066.hex", kReplayedImageLength, 7);
    const std::string recorded = files.dir.PathOf("recorded.trace");
    ASSERT_EQ(Record(Update(recordedFile), "w25", recorded), 0) << tool.err;
    std::vector<std::uint8_t> other =
        test_support::ProductImage(0x2FC6, 0xF066, kReplayedImageLength, 7);
    other[0x2345] ^= 0x01;
    const std::string otherFile = files.WriteBytes("PaleReed_f066_other.hex", other);

    const std::string replayed = files.dir.PathOf("replayed.trace");
    EXPECT_EQ(Replay(Update(otherFile), recorded, replayed), 1);
    const std::vector<std::string> before = FileLines(recorded);
    const std::vector<std::string> after = FileLines(replayed);
    std::size_t differing = 0;
    while (differing < before.size() && differing < after.size() &&
           before[differing] == after[differing])
        ++differing;
    ASSERT_LT(differing, before.size());
    const std::string& line = before[differing];
    // The data of the page at 0x2300: its page-program instruction went out
    // as recorded, then its 256 bytes differ.
    std::size_t instruction = differing;
    while (instruction > 0 && before[--instruction].rfind("43 80 0000 0000 4 02", 0) != 0) {
    }
    EXPECT_EQ(before[instruction], "43 80 0000 0000 4 02002300 ok");
    EXPECT_EQ(line.rfind("43 80 0000 0001 256 ", 0), 0U) << line;
    EXPECT_EQ(tool.err, "palereed-flash: replay stopped at trace line " +
                            std::to_string(differing + 1) + ": expected \"" + line +
                            "\", the tool sent \"" + after[differing].substr(0, line.size() - 3) +
                            "\"\n");
}

enum class Changed { OutRequest, InReply };

class OneChangedByte : public ReplayTest, public ::testing::WithParamInterface<Changed> {};

// One byte of a recorded OUT request (a page's data) stops the replay at that
// line; one byte of a recorded answer (the verify's read-back) reaches the
// run, which sees a difference and parts from the recording.
TEST_P(OneChangedByte, FailsTheReplay) {
    const std::string file = files.Write("PaleReed_f066.hex", kReplayedImageLength, 7);
    const std::string recorded = files.dir.PathOf("recorded.trace");
    ASSERT_EQ(Record(Update(file), "w25", recorded), 0) << tool.err;
    std::vector<std::string> lines = FileLines(recorded);
    const bool out = GetParam() == Changed::OutRequest;
    // The last page's data, or the verify's read-back of the image's last
    // 64 bytes (the answer after the last read of 0x2fc0).
    const std::string head = out ? "43 80 0000 0001 256 " : "c3 82 0000 0000 64 ";
    const std::string after = out ? "" : "43 81 0040 0001 4 03002fc0 ok";
    std::size_t changed = lines.size();
    bool armed = after.empty();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == after)
            armed = true;
        if (armed && lines[i].rfind(head, 0) == 0) {
            changed = i;
            armed = after.empty();
        }
    }
    ASSERT_LT(changed, lines.size());
    char& digit = lines[changed][head.size() + 20];
    digit = digit == '0' ? '1' : '0';
    WriteLines(recorded, lines);

    EXPECT_EQ(Replay(Update(file), recorded, files.dir.PathOf("replayed.trace")), 1);
    // A changed page stops the replay at its own line; a changed answer
    // makes the verify read that block again, which the recording never did.
    const std::size_t stop = out ? changed : changed + 1;
    const std::string sent = out ? "" : ", the tool sent \"43 81 0040 0001 4 03002fc0\"";
    EXPECT_NE(tool.err.find("replay stopped at trace line " + std::to_string(stop + 1) +
                            ": expected \"" + lines[stop] + "\"" + sent),
              std::string::npos)
        << tool.err;
}

INSTANTIATE_TEST_SUITE_P(OfARecordedUpdate, OneChangedByte,
                         ::testing::Values(Changed::OutRequest, Changed::InReply),
                         [](const ::testing::TestParamInfo<Changed>& info) {
                             return info.param == Changed::OutRequest ? "OutRequest" : "InReply";
                         });

// Checked in, as a user's report would bring them: an update of a 4 KiB image
// on the W25Q80 part that succeeded, and one whose page program failed
// (recorded with --sim-flash w25 --sim-clock virtual, the second with
// --sim-fault fail@846, its line ends then made CRLF, as the trace file of a
// user on Windows has them). Replayed, each ends as it did.
TEST_F(ReplayTest, StoredTracesEndAsRecorded) {
    const std::string file = std::string(kStoredTraces) + "PaleReed_f066.hex";
    EXPECT_EQ(Replay(Update(file), std::string(kStoredTraces) + "update-success.trace",
                     files.dir.PathOf("success.trace")),
              0)
        << tool.err;
    EXPECT_NE(tool.out.find("Firmware update success!"), std::string::npos);

    EXPECT_EQ(Replay(Update(file), std::string(kStoredTraces) + "update-failure.trace",
                     files.dir.PathOf("failure.trace")),
              1);
    EXPECT_NE(tool.err.find("failed at the programming step (address 0x000200: the page program "
                            "request failed: simulated device: request stalled)"),
              std::string::npos)
        << tool.err;
    EXPECT_EQ(tool.err.find("replay stopped"), std::string::npos) << tool.err;
}

TEST_F(ReplayTest, RefusesATraceOfAnUnknownVersion) {
    const std::string trace =
        files.dir.Write("later.trace", "palereed-trace 3 palereed-flash 9.0\n");
    EXPECT_EQ(tool.RunOnItsOwn({"info", "--replay", trace}), 2);
    EXPECT_EQ(tool.err, "palereed-flash: the trace '" + trace +
                            "' cannot be replayed: it is of trace format version '3', which this "
                            "build does not read (it reads version 2)\n");
}

}  // namespace
}  // namespace cli_test
