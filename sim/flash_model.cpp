#include "sim/flash_model.h"

#include <ostream>

namespace sim {
namespace {

// SST25VF016B (SST/Microchip data sheet DS25071): the block-protect bits come
// up set at every power-up; AAI word programming; BPL locks the status
// register while WP# is low. Typical times from the "Features" list, maximum
// times from the AC operating characteristics (TBP, TSE, TSCE). The data
// sheet gives no busy time for a status write.
constexpr FlashDatasheet kSst25vf016b{
    .name = "SST25VF016B",
    .jedecId = {0xBF, 0x25, 0x41},
    .sizeBytes = 2 * 1024 * 1024,
    .pageSize = 1,
    .wordProgram = true,
    .bpBits = 4,
    .bpAllLevel = 6,
    .writableStatusMask = 0xBC,  // BP0-BP3, BPL
    .statusLockBit = 0x80,       // BPL
    .powerUpStatus = 0x1C,
    .nonVolatileStatus = false,
    .maxStatusWriteBytes = 1,
    .programUs = 7,             // byte-program time: 7 us typical
    .programMaxUs = 10,         // TBP 10 us
    .sectorEraseUs = 18000,     // sector-erase time: 18 ms typical
    .sectorEraseMaxUs = 25000,  // TSE 25 ms
    .chipEraseUs = 35000,       // chip-erase time: 35 ms typical
    .chipEraseMaxUs = 50000,    // TSCE 50 ms
    .writeStatusUs = 0,
    .writeStatusMaxUs = 0,
};

// MX25L1021E (Macronix data sheet, ERASE AND PROGRAMMING PERFORMANCE and AC
// characteristics): 32-byte pages, SRWD locks the status register while WP#
// is low.
constexpr FlashDatasheet kMx25l1021e{
    .name = "MX25L1021E",
    .jedecId = {0xC2, 0x22, 0x11},
    .sizeBytes = 128 * 1024,
    .pageSize = 32,
    .wordProgram = false,
    .bpBits = 2,
    .bpAllLevel = 3,
    .writableStatusMask = 0x8C,  // BP0, BP1, SRWD
    .statusLockBit = 0x80,       // SRWD
    .powerUpStatus = 0x00,
    .nonVolatileStatus = true,
    .maxStatusWriteBytes = 1,
    .programUs = 600,            // tPP 0.6 ms typical
    .programMaxUs = 3000,        // tPP 3 ms
    .sectorEraseUs = 40000,      // tSE 40 ms typical
    .sectorEraseMaxUs = 200000,  // tSE 200 ms
    .chipEraseUs = 1000000,      // tCE 1 s typical
    .chipEraseMaxUs = 2000000,   // tCE 2 s
    .writeStatusUs = 5000,       // tW 5 ms typical
    .writeStatusMaxUs = 40000,   // tW 40 ms
};

// W25Q80 (Winbond W25Q80DV data sheet, AC electrical characteristics):
// SRP0 locks the status register while /WP is low; a status write may carry
// status register 2 as a second data byte (not modelled beyond its length).
constexpr FlashDatasheet kW25q80{
    .name = "W25Q80",
    .jedecId = {0xEF, 0x40, 0x14},
    .sizeBytes = 1024 * 1024,
    .pageSize = 256,
    .wordProgram = false,
    .bpBits = 3,
    .bpAllLevel = 5,
    .writableStatusMask = 0xFC,  // BP0-BP2, TB, SEC, SRP0
    .statusLockBit = 0x80,       // SRP0
    .powerUpStatus = 0x00,
    .nonVolatileStatus = true,
    .maxStatusWriteBytes = 2,
    .programUs = 700,            // tPP 0.7 ms typical
    .programMaxUs = 3000,        // tPP 3 ms
    .sectorEraseUs = 45000,      // tSE 45 ms typical
    .sectorEraseMaxUs = 400000,  // tSE 400 ms
    .chipEraseUs = 2000000,      // tCE 2 s typical
    .chipEraseMaxUs = 6000000,   // tCE 6 s
    .writeStatusUs = 10000,      // tW 10 ms typical
    .writeStatusMaxUs = 15000,   // tW 15 ms
};

}  // namespace

const FlashDatasheet& DatasheetFor(FlashModel model) {
    switch (model) {
        case FlashModel::Sst25vf016b:
            return kSst25vf016b;
        case FlashModel::Mx25l1021e:
            return kMx25l1021e;
        case FlashModel::W25q80:
            break;
    }
    return kW25q80;
}

const char* FlashTimingName(FlashTiming timing) {
    return timing == FlashTiming::Maximum ? "max" : "typical";
}

std::optional<FlashTiming> FlashTimingNamed(std::string_view name) {
    for (FlashTiming timing : {FlashTiming::Typical, FlashTiming::Maximum}) {
        if (name == FlashTimingName(timing))
            return timing;
    }
    return std::nullopt;
}

void PrintTo(FlashModel model, std::ostream* out) {
    *out << DatasheetFor(model).name;
}

void PrintTo(FlashTiming timing, std::ostream* out) {
    *out << FlashTimingName(timing);
}

}  // namespace sim
