#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "device_backend.h"

namespace usb {

class Clock;
class RequestTrace;

// The one device link of the program (`usbLink`): finds the product or the
// ISP-mode chip by its interface path, opens and closes a handle on demand and
// carries one vendor control request at a time over the chosen driver path.
class QuorvexUsb {
public:
    static constexpr std::size_t kDevicePathSize = 512;  // including the terminating zero
    static constexpr std::size_t kMatchStringSize = 50;  // including the terminating zero

    QuorvexUsb(DeviceBackend& backend, Clock& clock);
    QuorvexUsb(const QuorvexUsb&) = delete;
    QuorvexUsb& operator=(const QuorvexUsb&) = delete;
    virtual ~QuorvexUsb();

    // Enumerates the interface class of the current path; every matching
    // interface is stored, marked found and probed (the last match wins).
    // Returns the last probe's result. Never clears `found`.
    virtual bool FindDevice();
    // The same enumeration; `found` becomes whether any interface matched.
    virtual bool CheckDevice();
    virtual bool IsFound() const;

    void SetAudioDriver(bool useAudioDriver);
    bool UsesAudioDriver() const;
    void SetMatchString(std::string_view text);
    void ClearFound();

    bool OpenDevice();
    void CloseDevice();

    bool VendorRequest(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                       std::uint16_t index, std::uint8_t* buffer, std::uint32_t length);

    // Every pause of the commands and loops goes through here, so it is
    // traced and runs on the link's clock.
    void SleepMs(std::uint32_t ms);
    Clock& GetClock() const { return clock_; }

    const char* DevicePath() const { return devicePath_; }
    const char* MatchString() const { return matchString_; }
    bool HasOpenHandle() const { return handle_.IsOpen(); }
    // Why the last open (by OpenDevice or the probe) failed, or Ok.
    OpenStatus LastOpenStatus() const { return lastOpenStatus_; }

    void SetTrace(RequestTrace* trace) { trace_ = trace; }

private:
    bool ProbeDevice();
    bool Matches(const char* path) const;
    DeviceBackend::OpenResult OpenPath();
    void Trace(std::string_view line) const;

    DeviceBackend& backend_;
    Clock& clock_;
    RequestTrace* trace_ = nullptr;

    bool found_ = false;
    bool useAudioDriver_ = false;
    char devicePath_[kDevicePathSize] = {};
    char matchString_[kMatchStringSize] = {};
    BackendHandle handle_;
    OpenStatus lastOpenStatus_ = OpenStatus::Ok;
};

}  // namespace usb
