#include "sim/flash_model.h"

namespace sim {
namespace {

// SST25VF016B: the block-protect bits come up set at every power-up; AAI word
// programming; the datasheet gives maximum times only.
constexpr FlashDatasheet kSst25vf016b{
    .name = "SST25VF016B",
    .jedecId = {0xBF, 0x25, 0x41},
    .sizeBytes = 2 * 1024 * 1024,
    .pageSize = 1,
    .wordProgram = true,
    .bpBits = 4,
    .bpAllLevel = 6,
    .writableStatusMask = 0xBC,  // BP0-BP3, BPL
    .powerUpStatus = 0x1C,
    .nonVolatileStatus = false,
    .programUs = 10,
    .sectorEraseUs = 25000,
    .chipEraseUs = 50000,
    .writeStatusUs = 0,
};

constexpr FlashDatasheet kMx25l1021e{
    .name = "MX25L1021E",
    .jedecId = {0xC2, 0x22, 0x11},
    .sizeBytes = 128 * 1024,
    .pageSize = 32,
    .wordProgram = false,
    .bpBits = 2,
    .bpAllLevel = 3,
    .writableStatusMask = 0x8C,  // BP0, BP1, SRWD
    .powerUpStatus = 0x00,
    .nonVolatileStatus = true,
    .programUs = 600,
    .sectorEraseUs = 40000,
    .chipEraseUs = 1000000,
    .writeStatusUs = 5000,
};

constexpr FlashDatasheet kW25q80{
    .name = "W25Q80",
    .jedecId = {0xEF, 0x40, 0x14},
    .sizeBytes = 1024 * 1024,
    .pageSize = 256,
    .wordProgram = false,
    .bpBits = 3,
    .bpAllLevel = 5,
    .writableStatusMask = 0xFC,  // BP0-BP2, TB, SEC, SRP0
    .powerUpStatus = 0x00,
    .nonVolatileStatus = true,
    .programUs = 700,
    .sectorEraseUs = 45000,
    .chipEraseUs = 2000000,
    .writeStatusUs = 10000,
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

}  // namespace sim
