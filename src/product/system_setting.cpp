#include "product/system_setting.h"

namespace product {
namespace {

constexpr std::uint8_t kI2sLength32 = 0x01;
constexpr std::uint8_t kSpdifLength32 = 0x02;
constexpr std::uint8_t kI2sSwap = 0x04;
constexpr std::uint8_t kDsdSwap = 0x08;
constexpr std::uint8_t kMclkMask = 0x30;
constexpr int kMclkShift = 4;
constexpr std::uint8_t kLeftJustified = 0x40;
constexpr std::uint8_t kNativeDsd = 0x80;
constexpr std::uint8_t kSpdifOff = 0x20;
constexpr std::uint8_t kI2sOff = 0x40;
constexpr std::uint8_t kMclkOff = 0x80;
constexpr std::uint8_t kEeprom = 0x80;

constexpr std::array<std::uint8_t, 4> kNamedBits = {0xFF, 0xE0, 0x00, 0x80};

bool Has(std::uint8_t byte, std::uint8_t bit) {
    return (byte & bit) != 0;
}

std::uint8_t Bit(bool on, std::uint8_t bit) {
    return on ? bit : 0;
}

}  // namespace

SystemSetting SystemSetting::FromBytes(const std::array<std::uint8_t, 4>& bytes) {
    SystemSetting s;
    const std::uint8_t b0 = bytes[0];
    s.i2sLength = Has(b0, kI2sLength32) ? OutputLength::Bits32 : OutputLength::Bits24;
    s.spdifLength = Has(b0, kSpdifLength32) ? OutputLength::Bits32 : OutputLength::Bits24;
    s.i2sChannelSwap = Has(b0, kI2sSwap);
    s.dsdChannelSwap = Has(b0, kDsdSwap);
    s.mclkFrequencyIndex = static_cast<std::uint8_t>((b0 & kMclkMask) >> kMclkShift);
    s.i2sFormat = Has(b0, kLeftJustified) ? I2sFormat::LeftJustified : I2sFormat::Standard;
    s.dsdOutput = Has(b0, kNativeDsd) ? DsdOutput::NativeDsd : DsdOutput::DoP;
    s.spdifOutputOff = Has(bytes[1], kSpdifOff);
    s.i2sOutputOff = Has(bytes[1], kI2sOff);
    s.mclkOutputOff = Has(bytes[1], kMclkOff);
    s.eepromPresent = Has(bytes[3], kEeprom);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        s.otherBits[i] = static_cast<std::uint8_t>(bytes[i] & ~kNamedBits[i]);
    return s;
}

std::array<std::uint8_t, 4> SystemSetting::ToBytes() const {
    std::array<std::uint8_t, 4> bytes = otherBits;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(bytes[i] & ~kNamedBits[i]);
    bytes[0] |= Bit(i2sLength == OutputLength::Bits32, kI2sLength32) |
                Bit(spdifLength == OutputLength::Bits32, kSpdifLength32) |
                Bit(i2sChannelSwap, kI2sSwap) | Bit(dsdChannelSwap, kDsdSwap) |
                static_cast<std::uint8_t>((mclkFrequencyIndex & 3) << kMclkShift) |
                Bit(i2sFormat == I2sFormat::LeftJustified, kLeftJustified) |
                Bit(dsdOutput == DsdOutput::NativeDsd, kNativeDsd);
    bytes[1] |=
        Bit(spdifOutputOff, kSpdifOff) | Bit(i2sOutputOff, kI2sOff) | Bit(mclkOutputOff, kMclkOff);
    bytes[3] |= Bit(eepromPresent, kEeprom);
    return bytes;
}

}  // namespace product
