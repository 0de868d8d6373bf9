#pragma once

#include <cstdint>

#include "usb/device_backend.h"
#include "usb/transport_blocks.h"

namespace product {

class RunState;

// Sits between the device link and its backend and lets a run stop at a
// request boundary: once a stop is asked, every further control call is
// refused without reaching the device, so the run's remaining steps fall
// through at once. It also notes whether an erase instruction went out, which
// decides whether the chip may be sent back out of ISP mode after a stop.
class StopGate final : public usb::DeviceBackend {
public:
    StopGate(usb::DeviceBackend& inner, const RunState& state) : inner_(inner), state_(state) {}

    // Lets requests through again after a stop, for the closing requests the
    // caller decides to send.
    void Reopen() { reopened_ = true; }
    bool Closed() const;
    bool EraseSent() const { return eraseSent_; }
    // Device requests let through since the gate was made, probes aside:
    // the requests the trace lists and a simulated fault plan numbers.
    std::uint64_t RequestsPassed() const { return passed_; }
    void ResetRun();

    std::optional<std::vector<std::string>> ListInterfacePaths(
        const usb::Guid& interfaceClass) override;
    OpenResult Open(const std::string& path) override;
    void Close(HandleId handle) noexcept override;
    usb::IoResult IoControl(HandleId handle, std::uint32_t controlCode,
                            std::span<const std::uint8_t> input,
                            std::span<std::uint8_t> output) override;
    bool ReportsExactLength() const override { return inner_.ReportsExactLength(); }

private:
    void NoteErase(const usb::DecodedCall& call);

    usb::DeviceBackend& inner_;
    const RunState& state_;
    bool reopened_ = false;
    bool eraseSent_ = false;
    bool continuing_ = false;
    std::uint64_t passed_ = 0;
};

}  // namespace product
