#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace usb {

// A GUID kept in its standard 16-byte memory layout (first three fields little-endian).
struct Guid {
    std::array<std::uint8_t, 16> bytes{};

    bool operator==(const Guid&) const = default;
};

// Builds a GUID from its textual fields, {d1-d2-d3-d4[0..1]-d4[2..7]}.
constexpr Guid MakeGuid(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3,
                        std::array<std::uint8_t, 8> d4) {
    Guid g{};
    for (int i = 0; i < 4; ++i)
        g.bytes[i] = static_cast<std::uint8_t>(d1 >> (8 * i));
    for (int i = 0; i < 2; ++i)
        g.bytes[4 + i] = static_cast<std::uint8_t>(d2 >> (8 * i));
    for (int i = 0; i < 2; ++i)
        g.bytes[6 + i] = static_cast<std::uint8_t>(d3 >> (8 * i));
    for (int i = 0; i < 8; ++i)
        g.bytes[8 + i] = d4[i];
    return g;
}

// Upper-case registry form, "{50894FA4-9206-4A91-8728-CF6F268F271D}".
std::string GuidToString(const Guid& guid);

// Device-interface class of the product's audio driver (kernel-streaming filters).
inline constexpr Guid kAudioDriverInterfaceClass =
    MakeGuid(0x50894FA4, 0x9206, 0x4A91, {0x87, 0x28, 0xCF, 0x6F, 0x26, 0x8F, 0x27, 0x1D});

// The standard USB device interface class, searched on the vendor-driver path.
inline constexpr Guid kUsbDeviceInterfaceClass =
    MakeGuid(0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED});

// Kernel-streaming property set through which the audio driver passes vendor requests.
inline constexpr Guid kVendorRequestPropertySet =
    MakeGuid(0xF6D7C04D, 0xC5C3, 0x4181, {0x9E, 0xD7, 0x50, 0x4A, 0xBE, 0x0C, 0xDD, 0xFF});

}  // namespace usb
