#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "flash/update_result.h"

namespace usb {
class QuorvexUsb;
}

namespace flash {

struct FlashState;

// Reads the chip ID on an open device and chooses the flash profile from it.
// A failed read keeps the previous ID (zeros before any), so the profile then
// follows that one; the result is the read's, and `why` (when given) says
// what made it fail.
bool IdentifyFlash(usb::QuorvexUsb& link, FlashState& state, std::string* why = nullptr);

// What every sequence does first on an open device in ISP mode: wait until
// the flash is not busy (an erase that an interrupted run left running goes
// on inside the part), then write disable, which brings the flash to a known
// state (it also ends a word-programming sequence an earlier run left behind,
// after which the part would ignore everything else), then the chip ID and
// the profile. Empty when the flash was identified; otherwise why not: the
// identification read's own failure, "the flash stayed busy for 6 s, ...",
// or "flash not identified (chip ID FF FF FF)" for an ID of FF FF FF or
// 00 00 00, which is what a part that does not answer yields. Nothing may
// then be erased.
std::optional<FailurePoint> PrepareFlash(usb::QuorvexUsb& link, FlashState& state);

// Whether an operation that reaches up to `end` (excluded) fits the flash
// identified in `state`. Empty when it fits or the size of the part is not
// known. `imageLength` and `first` name what is refused: with `first` 0,
// "The update file (160 KiB) is larger than the flash of this device
// (128 KiB); nothing was changed."
std::optional<FailurePoint> CheckFits(const FlashState& state, std::uint64_t first,
                                      std::uint64_t end, std::uint32_t imageLength);

}  // namespace flash
