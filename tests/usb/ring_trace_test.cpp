#include "usb/ring_trace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// Ten-character lines, so that a bound in bytes is a bound in lines.
std::string L(int n) {
    std::string line = "line " + std::to_string(n);
    line.resize(10, '.');
    return line;
}

void Add(usb::RingTrace& ring, int from, int to) {
    for (int n = from; n <= to; ++n)
        ring.Line(L(n));
}

TEST(RingTrace, OlderRunsAndTheLinesBetweenGoBeforeTheLastRun) {
    usb::RingTrace ring(60);  // six lines
    Add(ring, 1, 2);          // detection before the first run
    ring.BeginRun();
    Add(ring, 3, 4);
    ring.EndRun();
    ring.BeginRun();
    Add(ring, 5, 8);
    ring.EndRun();
    // Everything before the last run went, whole, and the last run stayed in full.
    EXPECT_EQ(ring.Lines(), (Lines{L(3), L(4), L(5), L(6), L(7), L(8)}));
    Add(ring, 9, 11);  // detection after it
    EXPECT_EQ(ring.LastRun(), (Lines{L(5), L(6), L(7), L(8)}));
    EXPECT_EQ(ring.LastRunDropped(), 0u);
    EXPECT_EQ(ring.Lines(), (Lines{L(5), L(6), L(7), L(8), L(10), L(11)}));
    EXPECT_LE(ring.KeptBytes(), 60u);
}

TEST(RingTrace, ARunLargerThanTheBoundKeepsItsNewestLinesAndCountsTheRest) {
    usb::RingTrace ring(30);
    ring.BeginRun();
    Add(ring, 1, 5);
    EXPECT_EQ(ring.LastRun(), (Lines{L(3), L(4), L(5)}));
    EXPECT_EQ(ring.LastRunDropped(), 2u);
    ring.BeginRun();  // a new run starts counting afresh
    Add(ring, 6, 6);
    EXPECT_EQ(ring.LastRun(), (Lines{L(6)}));
    EXPECT_EQ(ring.LastRunDropped(), 0u);
}

TEST(RingTrace, WithoutARunTheOldestLinesGoFirst) {
    usb::RingTrace ring(20);
    Add(ring, 1, 3);
    EXPECT_EQ(ring.Lines(), (Lines{L(2), L(3)}));
    EXPECT_TRUE(ring.LastRun().empty());
}

}  // namespace
