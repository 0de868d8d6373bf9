#include "flash/flash_identify.h"

#include <string>

#include "chip/flash_commands.h"
#include "flash/flash_capacity.h"
#include "flash/flash_profile.h"
#include "flash/flash_state.h"
#include "flash/flash_status.h"
#include "flash/flash_texts.h"
#include "usb/quorvex_usb.h"

namespace flash {

namespace {

constexpr std::uint64_t kBytesPerKiB = 1024;
constexpr std::uint32_t kMsPerS = 1000;

bool AllBytesAre(const chip::ChipIdBytes& id, std::uint8_t value) {
    return id[0] == value && id[1] == value && id[2] == value;
}

// Whole KiB, rounded up, so that a file one byte too large never reads as
// the same size as the flash.
std::string KiB(std::uint64_t bytes) {
    return std::to_string((bytes + kBytesPerKiB - 1) / kBytesPerKiB) + " KiB";
}

}  // namespace

bool IdentifyFlash(usb::QuorvexUsb& link, FlashState& state, std::string* why) {
    const bool ok = chip::FlashReadId(link, state.chipId, why);
    state.profile = ProfileFor(state.chipId);
    return ok;
}

std::optional<FailurePoint> PrepareFlash(usb::QuorvexUsb& link, FlashState& state) {
    // A busy part would drop the write disable and answer the ID read with
    // FF FF FF, as if there were no flash at all.
    const bool idle = WaitForEarlierErase(link);
    chip::FlashWriteDisable(link);
    std::string why;
    // A read that fails names the link or the engine, which then also
    // explains a status that never came clear.
    if (!IdentifyFlash(link, state, &why))
        return FailurePoint{std::nullopt,
                            "flash not identified (the identification read failed: " + why + ")"};
    if (!idle) {
        return FailurePoint{std::nullopt, "the flash stayed busy for " +
                                              std::to_string(kSlowestChipEraseMs / kMsPerS) +
                                              " s, longer than a whole-chip erase takes"};
    }
    const chip::ChipIdBytes& id = state.chipId;
    if (AllBytesAre(id, 0xFF) || AllBytesAre(id, 0x00)) {
        return FailurePoint{std::nullopt, "flash not identified (chip ID " + Hex2(id[0]) + " " +
                                              Hex2(id[1]) + " " + Hex2(id[2]) + ")"};
    }
    return std::nullopt;
}

std::optional<FailurePoint> CheckFits(const FlashState& state, std::uint64_t first,
                                      std::uint64_t end, std::uint32_t imageLength) {
    const std::optional<std::uint32_t> capacity = CapacityFor(state.chipId);
    if (!capacity || end <= *capacity)
        return std::nullopt;
    const std::string flashSize = KiB(*capacity);
    if (first == 0 && end == imageLength) {
        return FailurePoint{std::nullopt, "The update file (" + KiB(imageLength) +
                                              ") is larger than the flash of this device (" +
                                              flashSize + "); nothing was changed."};
    }
    return FailurePoint{first, "The range up to " + KiB(end) +
                                   " reaches past the flash of this device (" + flashSize +
                                   "); nothing was changed."};
}

}  // namespace flash
