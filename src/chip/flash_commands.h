#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace usb {
class QuorvexUsb;
}

namespace chip {

// JEDEC identification: manufacturer byte, then the two device bytes.
using ChipIdBytes = std::array<std::uint8_t, 3>;

// Limits of the pass-through engine: one request carries at most four
// instruction bytes, one fetch at most 255 reply bytes, one page program at most
// one 256-byte flash page.
inline constexpr std::size_t kMaxFlashWriteData = 3;
inline constexpr std::uint16_t kMaxFetchLength = 255;
inline constexpr std::uint16_t kMaxPageProgramLength = 256;

// Pass-through base operations. Lengths outside their ranges are refused
// (false, nothing sent).
bool FlashWrite(usb::QuorvexUsb& link, std::uint8_t instruction,
                std::span<const std::uint8_t> data);  // 0 to 3 data bytes
bool FlashCommand(usb::QuorvexUsb& link, std::uint8_t instruction, std::uint8_t replyCount);
bool FlashFetch(usb::QuorvexUsb& link, std::uint8_t count, std::uint8_t* destination);  // 1..255

bool FlashWriteEnable(usb::QuorvexUsb& link);
bool FlashWriteDisable(usb::QuorvexUsb& link);
bool FlashEraseChip(usb::QuorvexUsb& link);
bool FlashEraseSector(usb::QuorvexUsb& link, std::uint32_t address);
bool FlashWriteStatus(usb::QuorvexUsb& link, std::uint8_t value);

// The status byte; 0xFF when none was obtained, also when the read
// instruction itself failed (which every caller takes for busy).
std::uint8_t FlashReadStatus(usb::QuorvexUsb& link);

// Fills `chipId` on success; on failure (the read instruction included) it
// keeps its previous content, and `why`, when given, says what failed as it
// failed: the failing request's own error, or a reply that was never ready.
bool FlashReadId(usb::QuorvexUsb& link, ChipIdBytes& chipId, std::string* why = nullptr);

// Reads `length` (1..255) bytes at `address`.
bool FlashReadBlock(usb::QuorvexUsb& link, std::uint32_t address, std::uint16_t length,
                    std::uint8_t* destination);

// Page program of 1..256 bytes; does not wait and sends no write enable.
// A failed header request fails the command before any data is sent.
bool FlashPageProgram(usb::QuorvexUsb& link, std::uint32_t address, std::uint16_t length,
                      const std::uint8_t* data);

// Auto-address-increment word program of an even length of at least 2; the
// caller ends the sequence with FlashWriteDisable. Stops at the first failed
// request and fails.
bool FlashWordProgram(usb::QuorvexUsb& link, std::uint32_t address, std::uint16_t length,
                      const std::uint8_t* data);

}  // namespace chip
