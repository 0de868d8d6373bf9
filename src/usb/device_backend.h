#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "guid.h"

namespace usb {

// Why an open failed. The window tells the user different things for a device
// that went away and for one the user may not touch (a missing udev rule).
enum class OpenStatus {
    Ok,
    NoSuchDevice,
    PermissionDenied,
    Failed,
};

const char* OpenStatusText(OpenStatus status);

// The sentence the user reads for a failed open: empty for Ok, the backend's
// own `permissionSentence` for a refused permission (what the user can mend
// differs by system), and the same words on every system for a device that
// went away or an open that failed otherwise.
std::string OpenFailureMessage(OpenStatus status, std::string_view permissionSentence);

// The outcome of one device I/O control call: whether the driver reported
// success, how many bytes it returned, and, on failure, the operating-system
// or libusb code with the call that gave it, so that the trace and the
// messages can say what went wrong.
// The error code of a request that a stop refused before it reached the
// device (see the product layer's stop gate): the device was never asked, so
// the link does not count it towards the device's silence.
inline constexpr int kRequestStopped = -0x570;

struct IoResult {
    bool ok = false;
    std::size_t bytesReturned = 0;
    int errorCode = 0;      // the OS or libusb code; 0 when there is none
    std::string errorText;  // "libusb_control_transfer: LIBUSB_ERROR_TIMEOUT"; empty when none

    static IoResult Success(std::size_t bytes) { return {true, bytes, 0, {}}; }
    static IoResult Failure(int code = 0, std::string text = {}) {
        return {false, 0, code, std::move(text)};
    }
    explicit operator bool() const { return ok; }
};

// The narrow operating-system seam under the device link: the calls it needs,
// in the shape of the Windows device-interface and device-I/O functions.
class DeviceBackend {
public:
    using HandleId = std::uint32_t;

    struct OpenResult {
        OpenStatus status = OpenStatus::Failed;
        HandleId handle = 0;
    };

    virtual ~DeviceBackend() = default;

    // Interface paths present for a device-interface class, in enumeration
    // order; nullopt when the set of interfaces cannot be obtained at all.
    virtual std::optional<std::vector<std::string>> ListInterfacePaths(
        const Guid& interfaceClass) = 0;

    // Opens a path for reading and writing, shared, existing device only.
    virtual OpenResult Open(const std::string& path) = 0;

    virtual void Close(HandleId handle) noexcept = 0;

    // One synchronous device I/O control call. `output` is the caller's buffer:
    // the driver writes IN data into it and, on the vendor-driver path, reads
    // OUT data from it. The result carries the bytes the driver returned; an
    // answer shorter than the buffer is for the caller to judge.
    virtual IoResult IoControl(HandleId handle, std::uint32_t controlCode,
                               std::span<const std::uint8_t> input,
                               std::span<std::uint8_t> output) = 0;

    // Whether IoControl's byte count is the transfer's real length, so that a
    // short IN answer can be failed. libusb's is; a Windows driver's is not to
    // be trusted (an audio driver may not fill it in at all).
    virtual bool ReportsExactLength() const { return true; }
};

// Passes every call to another backend: a second way into one backend (a
// link of its own on a shared bus), or the base of one that watches the calls.
class ForwardingBackend : public DeviceBackend {
public:
    explicit ForwardingBackend(DeviceBackend& inner) : inner_(inner) {}

    std::optional<std::vector<std::string>> ListInterfacePaths(
        const Guid& interfaceClass) override {
        return inner_.ListInterfacePaths(interfaceClass);
    }
    OpenResult Open(const std::string& path) override { return inner_.Open(path); }
    void Close(HandleId handle) noexcept override { inner_.Close(handle); }
    IoResult IoControl(HandleId handle, std::uint32_t controlCode,
                       std::span<const std::uint8_t> input,
                       std::span<std::uint8_t> output) override {
        return inner_.IoControl(handle, controlCode, input, output);
    }
    bool ReportsExactLength() const override { return inner_.ReportsExactLength(); }

private:
    DeviceBackend& inner_;
};

// Move-only owner of one open backend handle; closes it on destruction.
class BackendHandle {
public:
    BackendHandle() = default;
    BackendHandle(DeviceBackend& backend, DeviceBackend::HandleId id) noexcept
        : backend_(&backend), id_(id) {}
    BackendHandle(BackendHandle&& other) noexcept { *this = std::move(other); }
    BackendHandle& operator=(BackendHandle&& other) noexcept;
    BackendHandle(const BackendHandle&) = delete;
    BackendHandle& operator=(const BackendHandle&) = delete;
    ~BackendHandle() { Reset(); }

    bool IsOpen() const noexcept { return backend_ != nullptr; }
    DeviceBackend::HandleId Id() const noexcept { return id_; }
    void Reset() noexcept;

private:
    DeviceBackend* backend_ = nullptr;
    DeviceBackend::HandleId id_ = 0;
};

}  // namespace usb
