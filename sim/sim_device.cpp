#include "sim/sim_device.h"

#include <algorithm>
#include <array>

namespace sim {
namespace {

constexpr std::uint8_t kStandardDeviceIn = 0x80;
constexpr std::uint8_t kGetDescriptor = 6;
constexpr std::uint8_t kDescriptorTypeDevice = 1;

std::array<std::uint8_t, usb::kDeviceDescriptorSize> DeviceDescriptor(const UsbIdentity& id) {
    return {
        static_cast<std::uint8_t>(usb::kDeviceDescriptorSize),
        kDescriptorTypeDevice,
        0x00,
        0x02,  // USB 2.0
        0x00,
        0x00,
        0x00,  // class, subclass and protocol given per interface
        64,    // endpoint 0 packet size
        static_cast<std::uint8_t>(id.vid),
        static_cast<std::uint8_t>(id.vid >> 8),
        static_cast<std::uint8_t>(id.pid),
        static_cast<std::uint8_t>(id.pid >> 8),
        0x00,
        0x01,  // device release 1.00
        1,
        2,
        static_cast<std::uint8_t>(id.hasAudioInterface ? 3 : 0),  // string indexes
        1,                                                        // configurations
    };
}

}  // namespace

bool SimDevice::HandleControl(const usb::ControlSetup& setup,
                              std::span<const std::uint8_t> /*outData*/,
                              std::span<std::uint8_t> inBuffer) {
    if (setup.requestType == kStandardDeviceIn && setup.request == kGetDescriptor &&
        (setup.value >> 8) == kDescriptorTypeDevice) {
        return AnswerDeviceDescriptor(setup, inBuffer);
    }
    return false;
}

bool SimDevice::AnswerDeviceDescriptor(const usb::ControlSetup& setup,
                                       std::span<std::uint8_t> inBuffer) const {
    if ((setup.value & 0xFF) != 0)
        return false;  // there is only one device descriptor
    const auto descriptor = DeviceDescriptor(identity_);
    const std::size_t n = std::min(inBuffer.size(), descriptor.size());
    std::copy_n(descriptor.begin(), n, inBuffer.begin());
    return true;
}

void SimDevice::Reenumerate(UsbIdentity identity) {
    identity_ = identity;
    ++enumeration_;
}

}  // namespace sim
