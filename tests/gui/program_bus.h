#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/sim_backend.h"
#include "sim/virtual_clock.h"
#include "usb/device_backend.h"
#include "usb/listing_trace.h"
#include "usb/replay_backend.h"
#include "usb/request_trace.h"

namespace gui_test {

// What a rig's link goes over: the simulated bus itself; the bus with every
// listing written into the trace, as --trace records it; or, instead of the
// bus, a replay of such a recording, as --replay presents it.
class ProgramBus final : public usb::DeviceBackend {
public:
    ProgramBus(sim::SimBackend& bus, sim::VirtualClock& clock) : bus_(bus), clock_(clock) {}

    void Record(usb::RequestTrace& trace);
    // Replays the lines of a recording (without the version line) from now
    // on, its listings written into `trace` as a recording's are; false, with
    // the reader's reason in `error`, when they do not read.
    bool Replay(const std::vector<std::string>& lines, usb::RequestTrace& trace,
                std::string& error);
    // The replay's stop, or "" (also when nothing is replayed).
    std::string ReplayStop() const { return replay_ ? replay_->Mismatch() : std::string(); }

    std::optional<std::vector<std::string>> ListInterfacePaths(
        const usb::Guid& interfaceClass) override {
        return Active().ListInterfacePaths(interfaceClass);
    }
    OpenResult Open(const std::string& path) override { return Active().Open(path); }
    void Close(HandleId handle) noexcept override { Active().Close(handle); }
    usb::IoResult IoControl(HandleId handle, std::uint32_t controlCode,
                            std::span<const std::uint8_t> input,
                            std::span<std::uint8_t> output) override {
        return Active().IoControl(handle, controlCode, input, output);
    }

private:
    usb::DeviceBackend& Active() {
        if (recording_)
            return *recording_;
        return bus_;
    }

    sim::SimBackend& bus_;
    sim::VirtualClock& clock_;
    std::unique_ptr<usb::ListingTraceBackend> recording_;
    std::unique_ptr<usb::ReplayBackend> replay_;
};

}  // namespace gui_test
