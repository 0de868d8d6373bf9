#include "usb/win32_backend.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

#include "usb/request_trace.h"

namespace usb {
namespace {

// Releases a set of device interfaces however the enumeration ends.
class InterfaceSet {
public:
    InterfaceSet(const win32::Api& api, win32::Handle set) : api_(api), set_(set) {}
    InterfaceSet(const InterfaceSet&) = delete;
    InterfaceSet& operator=(const InterfaceSet&) = delete;
    ~InterfaceSet() { api_.SetupDiDestroyDeviceInfoList(set_); }

private:
    const win32::Api& api_;
    win32::Handle set_;
};

std::string ControlCodeText(std::uint32_t controlCode) {
    char text[16];
    std::snprintf(text, sizeof text, "%#x", static_cast<unsigned>(controlCode));
    return text;
}

bool FitsDword(std::size_t size) {
    return size <= std::numeric_limits<win32::Dword>::max();
}

}  // namespace

Win32Backend::Win32Backend(const win32::Api& api) : api_(api) {}

Win32Backend::~Win32Backend() {
    for (const auto& [id, device] : handles_)
        api_.CloseHandle(device.handle);
}

std::optional<std::vector<std::string>> Win32Backend::ListInterfacePaths(
    const Guid& interfaceClass) {
    const win32::Handle set =
        api_.SetupDiGetClassDevsA(&interfaceClass, nullptr, nullptr, win32::kPresentInterfaces);
    if (set == win32::InvalidHandle()) {
        Fail({api_.GetLastError(), "SetupDiGetClassDevsA", GuidToString(interfaceClass)});
        return std::nullopt;
    }
    const InterfaceSet release(api_, set);
    std::vector<std::string> paths;
    for (win32::Dword index = 0;; ++index) {
        const std::string subject = GuidToString(interfaceClass) + " #" + std::to_string(index);
        win32::InterfaceData data{};
        data.cbSize = win32::kInterfaceDataSize;
        if (api_.SetupDiEnumDeviceInterfaces(set, nullptr, &interfaceClass, index, &data) == 0) {
            // The normal end is "no more items"; any other failure ends the
            // enumeration too (the next index would fail the same way) but
            // is kept for the log.
            const win32::Dword code = api_.GetLastError();
            if (code != win32::kErrorNoMoreItems)
                Fail({code, "SetupDiEnumDeviceInterfaces", subject});
            break;
        }
        if (std::optional<std::string> path = InterfacePath(set, data, subject))
            paths.push_back(std::move(*path));
    }
    return paths;
}

// An interface whose path cannot be fetched is skipped.
std::optional<std::string> Win32Backend::InterfacePath(win32::Handle set,
                                                       win32::InterfaceData& data,
                                                       const std::string& subject) {
    // Without a buffer the call fails with ERROR_INSUFFICIENT_BUFFER and
    // tells the size the record needs, path included.
    win32::Dword required = 0;
    if (api_.SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 0, &required, nullptr) == 0) {
        const win32::Dword code = api_.GetLastError();
        if (code != win32::kErrorInsufficientBuffer) {
            Fail({code, "SetupDiGetDeviceInterfaceDetailA", subject});
            return std::nullopt;
        }
    }
    // Never smaller than the fixed part and one character, whatever size was
    // reported, so the path below is always inside the buffer.
    std::vector<std::uint8_t> detail(std::max<std::size_t>(required, win32::kDetailPathOffset + 1));
    if (!FitsDword(detail.size()))
        return std::nullopt;
    const win32::Dword cbSize = win32::kDetailDataSize;
    std::memcpy(detail.data(), &cbSize, sizeof cbSize);
    if (api_.SetupDiGetDeviceInterfaceDetailA(set, &data, detail.data(),
                                              static_cast<win32::Dword>(detail.size()), nullptr,
                                              nullptr) == 0) {
        Fail({api_.GetLastError(), "SetupDiGetDeviceInterfaceDetailA", subject});
        return std::nullopt;
    }
    const auto path = detail.begin() + win32::kDetailPathOffset;
    return std::string(path, std::find(path, detail.end(), std::uint8_t{0}));
}

DeviceBackend::OpenResult Win32Backend::Open(const std::string& path) {
    const win32::Handle handle =
        api_.CreateFileA(path.c_str(), win32::kGenericReadWrite, win32::kShareReadWrite, nullptr,
                         win32::kOpenExisting, 0, nullptr);
    if (handle == win32::InvalidHandle()) {
        const win32::Dword code = api_.GetLastError();
        Fail({code, "CreateFileA", path});
        return {OpenStatusFromWin32(code), 0};
    }
    if (nextHandle_ == 0)
        nextHandle_ = 1;  // 0 never names a handle
    const HandleId id = nextHandle_++;
    handles_.emplace(id, OpenInterface{handle, path});
    return {OpenStatus::Ok, id};
}

void Win32Backend::Close(HandleId handle) noexcept {
    const auto it = handles_.find(handle);
    if (it == handles_.end())
        return;
    // Closing the handle of an unplugged device succeeds as well; there is
    // nothing a caller could do about a failure here.
    api_.CloseHandle(it->second.handle);
    handles_.erase(it);
}

usb::IoResult Win32Backend::IoControl(HandleId handle, std::uint32_t controlCode,
                                      std::span<const std::uint8_t> input,
                                      std::span<std::uint8_t> output) {
    const ControlOutcome outcome = Control(handle, controlCode, input, output);
    if (!outcome.ok)
        return usb::IoResult::Failure(static_cast<int>(outcome.error.code),
                                      outcome.error.ToString());
    return usb::IoResult::Success(outcome.bytesReturned);
}

Win32Backend::ControlOutcome Win32Backend::Control(HandleId handle, std::uint32_t controlCode,
                                                   std::span<const std::uint8_t> input,
                                                   std::span<std::uint8_t> output) {
    const auto it = handles_.find(handle);
    ControlOutcome result;
    if (it == handles_.end()) {
        result.error = {win32::kErrorInvalidHandle, "DeviceIoControl", "no open handle"};
    } else if (!FitsDword(input.size()) || !FitsDword(output.size())) {
        result.error = {win32::kErrorInvalidParameter, "DeviceIoControl", "block too large"};
    } else {
        result = CallDeviceIoControl(it->second.handle, controlCode, input, output);
        if (!result.ok)
            result.error.subject = ControlCodeText(controlCode) + " " + it->second.path;
    }
    if (!result.ok)
        Fail(result.error);
    return result;
}

// The one place that calls DeviceIoControl: the error code is read before
// anything else can overwrite it.
Win32Backend::ControlOutcome Win32Backend::CallDeviceIoControl(win32::Handle device,
                                                               std::uint32_t controlCode,
                                                               std::span<const std::uint8_t> input,
                                                               std::span<std::uint8_t> output) {
    win32::Dword returned = 0;
    const bool ok =
        api_.DeviceIoControl(device, controlCode, input.empty() ? nullptr : input.data(),
                             static_cast<win32::Dword>(input.size()),
                             output.empty() ? nullptr : output.data(),
                             static_cast<win32::Dword>(output.size()), &returned, nullptr) != 0;
    if (ok)
        return {true, returned, {}};
    return {false, returned, {api_.GetLastError(), "DeviceIoControl", {}}};
}

void Win32Backend::Fail(Win32Error error) {
    lastError_ = std::move(error);
    if (log_ != nullptr)
        log_->Line(lastError_.ToString());
}

}  // namespace usb
