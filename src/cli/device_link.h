#pragma once

#include <memory>

#include "product/gated_clock.h"
#include "product/run_state.h"
#include "product/stop_gate.h"
#include "usb/clock.h"
#include "usb/device_backend.h"
#include "usb/quorvex_usb.h"

namespace usb {
class RequestTrace;
}  // namespace usb

namespace cli {

// One device link with everything that belongs to it alone: the backend it
// owns (when it has one of its own), its run state (which holds the link for
// a run and takes a stop request), the stop gate that counts its requests,
// and the clock it goes by (a simulated product's own). Devices updated at
// the same time each get one, so that no two runs share a link, a gate, a
// handle table or a count.
class DeviceLink {
public:
    DeviceLink(usb::DeviceBackend& backend, usb::Clock& clock, usb::RequestTrace* trace);
    DeviceLink(std::unique_ptr<usb::DeviceBackend> backend, usb::Clock& clock,
               usb::RequestTrace* trace);
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    usb::QuorvexUsb& Link() { return link_; }
    product::StopGate& Gate() { return gate_; }
    product::RunState& State() { return state_; }
    // The clock under the gate: what the run's times are read from.
    usb::Clock& Clock() { return clock_; }
    // Goes by another clock from now on: that of the device it is aimed at.
    void UseClock(usb::Clock& clock) { clock_.target = &clock; }

private:
    // Passes to the clock the link goes by now.
    struct Switch final : usb::Clock {
        explicit Switch(usb::Clock& clock) : target(&clock) {}
        void SleepMs(std::uint32_t ms) override { target->SleepMs(ms); }
        std::uint64_t NowUs() const override { return target->NowUs(); }
        usb::Clock* target;
    };

    std::unique_ptr<usb::DeviceBackend> ownBackend_;
    Switch clock_;
    product::RunState state_;
    product::StopGate gate_;
    product::GatedClock gatedClock_;
    usb::QuorvexUsb link_;
};

}  // namespace cli
