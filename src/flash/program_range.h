#pragma once

#include <cstdint>

#include "flash/image_view.h"

namespace usb {
class QuorvexUsb;
}

namespace flash {

class FlashProgress;
struct FlashProfile;

// Programs the pages from `first` while the page address is below `end`, on
// an open device, with the image byte for flash address a at position
// a - `imageBase`. Pages that are all 0xFF are skipped. Word programming waits
// for the flash once, page programming before every page it writes; the
// result is false when such a wait ran out (nothing further is written). A
// profile without a page size is refused, since the loop could not advance,
// and so is an `end` beyond the flash; neither sends anything.
bool ProgramRange(usb::QuorvexUsb& link, const ImageView& image, std::uint64_t imageBase,
                  const FlashProfile& profile, std::uint64_t first, std::uint64_t end,
                  FlashProgress& progress);

}  // namespace flash
