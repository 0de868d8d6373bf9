#include "usb/libusb_error.h"

#include <libusb.h>

namespace usb {

std::string LibusbError::ToString() const {
    std::string text = call;
    if (!subject.empty())
        text += " " + subject;
    text += ": ";
    text += libusb_error_name(code);
    text += " (" + std::to_string(code) + ")";
    return text;
}

OpenStatus OpenStatusFromLibusb(int code) {
    switch (code) {
        case LIBUSB_SUCCESS:
            return OpenStatus::Ok;
        case LIBUSB_ERROR_ACCESS:
            return OpenStatus::PermissionDenied;
        case LIBUSB_ERROR_NO_DEVICE:
        case LIBUSB_ERROR_NOT_FOUND:
            return OpenStatus::NoSuchDevice;
        default:
            return OpenStatus::Failed;
    }
}

std::string UserMessageFor(OpenStatus status) {
    return OpenFailureMessage(status,
                              "The device is connected, but this user may not open it. Install "
                              "the udev rule 70-palereed.rules into /etc/udev/rules.d/, then "
                              "unplug the device and plug it in again.");
}

}  // namespace usb
