#pragma once

#include <array>
#include <cstdint>

namespace sim {

// A device on the chip's I2C bus with 256 byte registers: after its write
// address the first byte sets the register pointer, further bytes are written
// from there on, and reads continue from the pointer; the pointer
// auto-increments (wrapping at 0xFF). Bits outside a register's write mask
// are read-only.
class I2cRegisterDevice {
public:
    // `addressByte` is the write form of the address (bit 0 clear).
    explicit I2cRegisterDevice(std::uint8_t addressByte);

    // A plain memory-like device: every bit writable, all registers 0.
    static I2cRegisterDevice Plain(std::uint8_t addressByte);
    // An amplifier-like device: register 0x00 is a read-only ID (kAmplifierId),
    // register 0x01 has read-only fault flags in bits 7-4 (kAmplifierStatus),
    // register 0x02 is a volume (kAmplifierVolume); the rest are writable.
    static I2cRegisterDevice AmplifierLike(std::uint8_t addressByte);
    static constexpr std::uint8_t kAmplifierId = 0x41;
    static constexpr std::uint8_t kAmplifierStatus = 0x50;
    static constexpr std::uint8_t kAmplifierVolume = 0x30;

    std::uint8_t AddressByte() const { return address_; }

    // Bus side.
    void BeginWrite() { expectPointer_ = true; }
    void WriteByte(std::uint8_t byte);
    std::uint8_t ReadByte();

    // Test side: direct access that ignores the write masks.
    std::uint8_t Get(std::uint8_t reg) const { return regs_[reg]; }
    void Set(std::uint8_t reg, std::uint8_t value) { regs_[reg] = value; }
    void SetWriteMask(std::uint8_t reg, std::uint8_t mask) { writeMask_[reg] = mask; }
    std::uint8_t Pointer() const { return pointer_; }

private:
    std::uint8_t address_;
    std::array<std::uint8_t, 256> regs_{};
    std::array<std::uint8_t, 256> writeMask_{};
    std::uint8_t pointer_ = 0;
    bool expectPointer_ = false;
};

}  // namespace sim
