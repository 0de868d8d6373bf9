#include "flash/flash_texts.h"

#include <cstdio>

namespace flash {

namespace {

constexpr int kPollsPerDot = 20;
constexpr int kDotCycle = 10;

std::string HexPadded(std::uint32_t value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", width, value);
    return text;
}

}  // namespace

std::string Hex2(std::uint32_t value) {
    return HexPadded(value, 2);
}

std::string Hex6(std::uint32_t value) {
    return HexPadded(value, 6);
}

std::string EraseAllText(int poll) {
    const int dots = (poll / kPollsPerDot) % kDotCycle;
    return "Flash Erase All " + std::string(static_cast<std::size_t>(dots), '.');
}

std::string SectorEraseText(std::uint32_t sectorAddress) {
    return "Flash Sector Erase: 0x " + Hex6(sectorAddress);
}

std::string StatusRegisterText(std::uint8_t status) {
    return "Status Register: 0x" + Hex2(status);
}

std::string ChipIdText(const chip::ChipIdBytes& chipId) {
    std::string text;
    for (std::uint8_t byte : chipId)
        text += "0x" + Hex2(byte) + ",  ";
    return text;
}

}  // namespace flash
