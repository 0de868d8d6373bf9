#pragma once

#include <cstdint>
#include <functional>

namespace usb {
class QuorvexUsb;
}

namespace flash {

class FlashProgress;
class StepReporter;

// Called after each status poll of an erase with the poll number (from 0) and
// the status read, so the caller can show its own progress.
using ErasePollReport = std::function<void(int poll, std::uint8_t status)>;

// One erase and the wait for it: write enable, `instruction` (the erase
// itself, true when its request went through), a 10 ms pause, then up to 1000
// status polls with `report` and event pumping after each and 10 ms after
// each busy one. True when the erase finished; false at once, without
// polling, when the write enable or the erase request failed, since the flash
// then has nothing to finish.
bool EraseAndWait(usb::QuorvexUsb& link, const std::function<bool()>& instruction,
                  FlashProgress& progress, const ErasePollReport& report);

// One 4 KiB sector erase at `address` (the ISP page's range erase, a
// changed-only update) and the wait for it, as EraseAndWait.
bool EraseSectorAndWait(usb::QuorvexUsb& link, std::uint32_t address, FlashProgress& progress,
                        const ErasePollReport& report);

// The whole-chip erase of "Start" and of the ISP page's Erase with "All":
// "Flash Erase All " on `line` before the erase, and after poll n the same
// with (n div 20) mod 10 dots, followed by `report`. True when the erase
// finished.
bool EraseWholeChip(usb::QuorvexUsb& link, StepReporter& line, FlashProgress& progress,
                    const ErasePollReport& report);

}  // namespace flash
