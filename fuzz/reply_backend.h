#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "usb/device_backend.h"

class FuzzedDataProvider;

namespace fuzz {

// A device whose every answer comes from the fuzz input: whether an open
// works, whether a call succeeds, and the bytes (possibly fewer than asked)
// of each IN reply. Each call is decoded as a driver would decode it, so a
// block the link builds wrongly is a finding too. Handles are tracked, so a
// double close or a handle left open shows.
class ReplyBackend final : public usb::DeviceBackend {
public:
    explicit ReplyBackend(FuzzedDataProvider& input) : input_(input) {}

    std::optional<std::vector<std::string>> ListInterfacePaths(
        const usb::Guid& interfaceClass) override;
    OpenResult Open(const std::string& path) override;
    void Close(HandleId handle) noexcept override;
    usb::IoResult IoControl(HandleId handle, std::uint32_t controlCode,
                            std::span<const std::uint8_t> input,
                            std::span<std::uint8_t> output) override;

    std::uint64_t Calls() const { return calls_; }
    std::size_t OpenHandles() const { return open_.size(); }

private:
    // Fills a fuzz-chosen number of the first bytes of `reply`; returns how many.
    std::size_t Answer(std::span<std::uint8_t> reply);

    FuzzedDataProvider& input_;
    std::vector<HandleId> open_;
    HandleId nextHandle_ = 1;
    std::uint64_t calls_ = 0;
};

}  // namespace fuzz
