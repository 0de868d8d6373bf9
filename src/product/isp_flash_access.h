#pragma once

#include <cstdint>
#include <functional>
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

// What a read covers unless asked for more: the firmware image's size.
inline constexpr std::uint32_t kMaxReadLength = 0x40000;
// The largest read the tool makes: the 16 MiB that the pass-through's
// three-byte addresses reach, so the biggest part can be backed up whole.
inline constexpr std::uint32_t kMaxFlashReadLength = 0x1000000;

// Flash access outside an update, on the device the link is aimed at. The
// pass-through works only in ISP mode, so each call enters it, does its work
// and leaves it again, which makes a product re-enumerate (a bare chip with a
// blank flash comes back as itself). Nothing is written to the flash.
struct FlashRead {
    bool ok = false;
    FlashPart part;
    std::vector<std::uint8_t> bytes;  // `length` bytes from address 0 when ok
    bool partTooSmall = false;        // refused unread: the part is smaller than asked for
};

// Identification and status register only.
FlashPart ReadFlashPart(usb::QuorvexUsb& link);

// What a read does once done. A bare chip already waits in ISP mode: leaving
// it would only restart the chip, which then re-enumerates as itself, and a
// detection in the window would lose it and find it anew.
enum class AfterRead { LeaveIsp, StayInIsp };

// What a read does with a part that says it is smaller than asked for: read
// it to its end (bytes.size() tells), or, where the whole length matters (a
// comparison with a file), read nothing and say so.
enum class SmallerPart { ReadToItsEnd, Refuse };

// Reads `length` (1 .. kMaxFlashReadLength) bytes from address 0, every block
// twice, as the ISP page's Read Flash does; progress goes to `progress`.
FlashRead ReadFlashContent(usb::QuorvexUsb& link, std::uint32_t length,
                           flash::FlashProgress& progress, AfterRead after = AfterRead::LeaveIsp,
                           SmallerPart smaller = SmallerPart::ReadToItsEnd);

// Reads from address 0 in windows of `window` bytes, as ReadFlashContent
// reads, until `enough` says the bytes read so far suffice, a window holds
// only erased bytes (past the end of what was ever written), or `limit` (at
// most kMaxReadLength, and the part's size) is reached. `bytes` holds what was
// read when ok.
FlashRead ReadFlashWhile(usb::QuorvexUsb& link, std::uint32_t window, std::uint32_t limit,
                         const std::function<bool(std::span<const std::uint8_t>)>& enough,
                         flash::FlashProgress& progress, AfterRead after,
                         SmallerPart smaller = SmallerPart::ReadToItsEnd);

// The first address where `flash` and `expected` differ, comparing the
// common length; nullopt when they agree.
std::optional<std::uint32_t> FirstDifference(std::span<const std::uint8_t> flash,
                                             std::span<const std::uint8_t> expected);

}  // namespace product
