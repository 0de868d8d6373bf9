#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tools {

// Intel HEX text of `bytes` placed from address 0: data records of 16 bytes,
// an extended linear address record (04) wherever the upper 16 address bits
// change, an end-of-file record, CR LF line ends.
std::string WriteIntelHex(std::span<const std::uint8_t> bytes);

}  // namespace tools
