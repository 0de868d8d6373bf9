#pragma once

#include <cstdint>

#include "flash/image_view.h"
#include "flash/update_result.h"

namespace usb {
class QuorvexUsb;
}

namespace flash {

class FlashProgress;
struct FlashProfile;

// Programs the pages from `first` while the page address is below `end`, on
// an open device, with the image byte for flash address a at position
// a - `imageBase`. Pages that are all 0xFF are skipped. Word programming waits
// for the flash once before the first page, page programming before every
// page it writes; both wait again after the last page, so that whatever comes
// next (the verify) meets a flash that has finished. The result is false when
// such a wait ran out, when a program request failed (nothing further is
// written), or when the word-programming part is still in its word mode at
// the end. A profile without a page size is refused, since the loop could not
// advance, and so is an `end` beyond the flash; neither sends anything.
// `failure`, when given, receives the page address and the cause.
bool ProgramRange(usb::QuorvexUsb& link, const ImageView& image, std::uint64_t imageBase,
                  const FlashProfile& profile, std::uint64_t first, std::uint64_t end,
                  FlashProgress& progress, FailurePoint* failure = nullptr);

}  // namespace flash
