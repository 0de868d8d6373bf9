#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace usb_test {

using Bytes = std::vector<std::uint8_t>;

// Joins byte runs, so an expected block reads field by field.
inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

inline Bytes Zeros(std::size_t n) {
    return Bytes(n, 0);
}

// The vendor property set as it must appear on the wire.
inline const Bytes kPropertySetBytes = {0x4D, 0xC0, 0xD7, 0xF6, 0xC3, 0xC5, 0x81, 0x41,
                                        0x9E, 0xD7, 0x50, 0x4A, 0xBE, 0x0C, 0xDD, 0xFF};

}  // namespace usb_test
