#include "sim/i2c_register_device.h"

namespace sim {

I2cRegisterDevice::I2cRegisterDevice(std::uint8_t addressByte)
    : address_(static_cast<std::uint8_t>(addressByte & 0xFE)) {
    writeMask_.fill(0xFF);
}

I2cRegisterDevice I2cRegisterDevice::Plain(std::uint8_t addressByte) {
    return I2cRegisterDevice(addressByte);
}

I2cRegisterDevice I2cRegisterDevice::AmplifierLike(std::uint8_t addressByte) {
    I2cRegisterDevice device(addressByte);
    device.Set(0x00, kAmplifierId);
    device.SetWriteMask(0x00, 0x00);
    device.Set(0x01, kAmplifierStatus);
    device.SetWriteMask(0x01, 0x0F);  // fault flags in the high nibble are the device's own
    device.Set(0x02, kAmplifierVolume);
    return device;
}

void I2cRegisterDevice::WriteByte(std::uint8_t byte) {
    if (expectPointer_) {
        pointer_ = byte;
        expectPointer_ = false;
        return;
    }
    const std::uint8_t mask = writeMask_[pointer_];
    regs_[pointer_] = static_cast<std::uint8_t>((regs_[pointer_] & ~mask) | (byte & mask));
    ++pointer_;
}

std::uint8_t I2cRegisterDevice::ReadByte() {
    return regs_[pointer_++];
}

}  // namespace sim
