#include "usb/ring_trace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// Ten-character lines, so that a bound in bytes is a bound in lines.
std::string RingLine(int n) {
    std::string line = "line " + std::to_string(n);
    line.resize(10, '.');
    return line;
}

void AddLines(usb::RingTrace& ring, int from, int to) {
    for (int n = from; n <= to; ++n)
        ring.Line(RingLine(n));
}

TEST(RingTrace, OlderRunsAndTheLinesBetweenGoBeforeTheLastRun) {
    usb::RingTrace ring(60);  // six lines
    AddLines(ring, 1, 2);     // detection before the first run
    ring.BeginRun();
    AddLines(ring, 3, 4);
    ring.EndRun();
    ring.BeginRun();
    AddLines(ring, 5, 8);
    ring.EndRun();
    // Everything before the last run went, whole, and the last run stayed in full.
    EXPECT_EQ(ring.Lines(), (Lines{RingLine(3), RingLine(4), RingLine(5), RingLine(6), RingLine(7),
                                   RingLine(8)}));
    AddLines(ring, 9, 11);  // detection after it
    EXPECT_EQ(ring.LastRun(), (Lines{RingLine(5), RingLine(6), RingLine(7), RingLine(8)}));
    EXPECT_EQ(ring.LastRunDropped(), 0u);
    EXPECT_EQ(ring.Lines(), (Lines{RingLine(5), RingLine(6), RingLine(7), RingLine(8), RingLine(10),
                                   RingLine(11)}));
    EXPECT_LE(ring.KeptBytes(), 60u);
}

TEST(RingTrace, ARunLargerThanTheBoundKeepsItsNewestLinesAndCountsTheRest) {
    usb::RingTrace ring(30);
    ring.BeginRun();
    AddLines(ring, 1, 5);
    EXPECT_EQ(ring.LastRun(), (Lines{RingLine(3), RingLine(4), RingLine(5)}));
    EXPECT_EQ(ring.LastRunDropped(), 2u);
    ring.BeginRun();  // a new run starts counting afresh
    AddLines(ring, 6, 6);
    EXPECT_EQ(ring.LastRun(), (Lines{RingLine(6)}));
    EXPECT_EQ(ring.LastRunDropped(), 0u);
}

TEST(RingTrace, WithoutARunTheOldestLinesGoFirst) {
    usb::RingTrace ring(20);
    AddLines(ring, 1, 3);
    EXPECT_EQ(ring.Lines(), (Lines{RingLine(2), RingLine(3)}));
    EXPECT_TRUE(ring.LastRun().empty());
}

}  // namespace
