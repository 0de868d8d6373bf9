#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "product/listed_device.h"

namespace usb {
class QuorvexUsb;
}

namespace product {

// Where the window's alternating search stands: the product row searched last
// and which ISP-mode identity comes next. Which kind of search comes next is
// kept by the link's own driver-path flag, as the window has always done.
struct DetectionCursor {
    std::uint8_t productIndex = 0;
    bool ispToggle = false;  // the last ISP-mode search used vid_2fc6
};

enum class SearchKind { Product, Isp };

// One search of the window's detection tick: aims the link at the next
// identity in the search order (row 1, 2fc6 ISP, row 2, 0ea0 ISP, ...) and
// runs FindDevice. Only the link's found flag tells the outcome.
SearchKind SearchNext(usb::QuorvexUsb& link, DetectionCursor& cursor);

// What the link has found, read from its driver path and the cursor; nullopt
// when nothing is found. The location and path come from the link's path.
std::optional<ListedDevice> FoundDevice(const usb::QuorvexUsb& link, const DetectionCursor& cursor);

// The product row of the last product search (or the one FindProductRow found).
std::size_t LastProductRow(const DetectionCursor& cursor);

// Looks for the product of one row over the audio-driver path, as a product
// search of the tick does, and when it answers its probe leaves the cursor on
// that row, so that FoundDevice and the tick's re-check go on from there.
std::optional<ListedDevice> FindProductRow(usb::QuorvexUsb& link, DetectionCursor& cursor,
                                           std::size_t row);

// The device panel's line for a detection outcome: "Find Device Pale Reed
// F066", "Firmware update device 2FC6 is exist" or "No device is available".
std::string DetectionText(const std::optional<ListedDevice>& found);

// One-shot detection for front ends without a timer: searches every product
// of the table and then both ISP-mode identities, and leaves the link aimed at
// the first one present (found flag set). Nothing is sent beyond the probe.
std::optional<ListedDevice> FindNow(usb::QuorvexUsb& link);

// Aims the link at exactly this device (its identity at its location) and
// finds it again; false when it has gone.
bool AimAt(usb::QuorvexUsb& link, const ListedDevice& device);

}  // namespace product
