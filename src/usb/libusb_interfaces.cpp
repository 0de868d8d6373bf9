#include "usb/libusb_interfaces.h"

#include <array>

#include "usb/interface_path.h"
#include "usb/libusb_device_list.h"
#include "usb/libusb_handles.h"

namespace usb::libusb {
namespace {

// USB 3 allows hubs seven deep.
constexpr int kMaxPortDepth = 7;

bool IsAudio(const libusb_interface& interface) {
    const std::span alternates(interface.altsetting,
                               static_cast<std::size_t>(interface.num_altsetting));
    for (const libusb_interface_descriptor& alternate : alternates) {
        if (alternate.bInterfaceClass == LIBUSB_CLASS_AUDIO)
            return true;
    }
    return false;
}

}  // namespace

std::string FormatLocation(std::uint8_t bus, std::span<const std::uint8_t> ports) {
    std::string location = std::to_string(bus) + "-";
    if (ports.empty())
        return location + "0";
    for (std::size_t i = 0; i < ports.size(); ++i) {
        if (i != 0)
            location += '.';
        location += std::to_string(ports[i]);
    }
    return location;
}

std::optional<std::string> LocationOf(libusb_device* device) {
    std::array<std::uint8_t, kMaxPortDepth> ports{};
    const int depth = libusb_get_port_numbers(device, ports.data(), kMaxPortDepth);
    if (depth < 0)
        return std::nullopt;
    return FormatLocation(libusb_get_bus_number(device),
                          std::span(ports).first(static_cast<std::size_t>(depth)));
}

bool HasAudioInterface(libusb_device* device) {
    libusb_config_descriptor* raw = nullptr;
    // An unconfigured device has no active configuration and so no audio driver.
    if (libusb_get_active_config_descriptor(device, &raw) != LIBUSB_SUCCESS)
        return false;
    const ConfigDescriptorPtr config(raw);
    const std::span interfaces(config->interface, config->bNumInterfaces);
    for (const libusb_interface& interface : interfaces) {
        if (IsAudio(interface))
            return true;
    }
    return false;
}

std::vector<InterfaceEntry> InterfacesOfClass(const DeviceList& list, const Guid& interfaceClass) {
    const bool audio = interfaceClass == kAudioDriverInterfaceClass;
    std::vector<InterfaceEntry> entries;
    if (!audio && interfaceClass != kUsbDeviceInterfaceClass)
        return entries;
    for (libusb_device* device : list.Devices()) {
        if (audio && !HasAudioInterface(device))
            continue;
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(device, &descriptor) != LIBUSB_SUCCESS)
            continue;
        const std::optional<std::string> location = LocationOf(device);
        if (!location)
            continue;
        entries.push_back({MakeInterfacePath(descriptor.idVendor, descriptor.idProduct, *location,
                                             interfaceClass),
                           device});
    }
    return entries;
}

libusb_device* FindByPath(const DeviceList& list, const std::string& path) {
    for (const Guid* cls : {&kAudioDriverInterfaceClass, &kUsbDeviceInterfaceClass}) {
        for (const InterfaceEntry& entry : InterfacesOfClass(list, *cls)) {
            if (entry.path == path)
                return entry.device;
        }
    }
    return nullptr;
}

}  // namespace usb::libusb
