#pragma once

#include <array>
#include <cstdint>

namespace product {

// The 4-byte system general setting of the parameter store with its fields
// named. FromBytes and ToBytes are the one place that knows the bit map;
// bits that no field names travel through unchanged.
struct SystemSetting {
    enum class OutputLength { Bits24, Bits32 };
    enum class I2sFormat { Standard, LeftJustified };
    enum class DsdOutput { DoP, NativeDsd };

    OutputLength i2sLength = OutputLength::Bits32;    // byte 0 bit 0
    OutputLength spdifLength = OutputLength::Bits24;  // byte 0 bit 1
    bool i2sChannelSwap = false;                      // byte 0 bit 2
    bool dsdChannelSwap = false;                      // byte 0 bit 3
    std::uint8_t mclkFrequencyIndex = 2;              // byte 0 bits 5-4: 128/256/512/1024 Fs
    I2sFormat i2sFormat = I2sFormat::Standard;        // byte 0 bit 6
    DsdOutput dsdOutput = DsdOutput::NativeDsd;       // byte 0 bit 7
    bool spdifOutputOff = false;                      // byte 1 bit 5
    bool i2sOutputOff = false;                        // byte 1 bit 6
    bool mclkOutputOff = false;                       // byte 1 bit 7
    bool eepromPresent = false;                       // byte 3 bit 7, read only
    // Bits no field names: byte 1 bits 4-0, byte 2, byte 3 bits 6-0.
    std::array<std::uint8_t, 4> otherBits{};

    bool operator==(const SystemSetting&) const = default;

    static SystemSetting FromBytes(const std::array<std::uint8_t, 4>& bytes);
    std::array<std::uint8_t, 4> ToBytes() const;
    // The MCLK output frequency as a multiple of Fs: 128, 256, 512 or 1024.
    int MclkFrequencyFs() const { return 128 << (mclkFrequencyIndex & 3); }
};

// The value the window starts with before anything is read: 0xA1 0 0 0.
inline constexpr std::array<std::uint8_t, 4> kDefaultSystemSetting = {0xA1, 0x00, 0x00, 0x00};

}  // namespace product
