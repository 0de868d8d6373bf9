#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace flash {

// The dump file of Read Flash: from address 0, while the line address is below
// `last`, one line of 16 entries "0x" + two upper-case digits + ", ", each line
// ended by a lone carriage return. Lines stop at the end of the buffer.
std::string FormatReadBackDump(std::span<const std::uint8_t> buffer, std::uint32_t last);

// Creates (or replaces) the file and writes the dump; false when the file
// cannot be written.
bool WriteReadBackDump(const std::string& path, std::span<const std::uint8_t> buffer,
                       std::uint32_t last);

}  // namespace flash
