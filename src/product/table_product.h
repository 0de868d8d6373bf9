#pragma once

#include <cstdint>
#include <span>

#include "catalog/product_table.h"

namespace usb {
class QuorvexUsb;
}

namespace product {

// The bare chip's check reads the flash in windows of this size, and stops
// at the first window that completes a table or holds only erased bytes: the
// table may stand anywhere in an image (our demo firmware has it at 0xB000),
// and reading all of a large part would keep a user waiting before the
// confirmation on full-speed USB.
inline constexpr std::uint32_t kTableSearchWindow = 0x8000;

// The product whose VID and PID the parameter table in `bytes` carries, or
// null when there is no table or it names no product of the table.
const ProductRow* ProductOfTable(std::span<const std::uint8_t> bytes);

// The product the flash of the bare chip in ISP mode was last written for,
// read from the parameter table still standing in it (an update cut short
// after programming the table), wherever it stands in the written part of the
// flash. Null when the flash holds none. The chip is left in ISP mode, where
// it was.
const ProductRow* ProductInFlash(usb::QuorvexUsb& link);

}  // namespace product
