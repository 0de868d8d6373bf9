#pragma once

#include <cstdint>

namespace usb {

// Every pause and every time reading of the tool and of the simulated chip goes
// through this interface, so tests can run on a virtual clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void SleepMs(std::uint32_t ms) = 0;
    virtual std::uint64_t NowUs() const = 0;
};

// The wall clock of the shipped tool.
class SteadyClock final : public Clock {
public:
    void SleepMs(std::uint32_t ms) override;
    std::uint64_t NowUs() const override;
};

}  // namespace usb
