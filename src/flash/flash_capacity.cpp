#include "flash/flash_capacity.h"

#include <array>
#include <utility>

namespace flash {

namespace {

constexpr std::uint8_t kMakerSst = 0xBF;
constexpr std::uint8_t kMakerMacronix = 0xC2;
constexpr std::uint8_t kMakerWinbond = 0xEF;

// Macronix and Winbond give the size as a power of two in the third byte
// (C2 22 11: 2^17 = 128 KiB; EF 40 14: 2^20 = 1 MiB). Codes outside this span
// belong to other numbering schemes and are not guessed at.
constexpr std::uint8_t kFirstPowerCode = 0x10;  // 64 KiB
constexpr std::uint8_t kLastPowerCode = 0x19;   // 32 MiB

// SST numbers its 25-series parts without such a rule (datasheets of the
// SST25VF040B, 080B, 016B and 032B).
constexpr std::array<std::pair<std::uint8_t, std::uint32_t>, 4> kSst25Sizes = {{
    {0x8D, 512 * 1024},
    {0x8E, 1024 * 1024},
    {0x41, 2 * 1024 * 1024},
    {0x4A, 4 * 1024 * 1024},
}};
constexpr std::uint8_t kSst25Type = 0x25;

}  // namespace

std::optional<std::uint32_t> CapacityFor(const chip::ChipIdBytes& chipId) {
    const std::uint8_t code = chipId[2];
    switch (chipId[0]) {
        case kMakerMacronix:
        case kMakerWinbond:
            if (code >= kFirstPowerCode && code <= kLastPowerCode)
                return std::uint32_t{1} << code;
            return std::nullopt;
        case kMakerSst:
            if (chipId[1] != kSst25Type)
                return std::nullopt;
            for (const auto& [density, size] : kSst25Sizes) {
                if (density == code)
                    return size;
            }
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

std::uint64_t LastAddressOnFlash(const chip::ChipIdBytes& chipId, std::uint64_t last) {
    const std::optional<std::uint32_t> capacity = CapacityFor(chipId);
    if (!capacity || last < *capacity)
        return last;
    return *capacity - 1;
}

}  // namespace flash
