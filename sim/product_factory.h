#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "product/product_table.h"
#include "sim/flash_model.h"
#include "sim/sim_chip.h"

namespace usb {
class Clock;
}

namespace sim {

class SimBackend;

inline constexpr int kProductRows = static_cast<int>(product::kProductCount);

// One simulated product as the GUI's --simulate option and the tests want it.
struct ProductConfig {
    int row = 0;  // product table row 0-9
    FlashModel flash = FlashModel::Sst25vf016b;
    std::uint16_t ispVid = kIspVidQuorvex;  // or kIspVidAlternate
    // A blank flash makes the product come up as the bare chip in ISP mode,
    // as after an interrupted update.
    bool blankFlash = false;
    // Length of the old firmware in the flash (clamped to the flash size).
    std::uint32_t firmwareLength = 0x10000;
    std::string location = "1-2";
};

// Identity of product row `row` (0-9) in normal operation, from the product
// table that the tool itself searches with.
UsbIdentity ProductIdentity(int row);

// The chip of a product as it leaves the factory: old firmware in its flash,
// flash protection set, parameters naming the product.
std::shared_ptr<SimChip> MakeProductChip(const ProductConfig& config, usb::Clock& clock);

// Makes the chip and plugs it in at config.location.
std::shared_ptr<SimChip> PlugProduct(SimBackend& backend, const ProductConfig& config,
                                     usb::Clock& clock);

}  // namespace sim
