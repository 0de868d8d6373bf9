#include "product/run_report.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "flash/update_result.h"
#include "support/scratch_dir.h"

namespace {

std::vector<std::string> WrittenLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(RunReport, TheHeaderNamesTheRunAndTheRequestLinesFollowAsTraced) {
    image_test::ScratchDir dir;
    product::ReportHeader header;
    header.tool = "palereed-flash 9.9";
    header.product = "Pale Reed F066";
    header.flashPart = "W25Q80";
    header.file = "PaleReed_f066.hex";
    header.sha256 = std::string(64, 'a');
    header.outcome = "failed";
    header.failure = product::FailurePlace{"programming", 0x1240, "reads 0x00, expected 0x5C"};
    header.message = "Firmware update failed.\nKeep it connected.";
    const std::vector<std::string> lines = {"open ok", "43 90 0000 0000 1 00 ok"};
    const std::string path = dir.PathOf("report.txt");
    ASSERT_EQ(product::WriteReport(path, header, lines, 3), "");
    EXPECT_EQ(WrittenLines(path),
              (std::vector<std::string>{
                  "Pale Reed update report", "tool: palereed-flash 9.9", "product: Pale Reed F066",
                  "flash part: W25Q80", "file: PaleReed_f066.hex", "sha256: " + header.sha256,
                  "outcome: failed", "step: programming", "address: 0x001240",
                  "cause: reads 0x00, expected 0x5C",
                  "message: Firmware update failed. Keep it connected.",
                  "requests: 2 lines follow (the run's first 3 lines were not kept)", "open ok",
                  "43 90 0000 0000 1 00 ok"}));
}

TEST(RunReport, WhatTheRunDidNotLearnIsSaidToBeUnknown) {
    product::ReportHeader header;
    header.outcome = "failed";
    header.failure = product::FailurePlace{"identification", std::nullopt, ""};
    EXPECT_EQ(
        product::ReportHeaderLines(header),
        (std::vector<std::string>{"tool: unknown", "product: unknown", "flash part: unknown",
                                  "file: unknown", "sha256: unknown", "outcome: failed",
                                  "step: identification", "address: unknown", "cause: unknown"}));
}

// Found out by the title line, before the run, as the trace file is.
TEST(RunReport, ATargetThatTakesNoDataIsRefusedWhenOpened) {
#ifdef _WIN32
    GTEST_SKIP() << "no /dev/full";
#endif
    const product::ReportFile file("/dev/full");
    EXPECT_EQ(file.Error(), "No space left on device");
}

TEST(RunReport, TheFailurePlaceIsTheResultsStepAddressAndCause) {
    flash::UpdateResult result;
    EXPECT_FALSE(product::FailurePlaceOf(result));  // no step named
    result.failedStep = flash::UpdateStep::Verify;
    result.failure = {0x40, "reads 0x00, expected 0x5C"};
    const auto place = product::FailurePlaceOf(result);
    ASSERT_TRUE(place);
    EXPECT_EQ(place->step, "verification");
    EXPECT_EQ(place->address, 0x40u);
    EXPECT_EQ(place->cause, "reads 0x00, expected 0x5C");
    result.stoppedAnswering = true;
    EXPECT_EQ(product::FailurePlaceOf(result)->cause,
              "The device stopped answering at the verify step");
    result.succeeded = true;
    result.failedStep.reset();
    EXPECT_FALSE(product::FailurePlaceOf(result));
}

}  // namespace
