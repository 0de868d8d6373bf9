#pragma once

#include <cstdint>

#include "flash/image_view.h"
#include "flash/update_result.h"

namespace usb {
class QuorvexUsb;
}

namespace flash {

class FlashProgress;

// Both loops read 64-byte blocks from `first` to `last`, `last` included, on
// an open device. A block that fails three attempts in a row (unreadable, or
// a byte that differs) ends the loop with the failure text and false; any
// passing attempt starts the count again. A `last` beyond the flash is
// refused before the first read.

// Every byte must read 0xFF. Failure: "Blanking Fail at 0x" and the address.
// `failure`, when given, receives the failing address and the cause.
bool BlankCheckRange(usb::QuorvexUsb& link, std::uint64_t first, std::uint64_t last,
                     FlashProgress& progress, FailurePoint* failure = nullptr);

// Flash address a must hold the image byte at position a - `imageBase`.
// Failure: "Verifying Fail at 0x" and the address.
bool VerifyRange(usb::QuorvexUsb& link, const ImageView& image, std::uint64_t imageBase,
                 std::uint64_t first, std::uint64_t last, FlashProgress& progress,
                 FailurePoint* failure = nullptr);

}  // namespace flash
