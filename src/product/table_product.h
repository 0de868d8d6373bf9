#pragma once

#include <cstdint>
#include <span>

#include "product/product_table.h"

namespace usb {
class QuorvexUsb;
}

namespace product {

// How much of the flash the bare chip's check reads: the parameter table
// stands near the start of our images, and reading more would keep a user
// waiting before the confirmation on full-speed USB.
inline constexpr std::uint32_t kTableSearchLength = 0x8000;

// The product whose VID and PID the parameter table in `bytes` carries, or
// null when there is no table or it names no product of the table.
const ProductRow* ProductOfTable(std::span<const std::uint8_t> bytes);

// The product the flash of the bare chip in ISP mode was last written for,
// read from the parameter table still standing in it (an update cut short
// after programming the table). Null when the flash holds none. The chip is
// left in ISP mode, where it was.
const ProductRow* ProductInFlash(usb::QuorvexUsb& link);

}  // namespace product
