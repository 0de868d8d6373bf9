#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "product/listed_device.h"

namespace usb {
class DeviceBackend;
class QuorvexUsb;
}  // namespace usb

namespace product {

// Every connected product of the table and every bare chip in ISP mode, in
// enumeration order: products first (audio-driver class), then ISP-mode chips
// (USB-device class). Each is opened once and closed again to learn whether
// the user may open it; nothing is sent to it.
std::vector<ListedDevice> ListDevices(usb::DeviceBackend& backend);

// The device at `location`, if the listing holds one there.
std::optional<ListedDevice> DeviceAt(const std::vector<ListedDevice>& devices,
                                     std::string_view location);

// Whether the device that `updatedPath` named before an update is back as a
// product of the table running its firmware: after leaving ISP mode, the sign
// that this chip restarted from its new firmware. A restarted chip keeps its
// port, so a product at the same location counts; where paths carry no
// location (Windows), the same path (its instance carries the serial or the
// port). Only a bare chip named by a path without a location leaves nothing
// to follow: then any product counts. Nothing is opened or sent.
bool UpdatedProductBack(const usb::QuorvexUsb& link, std::string_view updatedPath);

// The location that an interface path carries ("...#loc_1-2.3#..."), or empty.
std::string LocationOfPath(std::string_view interfacePath);

}  // namespace product
