#pragma once

#include <cstdint>
#include <string>

#include "chip/flash_commands.h"

namespace flash {

// Upper-case hexadecimal padded to two or six digits, as every label shows
// bytes and flash addresses.
std::string Hex2(std::uint32_t value);
std::string Hex6(std::uint32_t value);

// "Flash Erase All " and one dot per 20 polls, starting over after nine.
std::string EraseAllText(int poll);
std::string SectorEraseText(std::uint32_t sectorAddress);
std::string StatusRegisterText(std::uint8_t status);
// "0xBF,  0x25,  0x41,  " for the Chip ID label.
std::string ChipIdText(const chip::ChipIdBytes& chipId);

}  // namespace flash
