#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "usb/request_trace.h"

namespace usb {

// Keeps the link's lines in memory whether or not a trace file was asked
// for, so that a failed update can still be reported after the fact. The
// lines are kept in segments: each run (BeginRun to EndRun) is one, and what
// the link does between runs (detection probes) another. When the text kept
// passes the bound, whole older segments go first, then the oldest lines
// between runs that followed the last run, and only then the oldest lines of
// the last run itself, which is therefore kept in full unless it alone is
// larger than the bound. Links working side by side may share one.
class RingTrace final : public RequestTrace {
public:
    // 32 MiB of text: about twenty full updates of a 64 KiB image.
    static constexpr std::size_t kDefaultBoundBytes = std::size_t{32} << 20;

    explicit RingTrace(std::size_t boundBytes = kDefaultBoundBytes);

    void Line(std::string_view line) override;
    // The lines that follow belong to a new run, until EndRun.
    void BeginRun();
    void EndRun();

    // The lines of the last run begun (still going or ended), oldest first;
    // empty when no run has begun.
    std::vector<std::string> LastRun() const;
    // How many lines of the last run were dropped to stay within the bound.
    std::size_t LastRunDropped() const;
    // Everything kept, oldest first.
    std::vector<std::string> Lines() const;
    std::size_t KeptBytes() const;

private:
    struct Segment {
        bool run = false;
        std::deque<std::string> lines;
        std::size_t bytes = 0;
        std::size_t dropped = 0;
    };

    void OpenSegment(bool run);
    void Trim();
    void DropFront(Segment& segment);
    // The index of the last run's segment, or segments_.size() when none.
    std::size_t LastRunIndex() const;

    const std::size_t boundBytes_;
    mutable std::mutex mutex_;
    std::deque<Segment> segments_;
    std::size_t bytes_ = 0;
};

}  // namespace usb
