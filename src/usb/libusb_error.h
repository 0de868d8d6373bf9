#pragma once

#include <string>

#include "usb/device_backend.h"

namespace usb {

// One failed libusb call as the log keeps it: the call, what it was about and
// libusb's own code, so a report from the field still says what libusb said.
struct LibusbError {
    int code = 0;         // a LIBUSB_ERROR_* value; 0 when nothing failed
    std::string call;     // "libusb_open", "libusb_control_transfer", ...
    std::string subject;  // the device location or interface path, when there is one

    bool Failed() const { return code != 0; }
    // "libusb_open 1-2.3: LIBUSB_ERROR_ACCESS (-3)"
    std::string ToString() const;
};

// How the window must treat a libusb code returned by an open.
OpenStatus OpenStatusFromLibusb(int code);

// The one sentence the window shows when a device could not be opened. On
// Linux a refused open nearly always means the udev rule is not installed.
std::string UserMessageFor(OpenStatus status);

}  // namespace usb
