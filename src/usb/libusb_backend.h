#pragma once

#include <memory>

#include "usb/device_backend.h"

namespace usb {

// Linux backend over libusb: synthesises Windows-style interface paths and
// carries the decoded control calls as libusb control transfers.
std::unique_ptr<DeviceBackend> MakeLibusbBackend();

}  // namespace usb
