#include "image/hex_record.h"

#include <cstdio>

#include "image/hex_to_int.h"

namespace image {
namespace {

// Count, two offset bytes and the type come before the data; the checksum after.
constexpr std::size_t kHeaderDigits = 8;

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::string Hex2(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
    return text;
}

std::string DescribeCharacter(char c) {
    const auto code = static_cast<unsigned char>(c);
    if (c == ' ')
        return "a blank";
    if (c == '\t')
        return "a tab";
    if (code >= 0x21 && code < 0x7F)
        return std::string("'") + c + "'";
    return "the byte 0x" + Hex2(code);
}

// Checks that `digits` hex digits follow `start`; fills `read.error` if not.
bool CheckDigits(std::string_view text, std::size_t start, std::size_t digits,
                 std::size_t recordDigits, HexRecordRead& read) {
    for (std::size_t i = start; i < start + digits; ++i) {
        if (i < text.size() && IsHexDigit(text[i]))
            continue;
        read.errorAt = i;
        const bool cutShort = i >= text.size() || text[i] == '\r' || text[i] == '\n';
        if (cutShort) {
            read.error = "the record is incomplete: it ends after " + std::to_string(i - start) +
                         " hexadecimal digits";
            if (recordDigits > 0) {
                read.error +=
                    " of the " + std::to_string(recordDigits) + " its byte count calls for";
            }
        } else {
            read.error = DescribeCharacter(text[i]) + " is not a hexadecimal digit";
        }
        return false;
    }
    return true;
}

std::uint8_t ByteAt(std::string_view text, std::size_t index) {
    return static_cast<std::uint8_t>(HexToInt(text.data() + index, 2));
}

// The number of data bytes a record type must carry; -1 for any number.
int RequiredCount(HexRecordType type) {
    switch (type) {
        case HexRecordType::Data:
            return -1;
        case HexRecordType::EndOfFile:
            return 0;
        case HexRecordType::ExtendedSegmentAddress:
        case HexRecordType::ExtendedLinearAddress:
            return 2;
        case HexRecordType::StartSegmentAddress:
        case HexRecordType::StartLinearAddress:
            return 4;
    }
    return -1;
}

// Type and length rules, once the digits and the checksum are known good.
void CheckTypeAndCount(std::uint8_t rawType, HexRecordRead& read) {
    if (rawType > static_cast<std::uint8_t>(HexRecordType::StartLinearAddress)) {
        read.error = "unknown record type " + Hex2(rawType);
        return;
    }
    const int required = RequiredCount(read.record.type);
    if (required >= 0 && read.record.count != required) {
        read.error = "a record of type " + Hex2(rawType) + " must carry " +
                     std::to_string(required) + " data bytes, not " +
                     std::to_string(read.record.count);
    }
}

}  // namespace

HexRecordRead ReadHexRecord(std::string_view text, std::size_t colon) {
    HexRecordRead read;
    const std::size_t first = colon + 1;
    if (!CheckDigits(text, first, kHeaderDigits, 0, read))
        return read;
    HexRecord& record = read.record;
    record.count = ByteAt(text, first);
    const std::size_t digits = kHeaderDigits + std::size_t{2} * record.count + 2;
    if (!CheckDigits(text, first, digits, digits, read))
        return read;

    record.offset =
        static_cast<std::uint16_t>(ByteAt(text, first + 2) << 8 | ByteAt(text, first + 4));
    const std::uint8_t rawType = ByteAt(text, first + 6);
    record.type = static_cast<HexRecordType>(rawType);
    unsigned sum = record.count + (record.offset >> 8) + (record.offset & 0xFFu) + rawType;
    for (std::size_t i = 0; i < record.count; ++i) {
        record.data[i] = ByteAt(text, first + kHeaderDigits + 2 * i);
        sum += record.data[i];
    }
    const std::size_t checksumAt = first + digits - 2;
    const std::uint8_t checksum = ByteAt(text, checksumAt);
    read.end = first + digits;
    const auto expected = static_cast<std::uint8_t>(0x100u - (sum & 0xFFu));
    if (checksum != expected) {
        read.errorAt = checksumAt;
        read.error = "the record checksum is " + Hex2(checksum) +
                     ", but the record's bytes call for " + Hex2(expected);
        return read;
    }
    CheckTypeAndCount(rawType, read);
    if (!read.Ok())
        read.errorAt = first + 6;
    return read;
}

}  // namespace image
