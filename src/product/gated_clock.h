#pragma once

#include "usb/clock.h"

namespace product {

class StopGate;

// The clock under a run that may be stopped: once the gate refuses requests,
// the run's remaining polls and pauses wait for nothing, so a stopped run
// ends at once instead of polling a device it no longer talks to.
class GatedClock final : public usb::Clock {
public:
    GatedClock(usb::Clock& inner, const StopGate& gate) : inner_(inner), gate_(gate) {}
    void SleepMs(std::uint32_t ms) override;
    std::uint64_t NowUs() const override { return inner_.NowUs(); }

private:
    usb::Clock& inner_;
    const StopGate& gate_;
};

}  // namespace product
