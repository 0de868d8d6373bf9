#include "image/hex_parser.h"

#include <cstdio>

namespace image {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string AddressText(std::uint64_t address) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%05llX", static_cast<unsigned long long>(address));
    return text;
}

std::string ByteText(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

std::uint16_t Word(const HexRecord& record) {
    return static_cast<std::uint16_t>(record.data[0] << 8 | record.data[1]);
}

}  // namespace

HexParser::HexParser(std::span<std::uint8_t, kImageSize> target)
    : target_(target), writtenBy_(kImageSize, 0) {}

bool HexParser::Parse(std::string_view text) {
    // Some Windows editors put a byte order mark in front of the first record.
    std::size_t pos = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    lineStart_ = pos;
    bool sawRecord = false;
    while (!ended_ && SkipToRecord(text, pos)) {
        if (pos == text.size())
            break;
        const HexRecordRead read = ReadHexRecord(text, pos);
        if (!read.Ok())
            return FailAt(read.errorAt, read.error);
        if (!Apply(read.record, pos))
            return false;
        sawRecord = true;
        pos = read.end;
    }
    if (error_.empty() && ended_)
        CheckAfterEnd(text, pos);
    if (!error_.empty())
        return false;
    if (!sawRecord) {
        error_ = "the file holds no Intel HEX records";
        return false;
    }
    // Every tool that writes Intel HEX ends with this record; a file that
    // stops without it was most likely cut off at a line end.
    if (!ended_) {
        error_ = kMissingEndOfFile;
        return false;
    }
    // Loading it would make an update erase the flash and write nothing back.
    if (endMark_ == 0) {
        error_ = "the file holds no data";
        return false;
    }
    return true;
}

bool HexParser::SkipToRecord(std::string_view text, std::size_t& pos) {
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == ':')
            return true;
        if (!IsBlank(c)) {
            return FailAt(pos, "text outside a record; every record starts with ':'");
        }
        if (c == '\n') {
            ++line_;
            lineStart_ = pos + 1;
        }
    }
    return true;
}

bool HexParser::CheckAfterEnd(std::string_view text, std::size_t pos) {
    // Old DOS tools end a text file with Ctrl-Z; what follows it is no part of the file.
    constexpr char kDosEndOfText = '\x1A';
    for (; pos < text.size() && text[pos] != kDosEndOfText; ++pos) {
        const char c = text[pos];
        if (c == ':') {
            return FailAt(pos, "a record after the end-of-file record of line " +
                                   std::to_string(endLine_) +
                                   "; is this two HEX files joined into one?");
        }
        if (!IsBlank(c))
            return FailAt(pos,
                          "text after the end-of-file record of line " + std::to_string(endLine_));
        if (c == '\n') {
            ++line_;
            lineStart_ = pos + 1;
        }
    }
    return true;
}

bool HexParser::Apply(const HexRecord& record, std::size_t colon) {
    switch (record.type) {
        case HexRecordType::Data:
            return StoreData(record, colon);
        case HexRecordType::EndOfFile:
            ended_ = true;
            endLine_ = line_;
            return true;
        case HexRecordType::ExtendedSegmentAddress:
            base_ = std::uint64_t{Word(record)} << 4;
            segmentAddressing_ = true;
            return true;
        case HexRecordType::ExtendedLinearAddress:
            base_ = std::uint64_t{Word(record)} << 16;
            segmentAddressing_ = false;
            return true;
        case HexRecordType::StartSegmentAddress:
        case HexRecordType::StartLinearAddress:
            return true;
    }
    return Fail("unknown record type");
}

bool HexParser::StoreData(const HexRecord& record, std::size_t colon) {
    // ':', two digits of count, four of offset, two of type, then two per byte.
    constexpr std::size_t kFirstDataDigit = 9;
    for (std::size_t i = 0; i < record.count; ++i) {
        std::uint64_t offset = record.offset + i;
        if (segmentAddressing_)
            offset &= 0xFFFF;
        const std::uint64_t address = base_ + offset;
        if (address >= kImageSize) {
            return Fail("data at address " + AddressText(address) +
                        " lies beyond the end of the 256 KiB firmware image (" +
                        AddressText(kImageSize - 1) + ")");
        }
        std::uint32_t& writer = writtenBy_[address];
        if (writer != 0 && target_[address] != record.data[i]) {
            return FailAt(colon + kFirstDataDigit + 2 * i,
                          "data at address " + AddressText(address) + " (" +
                              ByteText(record.data[i]) + ") overlaps line " +
                              std::to_string(writer) + ", which put " + ByteText(target_[address]) +
                              " there");
        }
        writer = static_cast<std::uint32_t>(line_);
        target_[address] = record.data[i];
        if (address >= endMark_)
            endMark_ = static_cast<std::uint32_t>(address + 1);
    }
    return true;
}

bool HexParser::Fail(const std::string& what) {
    error_ = "line " + std::to_string(line_) + ": " + what;
    return false;
}

bool HexParser::FailAt(std::size_t index, const std::string& what) {
    error_ = "line " + std::to_string(line_) + ", column " +
             std::to_string(index - lineStart_ + 1) + ": " + what;
    return false;
}

}  // namespace image
