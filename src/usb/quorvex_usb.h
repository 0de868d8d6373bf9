#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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
    // The interface paths present now on one driver path, whatever the match
    // string; nothing of the link changes. Empty when none can be listed.
    std::vector<std::string> PresentInterfacePaths(bool audioDriverPath) const;

    void SetAudioDriver(bool useAudioDriver);
    bool UsesAudioDriver() const;
    void SetMatchString(std::string_view text);
    void ClearFound();

    bool OpenDevice();
    void CloseDevice();

    // True when the driver carried the request out; an IN answer shorter than
    // `length` is a failed request, so no caller ever reads a stale tail.
    bool VendorRequest(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                       std::uint16_t index, std::uint8_t* buffer, std::uint32_t length);
    // Why the last failed request failed ("libusb_control_transfer:
    // LIBUSB_ERROR_TIMEOUT", "short reply: 32 of 64 bytes", "no open
    // handle"); kept until the next failure.
    const std::string& LastRequestError() const { return lastRequestError_; }

    // A run watches for a device that has stopped answering: a hung device
    // costs the driver's time-out on every request, and a poll of a thousand
    // status reads then takes a quarter of an hour. Once this many requests
    // in a row have failed under the watch, every further request fails at
    // once without reaching the driver and pauses are skipped, so whatever
    // loop is running falls through in moments. Arming and disarming clear it.
    static constexpr int kFailuresBeforeSilence = 3;
    void WatchForSilence(bool on);
    bool StoppedAnswering() const { return stoppedAnswering_; }
    int FailuresInARow() const { return failuresInARow_; }

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
    IoResult Carry(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                   std::uint16_t index, std::span<std::uint8_t> data);

    DeviceBackend& backend_;
    Clock& clock_;
    RequestTrace* trace_ = nullptr;

    bool found_ = false;
    bool useAudioDriver_ = false;
    char devicePath_[kDevicePathSize] = {};
    char matchString_[kMatchStringSize] = {};
    BackendHandle handle_;
    OpenStatus lastOpenStatus_ = OpenStatus::Ok;
    std::string lastRequestError_;
    bool watching_ = false;
    int failuresInARow_ = 0;
    bool stoppedAnswering_ = false;
};

}  // namespace usb
