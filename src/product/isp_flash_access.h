#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "product/flash_part.h"

namespace usb {
class QuorvexUsb;
}
namespace flash {
class FlashProgress;
}

namespace product {

// The largest read the tool makes: the firmware image's size.
inline constexpr std::uint32_t kMaxReadLength = 0x40000;

// Flash access outside an update, on the device the link is aimed at. The
// pass-through works only in ISP mode, so each call enters it, does its work
// and leaves it again, which makes a product re-enumerate (a bare chip with a
// blank flash comes back as itself). Nothing is written to the flash.
struct FlashRead {
    bool ok = false;
    FlashPart part;
    std::vector<std::uint8_t> bytes;  // `length` bytes from address 0 when ok
};

// Identification and status register only.
FlashPart ReadFlashPart(usb::QuorvexUsb& link);

// What a read does once done. A bare chip already waits in ISP mode: leaving
// it would only restart the chip, which then re-enumerates as itself, and a
// detection in the window would lose it and find it anew.
enum class AfterRead { LeaveIsp, StayInIsp };

// Reads `length` (1 .. kMaxReadLength) bytes from address 0, every block
// twice, as the ISP page's Read Flash does; progress goes to `progress`. A
// part that says it is smaller is read only to its end (bytes.size() tells).
FlashRead ReadFlashContent(usb::QuorvexUsb& link, std::uint32_t length,
                           flash::FlashProgress& progress, AfterRead after = AfterRead::LeaveIsp);

// The first address where `flash` and `expected` differ, comparing the
// common length; nullopt when they agree.
std::optional<std::uint32_t> FirstDifference(std::span<const std::uint8_t> flash,
                                             std::span<const std::uint8_t> expected);

}  // namespace product
