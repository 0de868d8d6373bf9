#pragma once

#include <cstdint>
#include <string>

#include "catalog/product_table.h"
#include "usb/device_backend.h"

namespace product {

// Whether a device runs its firmware (a product of the table, reached over the
// audio-driver path) or waits as the bare chip in ISP mode (vendor-driver path).
enum class DeviceMode { Normal, Isp };

// One device that the tool can work on, as a listing or a detection found it.
struct ListedDevice {
    std::string displayName;  // "Pale Reed F066", or "Firmware update device 2FC6"
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    std::string location;  // bus and port chain, "1-2.3"; empty when the path has none
    DeviceMode mode = DeviceMode::Normal;
    // Row of the product table; null for the bare chip in ISP mode.
    const ProductRow* row = nullptr;
    std::string interfacePath;
    // Whether a test open succeeded, and why not when it did not.
    usb::OpenStatus openStatus = usb::OpenStatus::Ok;

    bool MayBeOpened() const { return openStatus == usb::OpenStatus::Ok; }
    // "2fc6:f066", as lsusb writes it.
    std::string VidPidText() const;
};

}  // namespace product
