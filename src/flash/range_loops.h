#pragma once

#include <cstdint>

#include "flash/block_retry.h"
#include "flash/range.h"
#include "flash/update_result.h"

namespace usb {
class QuorvexUsb;
}

namespace flash {

class FlashProgress;
struct FlashProfile;

// The loops over a range of the flash that blank check, program and verify
// it, 64-byte blocks read and pages written through the pass-through.

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
// Failure: "Verifying Fail at 0x" and the address. `blockSize` bytes a read
// (1 to 255); fewer, larger reads cost fewer requests.
bool VerifyRange(usb::QuorvexUsb& link, const ImageView& image, std::uint64_t imageBase,
                 std::uint64_t first, std::uint64_t last, FlashProgress& progress,
                 FailurePoint* failure = nullptr, std::uint32_t blockSize = kReadBlockSize);

}  // namespace flash
