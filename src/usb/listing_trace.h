#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device_backend.h"

namespace usb {

class RequestTrace;

// Writes every listing of the bus into the trace ("list usb <path> ..."),
// wherever it comes from (the link, the device listing, the wait for a
// restarted product), in order with the requests. The trace thereby holds
// which device was present when, which is what a replay presents.
class ListingTraceBackend final : public DeviceBackend {
public:
    ListingTraceBackend(std::unique_ptr<DeviceBackend> inner, RequestTrace& trace)
        : owned_(std::move(inner)), inner_(owned_.get()), trace_(trace) {}
    // Over a backend that the caller keeps alive.
    ListingTraceBackend(DeviceBackend& inner, RequestTrace& trace)
        : inner_(&inner), trace_(trace) {}

    std::optional<std::vector<std::string>> ListInterfacePaths(const Guid& interfaceClass) override;
    OpenResult Open(const std::string& path) override { return inner_->Open(path); }
    void Close(HandleId handle) noexcept override { inner_->Close(handle); }
    IoResult IoControl(HandleId handle, std::uint32_t controlCode,
                       std::span<const std::uint8_t> input,
                       std::span<std::uint8_t> output) override {
        return inner_->IoControl(handle, controlCode, input, output);
    }
    bool ReportsExactLength() const override { return inner_->ReportsExactLength(); }

private:
    std::unique_ptr<DeviceBackend> owned_;
    DeviceBackend* inner_;
    RequestTrace& trace_;
};

}  // namespace usb
