#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace image {

// Intel HEX record types; anything above StartLinearAddress is unknown.
enum class HexRecordType : std::uint8_t {
    Data = 0x00,
    EndOfFile = 0x01,
    ExtendedSegmentAddress = 0x02,
    StartSegmentAddress = 0x03,
    ExtendedLinearAddress = 0x04,
    StartLinearAddress = 0x05,
};

struct HexRecord {
    HexRecordType type = HexRecordType::Data;
    std::uint16_t offset = 0;
    std::uint8_t count = 0;
    std::array<std::uint8_t, 255> data{};
};

// One record read from text, or the reason it is unusable.
struct HexRecordRead {
    HexRecord record;
    std::size_t end = 0;      // index just past the record's last character
    std::string error;        // empty when the record is sound
    std::size_t errorAt = 0;  // index of the character the error is about

    bool Ok() const { return error.empty(); }
};

// Reads the record whose ':' stands at `colon`: every field must be there in
// hexadecimal digits, the bytes must add up to zero modulo 256, and the type
// must be known, with the data length that type calls for.
HexRecordRead ReadHexRecord(std::string_view text, std::size_t colon);

}  // namespace image
