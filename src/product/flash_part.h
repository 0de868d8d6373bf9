#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "chip/flash_commands.h"

namespace product {

// What the tool can tell the user about the SPI flash from its JEDEC
// identification and status register.
struct FlashPart {
    chip::ChipIdBytes jedecId{};
    std::string model;           // "SST25VF016B", or "unknown part"
    std::uint32_t capacity = 0;  // bytes; 0 when the identification does not say
    std::uint16_t pageSize = 0;  // as the update programs it
    bool wordProgram = false;
    std::uint8_t status = 0;
    // Block-protect field (status bits 2 and up) non-zero: some blocks refuse writes.
    bool Protected() const { return (status & 0x3C) != 0; }
};

// Known parts by their identification; for others the capacity follows the
// usual JEDEC rule (third byte = log2 of the size) where it plausibly applies.
FlashPart DescribeFlash(const chip::ChipIdBytes& jedecId, std::uint8_t status);

// The parts the tool knows by name, for checking a file before any device
// is there to say which part it carries.
std::vector<FlashPart> KnownFlashParts();

}  // namespace product
