#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string_view>

namespace sim {

// The SPI NOR parts a simulated product can carry.
enum class FlashModel {
    Sst25vf016b,  // BF 25 41, 2 MiB, byte program and AAI word program, volatile block protection
    Mx25l1021e,   // C2 22 11, 128 KiB, 32-byte pages
    W25q80,       // EF 40 14, 1 MiB, 256-byte pages
};

// Which end of the datasheet's busy-time range the simulated part keeps to:
// typical parts, or slow ones that take the guaranteed maximum every time
// (a worn part at a hot corner). A tool must update both.
enum class FlashTiming {
    Typical,
    Maximum,
};

// Datasheet figures of one part.
struct FlashDatasheet {
    const char* name = "";
    std::array<std::uint8_t, 3> jedecId{};
    std::uint32_t sizeBytes = 0;
    std::uint16_t pageSize = 0;  // page program latch; 1 for a byte-program part
    bool wordProgram = false;    // accepts AAI word programming (0xAD)

    // Block protection: the BP field of the status register starts at bit 2
    // and is `bpBits` wide. BP = 0 protects nothing; BP = n protects the top
    // size >> (bpAllLevel - n) bytes; BP >= bpAllLevel protects everything.
    std::uint8_t bpBits = 3;
    std::uint8_t bpAllLevel = 0;
    std::uint8_t writableStatusMask = 0;  // bits a status write can change
    // The status register's lock bit (SRP0, SRWD or BPL): while it is set and
    // the board holds the write-protect pin low, status writes are ignored.
    std::uint8_t statusLockBit = 0x80;
    // Status after power-up. Parts with non-volatile protection keep what was
    // written instead (nonVolatileStatus).
    std::uint8_t powerUpStatus = 0;
    bool nonVolatileStatus = false;
    // A status write is executed only when chip select rises after exactly
    // 1 + n data bytes, for n from 1 to this.
    std::uint8_t maxStatusWriteBytes = 1;

    // Busy times, typical and maximum. A zero time takes effect at once.
    std::uint32_t programUs = 0;  // one page (or one byte / word on the SST part)
    std::uint32_t programMaxUs = 0;
    std::uint32_t sectorEraseUs = 0;  // 4 KiB
    std::uint32_t sectorEraseMaxUs = 0;
    std::uint32_t chipEraseUs = 0;
    std::uint32_t chipEraseMaxUs = 0;
    std::uint32_t writeStatusUs = 0;
    std::uint32_t writeStatusMaxUs = 0;
};

const FlashDatasheet& DatasheetFor(FlashModel model);

// The busy time a part with this timing takes: the typical or the maximum figure.
constexpr std::uint32_t BusyUs(FlashTiming timing, std::uint32_t typicalUs,
                               std::uint32_t maximumUs) {
    return timing == FlashTiming::Maximum ? maximumUs : typicalUs;
}

// Lower-case names for options ("typical", "max"), and back; nullopt for
// any other text.
const char* FlashTimingName(FlashTiming timing);
std::optional<FlashTiming> FlashTimingNamed(std::string_view name);

// Test names and failure messages show a part by its datasheet name and a
// timing by its option name, not as bytes.
void PrintTo(FlashModel model, std::ostream* out);
void PrintTo(FlashTiming timing, std::ostream* out);

}  // namespace sim
