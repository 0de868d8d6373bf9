#include "usb_descriptors.h"

namespace umockdev_test {
namespace {

constexpr std::uint8_t kDeviceType = 1;
constexpr std::uint8_t kConfigurationType = 2;
constexpr std::uint8_t kInterfaceType = 4;
constexpr std::uint8_t kConfigurationSize = 9;
constexpr std::uint8_t kInterfaceSize = 9;

std::uint8_t Lo(unsigned v) {
    return static_cast<std::uint8_t>(v & 0xFF);
}
std::uint8_t Hi(unsigned v) {
    return static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

}  // namespace

std::vector<std::uint8_t> DeviceDescriptor(std::uint16_t vid, std::uint16_t pid,
                                           std::uint8_t deviceClass) {
    return {18,      kDeviceType, 0x00,    0x02, deviceClass, 0x00, 0x00, 64,   Lo(vid),
            Hi(vid), Lo(pid),     Hi(pid), 0x00, 0x01,        0x00, 0x00, 0x00, 1};
}

std::vector<std::uint8_t> DescriptorsBlob(std::uint16_t vid, std::uint16_t pid,
                                          std::uint8_t deviceClass,
                                          const std::vector<InterfaceClass>& interfaces) {
    std::vector<std::uint8_t> blob = DeviceDescriptor(vid, pid, deviceClass);
    const unsigned total = kConfigurationSize + kInterfaceSize * interfaces.size();
    const std::vector<std::uint8_t> configuration = {kConfigurationSize,
                                                     kConfigurationType,
                                                     Lo(total),
                                                     Hi(total),
                                                     static_cast<std::uint8_t>(interfaces.size()),
                                                     1,
                                                     0,
                                                     0x80,
                                                     50};
    blob.insert(blob.end(), configuration.begin(), configuration.end());
    std::uint8_t number = 0;
    for (const InterfaceClass& i : interfaces) {
        const std::vector<std::uint8_t> interface = {
            kInterfaceSize, kInterfaceType, number++, 0, 0, i.cls, i.subclass, i.protocol, 0};
        blob.insert(blob.end(), interface.begin(), interface.end());
    }
    return blob;
}

}  // namespace umockdev_test
