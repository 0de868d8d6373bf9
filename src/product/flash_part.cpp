#include "product/flash_part.h"

#include <algorithm>
#include <array>

#include "flash/flash_profile.h"

namespace product {
namespace {

struct KnownPart {
    chip::ChipIdBytes id;
    const char* model;
    std::uint32_t capacity;
};

constexpr std::array<KnownPart, 3> kKnownParts = {{
    {{0xBF, 0x25, 0x41}, "SST25VF016B", 0x200000},
    {{0xC2, 0x22, 0x11}, "MX25L1021E", 0x20000},
    {{0xEF, 0x40, 0x14}, "W25Q80", 0x100000},
}};

// Parts from 64 KiB to 16 MiB; the flash addresses travel as three bytes.
constexpr std::uint8_t kSmallestLog2 = 0x10;
constexpr std::uint8_t kLargestLog2 = 0x18;

}  // namespace

FlashPart DescribeFlash(const chip::ChipIdBytes& jedecId, std::uint8_t status) {
    FlashPart part;
    part.jedecId = jedecId;
    part.status = status;
    const flash::FlashProfile profile = flash::ProfileFor(jedecId);
    part.pageSize = profile.pageSize;
    part.wordProgram = profile.wordProgram;
    const auto known = std::ranges::find_if(
        kKnownParts, [&](const KnownPart& candidate) { return candidate.id == jedecId; });
    if (known != kKnownParts.end()) {
        part.model = known->model;
        part.capacity = known->capacity;
        return part;
    }
    part.model = "unknown part";
    if (jedecId[2] >= kSmallestLog2 && jedecId[2] <= kLargestLog2)
        part.capacity = 1u << jedecId[2];
    return part;
}

std::vector<FlashPart> KnownFlashParts() {
    std::vector<FlashPart> parts;
    parts.reserve(kKnownParts.size());
    for (const KnownPart& known : kKnownParts)
        parts.push_back(DescribeFlash(known.id, 0));
    return parts;
}

}  // namespace product
