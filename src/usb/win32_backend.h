#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "usb/device_backend.h"
#include "usb/win32_api.h"
#include "usb/win32_error.h"

namespace usb {

class RequestTrace;

// Windows backend: the device-interface set of a class through SetupAPI, the
// interface paths from their detail records, CreateFileA on a path and one
// synchronous DeviceIoControl per request. The request blocks arrive ready
// built from the device link and go to the driver unchanged: the product's
// audio driver takes the kernel-streaming property block, the vendor driver
// of the ISP-mode chip the 24-byte setup block.
//
// Every Windows call goes through a win32::Api table, so that the same logic
// runs against the real calls on Windows and against a fake Windows in the
// unit tests. A failed call keeps its GetLastError code and the call's name
// in LastError(); a refused open also tells the device link why
// (OpenStatusFromWin32), and the front ends show Win32UserMessageFor().
class Win32Backend final : public DeviceBackend {
public:
    // The outcome of one DeviceIoControl call, everything the device link may
    // want to know about it.
    struct ControlOutcome {
        bool ok = false;
        std::uint32_t bytesReturned = 0;
        Win32Error error;  // when !ok: the code and "DeviceIoControl"
    };

    explicit Win32Backend(const win32::Api& api);
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;
    ~Win32Backend() override;

    std::optional<std::vector<std::string>> ListInterfacePaths(const Guid& interfaceClass) override;
    OpenResult Open(const std::string& path) override;
    void Close(HandleId handle) noexcept override;
    usb::IoResult IoControl(HandleId handle, std::uint32_t controlCode,
                            std::span<const std::uint8_t> input,
                            std::span<std::uint8_t> output) override;
    bool ReportsExactLength() const override { return false; }

    // IoControl with the full outcome.
    ControlOutcome Control(HandleId handle, std::uint32_t controlCode,
                           std::span<const std::uint8_t> input, std::span<std::uint8_t> output);

    // The last failure; Failed() is false while none has happened.
    const Win32Error& LastError() const { return lastError_; }
    // Also writes each failure, as Win32Error::ToString(), to `log` (may be null).
    void SetErrorLog(RequestTrace* log) { log_ = log; }

private:
    struct OpenInterface {
        win32::Handle handle;
        std::string path;
    };

    std::optional<std::string> InterfacePath(win32::Handle set, win32::InterfaceData& data,
                                             const std::string& subject);
    ControlOutcome CallDeviceIoControl(win32::Handle device, std::uint32_t controlCode,
                                       std::span<const std::uint8_t> input,
                                       std::span<std::uint8_t> output);
    void Fail(Win32Error error);

    const win32::Api& api_;
    std::map<HandleId, OpenInterface> handles_;
    HandleId nextHandle_ = 1;
    Win32Error lastError_;
    RequestTrace* log_ = nullptr;
};

// The backend over the real Windows calls; exists only in a Windows build.
std::unique_ptr<Win32Backend> MakeWin32Backend();

}  // namespace usb
