#pragma once

// How the libusb backend presents the present devices as the interfaces of the
// two device-interface classes the link searches.

#include <libusb.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "usb/guid.h"

namespace usb::libusb {

class DeviceList;

struct InterfaceEntry {
    std::string path;
    libusb_device* device = nullptr;  // owned by the list it came from
};

// "1-2.3": bus, then the port chain from the root hub; a root hub is "1-0".
std::string FormatLocation(std::uint8_t bus, std::span<const std::uint8_t> ports);

std::optional<std::string> LocationOf(libusb_device* device);

// Whether the active configuration has an Audio-class interface, that is
// whether the kernel audio driver can own the device.
bool HasAudioInterface(libusb_device* device);

// The interfaces of one class: every device for the USB-device class, the
// devices with an audio interface for the audio-driver class, none otherwise.
std::vector<InterfaceEntry> InterfacesOfClass(const DeviceList& list, const Guid& interfaceClass);

// The device behind an interface path of either class, or null.
libusb_device* FindByPath(const DeviceList& list, const std::string& path);

}  // namespace usb::libusb
