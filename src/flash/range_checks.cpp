#include "flash/range_checks.h"

#include "flash/block_check.h"

namespace flash {

namespace {
constexpr std::uint8_t kErased = 0xFF;
}

bool BlankCheckRange(usb::QuorvexUsb& link, std::uint64_t first, std::uint64_t last,
                     FlashProgress& progress, FailurePoint* failure) {
    const BlockCheck check{[](std::uint64_t) { return kErased; },
                           {"Blanking Addr: 0x", "Blanking Fail at 0x"}};
    return CheckBlocks(link, check, first, last, progress, failure);
}

bool VerifyRange(usb::QuorvexUsb& link, const ImageView& image, std::uint64_t imageBase,
                 std::uint64_t first, std::uint64_t last, FlashProgress& progress,
                 FailurePoint* failure) {
    const BlockCheck check{
        [&image, imageBase](std::uint64_t a) { return ImageByteAt(image.bytes, imageBase, a); },
        {"Verifying Addr: 0x", "Verifying Fail at 0x"}};
    return CheckBlocks(link, check, first, last, progress, failure);
}

}  // namespace flash
