#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/firmware_image.h"
#include "image/hex_record.h"

namespace image {

// Places the data of Intel HEX text at its true addresses in a buffer of the
// image's size, checking every record on the way. Extended segment (02) and
// extended linear (04) records move the base address; start address records
// (03, 05) carry nothing for the image; an end-of-file record (01) ends the
// text and must be there. Blanks and line ends between records are skipped; any other text
// there is a fault, since it usually means a record lost its ':'. Two records
// that give one address different bytes, and anything but blanks after the
// end-of-file record (two files joined into one), are faults too: either way
// the image would silently not be what one of the records says.
class HexParser {
public:
    static constexpr const char* kMissingEndOfFile =
        "the file ends without its end-of-file record; it may be incomplete";

    // Bytes of `target` the text does not define keep their value.
    explicit HexParser(std::span<std::uint8_t, kImageSize> target);

    // Call once per parser. Stops at the first fault; Error() then says which
    // line and what is wrong.
    bool Parse(std::string_view text);

    const std::string& Error() const { return error_; }
    // Highest address written + 1; 0 when no data byte was written.
    std::uint32_t EndMark() const { return endMark_; }

private:
    // Skips blanks and line ends, counting lines; false at other text.
    bool SkipToRecord(std::string_view text, std::size_t& pos);
    // Only blanks, or a DOS end-of-text mark, may follow the end-of-file record.
    bool CheckAfterEnd(std::string_view text, std::size_t pos);
    // `colon` is where the record starts in the text, for the columns of faults.
    bool Apply(const HexRecord& record, std::size_t colon);
    bool StoreData(const HexRecord& record, std::size_t colon);
    // Sets the error for the current line; returns false for the caller to pass on.
    bool Fail(const std::string& what);
    bool FailAt(std::size_t index, const std::string& what);

    std::span<std::uint8_t, kImageSize> target_;
    std::uint64_t base_ = 0;
    // Segment addressing wraps offsets within 64 KiB; linear addressing runs on.
    bool segmentAddressing_ = false;
    bool ended_ = false;
    std::uint32_t endMark_ = 0;
    // The line whose record wrote each address; 0 where none did yet.
    std::vector<std::uint32_t> writtenBy_;
    std::size_t endLine_ = 0;
    std::size_t line_ = 1;
    std::size_t lineStart_ = 0;
    std::string error_;
};

}  // namespace image
