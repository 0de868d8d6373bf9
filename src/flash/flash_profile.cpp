#include "flash/flash_profile.h"

namespace flash {

FlashProfile ProfileFor(const chip::ChipIdBytes& chipId) {
    FlashProfile profile;
    profile.pageSize = (chipId[0] == 0xC2 && chipId[1] == 0x22) ? 32 : 256;
    profile.wordProgram = chipId[0] == 0xBF;
    return profile;
}

std::uint8_t ProtectionValueFor(const FlashProfile& profile) {
    return profile.wordProgram ? 0x7F : 0xFF;
}

}  // namespace flash
