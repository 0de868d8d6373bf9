#include "usb/win32_error.h"

#include "usb/win32_api.h"

namespace usb {

std::string Win32Error::ToString() const {
    std::string text = call;
    if (!subject.empty())
        text += " " + subject;
    text += ": ";
    text += Win32ErrorName(code);
    text += " (" + std::to_string(code) + ")";
    return text;
}

const char* Win32ErrorName(std::uint32_t code) {
    switch (code) {
        case 0:
            return "ERROR_SUCCESS";
        case win32::kErrorInvalidFunction:
            return "ERROR_INVALID_FUNCTION";
        case win32::kErrorFileNotFound:
            return "ERROR_FILE_NOT_FOUND";
        case win32::kErrorPathNotFound:
            return "ERROR_PATH_NOT_FOUND";
        case win32::kErrorAccessDenied:
            return "ERROR_ACCESS_DENIED";
        case win32::kErrorInvalidHandle:
            return "ERROR_INVALID_HANDLE";
        case win32::kErrorGenFailure:
            return "ERROR_GEN_FAILURE";
        case win32::kErrorSharingViolation:
            return "ERROR_SHARING_VIOLATION";
        case win32::kErrorNotSupported:
            return "ERROR_NOT_SUPPORTED";
        case win32::kErrorInvalidParameter:
            return "ERROR_INVALID_PARAMETER";
        case win32::kErrorInsufficientBuffer:
            return "ERROR_INSUFFICIENT_BUFFER";
        case win32::kErrorNoMoreItems:
            return "ERROR_NO_MORE_ITEMS";
        case win32::kErrorNoSuchDevice:
            return "ERROR_NO_SUCH_DEVICE";
        case win32::kErrorDeviceNotConnected:
            return "ERROR_DEVICE_NOT_CONNECTED";
        case win32::kErrorInvalidUserBuffer:
            return "ERROR_INVALID_USER_BUFFER";
        default:
            return "error";
    }
}

OpenStatus OpenStatusFromWin32(std::uint32_t code) {
    switch (code) {
        case win32::kErrorAccessDenied:
            return OpenStatus::PermissionDenied;
        case win32::kErrorFileNotFound:
        case win32::kErrorPathNotFound:
        case win32::kErrorNoSuchDevice:
        case win32::kErrorDeviceNotConnected:
            return OpenStatus::NoSuchDevice;
        default:
            return OpenStatus::Failed;
    }
}

std::string Win32UserMessageFor(OpenStatus status) {
    // Drivers refuse a second opener that asks for exclusive use, and some
    // security software blocks device access for ordinary users.
    return OpenFailureMessage(status,
                              "The device is connected, but Windows refused access to it. Close "
                              "other programs that use the device, then unplug it and plug it in "
                              "again.");
}

}  // namespace usb
