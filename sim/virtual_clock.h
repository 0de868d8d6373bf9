#pragma once

#include <cstdint>

#include "usb/clock.h"

namespace sim {

// Test and benchmark clock: a sleep advances time at once, and the simulated
// USB bus charges each request's latency to it, so whole updates run in
// milliseconds of host time while their modelled duration stays measurable.
class VirtualClock final : public usb::Clock {
public:
    void SleepMs(std::uint32_t ms) override {
        nowUs_ += static_cast<std::uint64_t>(ms) * 1000;
        sleptUs_ += static_cast<std::uint64_t>(ms) * 1000;
    }
    std::uint64_t NowUs() const override { return nowUs_; }

    void AdvanceUs(std::uint64_t us) { nowUs_ += us; }
    // Total time spent in sleeps, for the benchmarks' pause accounting.
    std::uint64_t SleptUs() const { return sleptUs_; }

private:
    std::uint64_t nowUs_ = 0;
    std::uint64_t sleptUs_ = 0;
};

}  // namespace sim
