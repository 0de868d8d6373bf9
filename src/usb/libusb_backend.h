#pragma once

#include <memory>

#include "usb/device_backend.h"
#include "usb/libusb_error.h"

namespace usb {

class RequestTrace;

// Linux backend over libusb. It synthesises Windows-style interface paths
// ("\\?\usb#vid_2fc6&pid_f066#loc_1-2.3#{class guid}") for the present devices
// and carries the decoded control calls as control transfers on endpoint 0.
//
// Vendor-type requests on endpoint 0 need no interface claim, so the kernel
// audio driver keeps the product bound and playing while the tool talks to it.
//
// Permissions: without a udev rule only root may open USB device nodes, and
// the open fails with OpenStatus::PermissionDenied (QuorvexUsb::LastOpenStatus).
// The window must then not say "no device": it shows UserMessageFor(status),
// which tells the user to install data/udev/70-palereed.rules as
// /etc/udev/rules.d/70-palereed.rules (access for VIDs 2fc6 and 0ea0) and to
// plug the device in again. Every other failure keeps libusb's own code in
// LastError() for the log.
class LibusbBackend : public DeviceBackend {
public:
    // The last libusb failure; code 0 when none has happened yet.
    virtual const LibusbError& LastError() const = 0;
    // Also writes each failure, as LibusbError::ToString(), to `log` (may be null).
    virtual void SetErrorLog(RequestTrace* log) = 0;
};

struct LibusbStart {
    std::unique_ptr<LibusbBackend> backend;  // null when libusb could not start
    LibusbError error;                       // why, when it could not
};

// Starts libusb. Create one backend for the program; it must outlive the link.
LibusbStart MakeLibusbBackend();

}  // namespace usb
