#pragma once

#include <cstdint>
#include <vector>

namespace umockdev_test {

struct InterfaceClass {
    std::uint8_t cls = 0;
    std::uint8_t subclass = 0;
    std::uint8_t protocol = 0;
};

inline constexpr InterfaceClass kAudioControl{0x01, 0x01, 0x20};
inline constexpr InterfaceClass kAudioStreaming{0x01, 0x02, 0x20};
inline constexpr InterfaceClass kVendorSpecific{0xFF, 0x00, 0x00};
inline constexpr InterfaceClass kHubInterface{0x09, 0x00, 0x00};

// The 18-byte device descriptor, in bus (little-endian) order.
std::vector<std::uint8_t> DeviceDescriptor(std::uint16_t vid, std::uint16_t pid,
                                           std::uint8_t deviceClass);

// What the kernel shows in sysfs "descriptors": the device descriptor followed
// by one configuration (value 1) with the given interfaces and no endpoints.
std::vector<std::uint8_t> DescriptorsBlob(std::uint16_t vid, std::uint16_t pid,
                                          std::uint8_t deviceClass,
                                          const std::vector<InterfaceClass>& interfaces);

}  // namespace umockdev_test
