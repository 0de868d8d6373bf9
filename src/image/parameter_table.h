#pragma once

#include <cstdint>

namespace image {

// Layout of the parameter table that the marker opens in our firmware images;
// offsets count from the marker's first character. Numbers are little-endian,
// like the USB descriptors the chip builds from them.
//
//   +0x00  "QVUSB_Table01", then zero bytes up to +0x10
//   +0x10  USB vendor ID (16 bits)
//   +0x12  USB product ID (16 bits)
//   +0x14  system setting, 4 bytes as the parameter store keeps them
//   +0x18  number of string slots (5), then zero bytes up to +0x20
//   +0x20  five string slots of 32 bytes: a length byte, then up to 31 ASCII
//          characters, zero-padded. In order: manufacturer, product name,
//          serial number, play port, record port.
inline constexpr std::uint32_t kTableVidOffset = 0x10;
inline constexpr std::uint32_t kTablePidOffset = 0x12;
inline constexpr std::uint32_t kTableSystemSettingOffset = 0x14;
inline constexpr std::uint32_t kTableStringCountOffset = 0x18;
inline constexpr std::uint32_t kTableStringsOffset = 0x20;
inline constexpr std::uint32_t kTableStringSlotSize = 32;
inline constexpr std::uint32_t kTableStringMaxLength = kTableStringSlotSize - 1;
inline constexpr std::uint32_t kTableStringCount = 5;
inline constexpr std::uint32_t kTableSize =
    kTableStringsOffset + kTableStringCount * kTableStringSlotSize;

enum class TableString : std::uint32_t {
    Manufacturer = 0,
    Product = 1,
    SerialNumber = 2,
    PlayPort = 3,
    RecordPort = 4,
};

constexpr std::uint32_t TableStringOffset(TableString which) {
    return kTableStringsOffset + static_cast<std::uint32_t>(which) * kTableStringSlotSize;
}

}  // namespace image
