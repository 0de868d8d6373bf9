#include "quorvex_usb.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "clock.h"
#include "request_trace.h"
#include "transport_blocks.h"

namespace usb {

QuorvexUsb::QuorvexUsb(DeviceBackend& backend, Clock& clock) : backend_(backend), clock_(clock) {
    SetMatchString("vid_0ea0&pid_6000");
}

QuorvexUsb::~QuorvexUsb() = default;

bool QuorvexUsb::Matches(const char* path) const {
    return matchString_[0] != '\0' && std::strstr(path, matchString_) != nullptr;
}

bool QuorvexUsb::FindDevice() {
    const Guid& cls = useAudioDriver_ ? kAudioDriverInterfaceClass : kUsbDeviceInterfaceClass;
    const auto paths = backend_.ListInterfacePaths(cls);
    if (!paths)
        return false;
    bool result = false;
    for (const std::string& path : *paths) {
        // A path that does not fit the buffer is skipped, never cut into a false match.
        if (path.size() >= kDevicePathSize || !Matches(path.c_str()))
            continue;
        std::memcpy(devicePath_, path.c_str(), path.size() + 1);
        found_ = true;
        result = ProbeDevice();
    }
    return result;
}

bool QuorvexUsb::CheckDevice() {
    const Guid& cls = useAudioDriver_ ? kAudioDriverInterfaceClass : kUsbDeviceInterfaceClass;
    const auto paths = backend_.ListInterfacePaths(cls);
    bool seen = false;
    if (paths) {
        for (const std::string& path : *paths) {
            if (path.size() < kDevicePathSize && Matches(path.c_str()))
                seen = true;
        }
    }
    found_ = seen;
    return seen;
}

std::vector<std::string> QuorvexUsb::PresentInterfacePaths(bool audioDriverPath) const {
    const Guid& cls = audioDriverPath ? kAudioDriverInterfaceClass : kUsbDeviceInterfaceClass;
    std::optional<std::vector<std::string>> paths = backend_.ListInterfacePaths(cls);
    return paths ? std::move(*paths) : std::vector<std::string>{};
}

bool QuorvexUsb::IsFound() const {
    return found_;
}

void QuorvexUsb::SetAudioDriver(bool useAudioDriver) {
    useAudioDriver_ = useAudioDriver;
}

bool QuorvexUsb::UsesAudioDriver() const {
    return useAudioDriver_;
}

void QuorvexUsb::SetMatchString(std::string_view text) {
    // copy_n, not memcpy: an empty view may carry a null pointer.
    const std::size_t n = std::min(text.size(), kMatchStringSize - 1);
    std::copy_n(text.data(), n, matchString_);
    matchString_[n] = '\0';
}

void QuorvexUsb::ClearFound() {
    found_ = false;
}

DeviceBackend::OpenResult QuorvexUsb::OpenPath() {
    DeviceBackend::OpenResult result = backend_.Open(devicePath_);
    lastOpenStatus_ = result.status;
    return result;
}

bool QuorvexUsb::OpenDevice() {
    CloseDevice();
    const DeviceBackend::OpenResult result = OpenPath();
    const bool ok = result.status == OpenStatus::Ok;
    if (ok)
        handle_ = BackendHandle(backend_, result.handle);
    Trace(ok ? "open ok" : "open fail");
    return ok;
}

void QuorvexUsb::CloseDevice() {
    if (!handle_.IsOpen())
        return;
    handle_.Reset();
    Trace("close");
}

bool QuorvexUsb::ProbeDevice() {
    const DeviceBackend::OpenResult opened = OpenPath();
    bool ok = false;
    if (opened.status == OpenStatus::Ok) {
        BackendHandle probe(backend_, opened.handle);
        if (useAudioDriver_) {
            const KsHeader query = EncodeSupportQuery();
            ok = backend_.IoControl(probe.Id(), kIoctlKsProperty, query, {}).ok;
        } else {
            const VendorBlock block = EncodeDescriptorProbe();
            std::uint8_t descriptor[kDeviceDescriptorSize] = {};
            ok = backend_.IoControl(probe.Id(), kIoctlVendorIn, block, descriptor).ok;
        }
    }
    Trace(ok ? "probe ok" : "probe fail");
    return ok;
}

IoResult QuorvexUsb::Carry(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                           std::uint16_t index, std::span<std::uint8_t> data) {
    const std::uint32_t code = ControlCodeFor(useAudioDriver_, requestType);
    IoResult io;
    if (useAudioDriver_) {
        const std::vector<std::uint8_t> block =
            EncodeAudioBlock(requestType, request, value, index, data);
        io = backend_.IoControl(handle_.Id(), code, block, data);
    } else {
        const VendorBlock block = EncodeVendorBlock(requestType, request, value, index);
        io = backend_.IoControl(handle_.Id(), code, block, data);
    }
    // The tail of a short answer is whatever the buffer held before: using it
    // would pass old bytes off as the device's. Where the count is only the
    // driver's word, it is noted in the trace instead.
    const bool in = (requestType & kDirectionIn) != 0;
    if (io.ok && in && io.bytesReturned < data.size()) {
        const std::string counts =
            std::to_string(io.bytesReturned) + " of " + std::to_string(data.size()) + " bytes";
        if (backend_.ReportsExactLength()) {
            io.ok = false;
            io.errorText = "short reply: " + counts;
        } else {
            Trace("note: the driver reported " + counts + "; the request stands");
        }
    }
    return io;
}

bool QuorvexUsb::VendorRequest(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                               std::uint16_t index, std::uint8_t* buffer, std::uint32_t length) {
    const std::span<std::uint8_t> data(buffer, buffer != nullptr ? length : 0);
    // Nothing is sent without a handle or a buffer; the trace line says only
    // "fail" then, as nothing reached the driver.
    const bool sendable = handle_.IsOpen() && data.size() == length && !stoppedAnswering_;
    IoResult io = sendable ? Carry(requestType, request, value, index, data) : IoResult::Failure();
    if (stoppedAnswering_)
        io.errorText = "the device stopped answering";
    if (!io.ok) {
        lastRequestError_ = !sendable && !stoppedAnswering_ ? "no open handle"
                            : io.errorText.empty()          ? "request failed"
                                                            : io.errorText;
    }
    if (watching_ && io.errorCode != kRequestStopped) {
        failuresInARow_ = io.ok ? 0 : failuresInARow_ + 1;
        stoppedAnswering_ = failuresInARow_ >= kFailuresBeforeSilence;
    }
    if (trace_ != nullptr) {
        trace_->Line(
            FormatRequestLine(requestType, request, value, index, data, io.ok, io.errorText));
    }
    return io.ok;
}

void QuorvexUsb::WatchForSilence(bool on) {
    watching_ = on;
    failuresInARow_ = 0;
    stoppedAnswering_ = false;
}

void QuorvexUsb::SleepMs(std::uint32_t ms) {
    // Waiting for a device that no longer answers only delays the failure.
    if (stoppedAnswering_)
        return;
    if (trace_ != nullptr)
        trace_->Line("sleep " + std::to_string(ms));
    clock_.SleepMs(ms);
}

void QuorvexUsb::Trace(std::string_view line) const {
    if (trace_ != nullptr)
        trace_->Line(line);
}

}  // namespace usb
