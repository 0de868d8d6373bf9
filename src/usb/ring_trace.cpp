#include "usb/ring_trace.h"

namespace usb {

RingTrace::RingTrace(std::size_t boundBytes) : boundBytes_(boundBytes) {}

void RingTrace::Line(std::string_view line) {
    const std::lock_guard lock(mutex_);
    if (segments_.empty())
        OpenSegment(false);
    Segment& segment = segments_.back();
    segment.lines.emplace_back(line);
    segment.bytes += line.size();
    bytes_ += line.size();
    Trim();
}

void RingTrace::BeginRun() {
    const std::lock_guard lock(mutex_);
    OpenSegment(true);
}

void RingTrace::EndRun() {
    const std::lock_guard lock(mutex_);
    OpenSegment(false);
}

void RingTrace::OpenSegment(bool run) {
    // An empty segment between two marks carries nothing worth keeping.
    if (!segments_.empty() && segments_.back().lines.empty() && !segments_.back().run)
        segments_.pop_back();
    segments_.push_back(Segment{run, {}, 0, 0});
}

std::size_t RingTrace::LastRunIndex() const {
    for (std::size_t i = segments_.size(); i > 0; --i) {
        if (segments_[i - 1].run)
            return i - 1;
    }
    return segments_.size();
}

void RingTrace::DropFront(Segment& segment) {
    segment.bytes -= segment.lines.front().size();
    bytes_ -= segment.lines.front().size();
    segment.lines.pop_front();
    ++segment.dropped;
}

void RingTrace::Trim() {
    while (bytes_ > boundBytes_) {
        const std::size_t lastRun = LastRunIndex();
        // Whatever came before the last run goes first, whole.
        if (lastRun != segments_.size() && lastRun > 0) {
            bytes_ -= segments_.front().bytes;
            segments_.pop_front();
            continue;
        }
        // Then what the link did since, oldest first; the segment being
        // written stays open even when it runs empty.
        const std::size_t firstAfter = lastRun == segments_.size() ? 0 : lastRun + 1;
        bool dropped = false;
        for (std::size_t i = firstAfter; i < segments_.size() && !dropped; ++i) {
            if (!segments_[i].lines.empty()) {
                DropFront(segments_[i]);
                dropped = true;
            }
        }
        if (!dropped && lastRun != segments_.size())
            DropFront(segments_[lastRun]);
        else if (!dropped)
            return;  // a single line larger than the bound: kept, nothing older is left
    }
}

std::vector<std::string> RingTrace::LastRun() const {
    const std::lock_guard lock(mutex_);
    const std::size_t lastRun = LastRunIndex();
    if (lastRun == segments_.size())
        return {};
    const Segment& segment = segments_[lastRun];
    return {segment.lines.begin(), segment.lines.end()};
}

std::size_t RingTrace::LastRunDropped() const {
    const std::lock_guard lock(mutex_);
    const std::size_t lastRun = LastRunIndex();
    return lastRun == segments_.size() ? 0 : segments_[lastRun].dropped;
}

std::vector<std::string> RingTrace::Lines() const {
    const std::lock_guard lock(mutex_);
    std::vector<std::string> lines;
    for (const Segment& segment : segments_)
        lines.insert(lines.end(), segment.lines.begin(), segment.lines.end());
    return lines;
}

std::size_t RingTrace::KeptBytes() const {
    const std::lock_guard lock(mutex_);
    return bytes_;
}

}  // namespace usb
