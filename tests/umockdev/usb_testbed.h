#pragma once

#include <umockdev.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace umockdev_test {

class EmulatedDevice;

// Where a device sits and what the kernel would show of it in sysfs.
struct DeviceRecord {
    std::string name;        // sysfs name, the bus and port chain: "1-2.3"
    std::string parentPath;  // sysfs path of the hub it hangs on, or empty
    std::uint8_t bus = 1;
    std::uint8_t address = 1;
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    std::vector<std::uint8_t> descriptors;  // see DescriptorsBlob()
};

// An emulated sysfs, udev and /dev/bus/usb for libusb to find devices in.
// Create it before the first libusb_init: libusb binds its udev monitor to
// whatever it finds at that moment.
class UsbTestbed {
public:
    UsbTestbed();
    UsbTestbed(const UsbTestbed&) = delete;
    UsbTestbed& operator=(const UsbTestbed&) = delete;
    ~UsbTestbed();

    // Adds a device; `device` (may be null) answers its usbdevfs ioctls.
    // Returns the device's sysfs path.
    std::string Add(const DeviceRecord& record, EmulatedDevice* device);

    // Unplugs a device the way the kernel does: its requests start failing,
    // the "remove" uevent goes out while sysfs still describes the device
    // (libusb reads the bus address from it), and only then it disappears.
    void Unplug(const std::string& sysPath, EmulatedDevice& device);

private:
    void WriteDescriptors(const DeviceRecord& record) const;
    std::string NodeFile(const std::string& node) const;
    void CreateNodeFile(const std::string& node) const;

    UMockdevTestbed* testbed_ = nullptr;
    std::map<std::string, std::string> nodes_;  // device node by sysfs path
};

std::string DevNode(std::uint8_t bus, std::uint8_t address);

}  // namespace umockdev_test
