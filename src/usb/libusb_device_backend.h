#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "usb/libusb_backend.h"
#include "usb/libusb_handles.h"
#include "usb/transport_blocks.h"

namespace usb {

// The libusb backend proper; the rest of the tool knows it as LibusbBackend.
class LibusbDeviceBackend final : public LibusbBackend {
public:
    // A request the device does not answer within this time fails; every
    // vendor request of the chip is answered at once.
    static constexpr unsigned kTransferTimeoutMs = 1000;

    explicit LibusbDeviceBackend(libusb::ContextPtr context);

    std::optional<std::vector<std::string>> ListInterfacePaths(const Guid& interfaceClass) override;
    OpenResult Open(const std::string& path) override;
    void Close(HandleId handle) noexcept override;
    IoResult IoControl(HandleId handle, std::uint32_t controlCode,
                       std::span<const std::uint8_t> input,
                       std::span<std::uint8_t> output) override;

    const LibusbError& LastError() const override { return lastError_; }
    void SetErrorLog(RequestTrace* log) override { log_ = log; }

private:
    IoResult Transfer(libusb_device_handle* handle, const DecodedCall& call);
    IoResult AnswerSupportQuery(libusb_device_handle* handle);
    // Records the failure and returns it as the call's result.
    IoResult Fail(int code, std::string call, std::string subject);

    // Declared first so that it is destroyed last, after every handle.
    libusb::ContextPtr context_;
    std::map<HandleId, libusb::DeviceHandlePtr> handles_;
    HandleId nextHandle_ = 1;
    LibusbError lastError_;
    RequestTrace* log_ = nullptr;
};

}  // namespace usb
