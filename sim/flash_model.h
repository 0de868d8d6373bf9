#pragma once

#include <array>
#include <cstdint>

namespace sim {

// The SPI NOR parts a simulated product can carry.
enum class FlashModel {
    Sst25vf016b,  // BF 25 41, 2 MiB, byte program and AAI word program, volatile block protection
    Mx25l1021e,   // C2 22 11, 128 KiB, 32-byte pages
    W25q80,       // EF 40 14, 1 MiB, 256-byte pages
};

// Datasheet figures of one part. Times are typical values.
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
    // Status after power-up. Parts with non-volatile protection keep what was
    // written instead (nonVolatileStatus).
    std::uint8_t powerUpStatus = 0;
    bool nonVolatileStatus = false;

    std::uint32_t programUs = 0;      // one page (or one byte / word on the SST part)
    std::uint32_t sectorEraseUs = 0;  // 4 KiB
    std::uint32_t chipEraseUs = 0;
    std::uint32_t writeStatusUs = 0;  // 0: takes effect at once
};

const FlashDatasheet& DatasheetFor(FlashModel model);

}  // namespace sim
