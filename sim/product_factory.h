#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "catalog/product_table.h"
#include "sim/fault_plan.h"
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

    // Datasheet typical busy times, or the maximum ("slow part").
    FlashTiming timing = FlashTiming::Typical;
    // The board holds the flash's write-protect pin low.
    bool writeProtectHeld = false;
    // Powered by the USB cable, as the products are: an unplug is a power
    // loss (see ChipConfig::busPowered).
    bool busPowered = true;

    // When set and the file exists, the product is the one kept there (see
    // state_file.h) instead of a factory-fresh one. Loading is all that
    // PlugProduct does with it; the front end saves with SaveProductState.
    std::string stateFile;
    // Load only what survives a power cycle: flash, non-volatile status bits,
    // parameters. The chip then boots by its boot rule.
    bool powerCycle = false;

    // Set on the bus when the product is plugged in: request numbers count
    // from that moment, for every device on the bus.
    std::optional<FaultPlan> faults;
};

// A state file that exists but does not load. The product is not plugged
// in, and the file must be left as it is.
class StateFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Identity of product row `row` (0-9) in normal operation, from the product
// table that the tool itself searches with.
UsbIdentity ProductIdentity(int row);
// The table row of a product identity; nullopt for one not in the table.
std::optional<int> ProductRowOf(const UsbIdentity& identity);

// The chip of a product as it leaves the factory: old firmware in its flash,
// flash protection set, parameters naming the product.
std::shared_ptr<SimChip> MakeProductChip(const ProductConfig& config, usb::Clock& clock);

// Makes the chip, takes over config.stateFile when it exists (throws
// StateFileError when it does not load; what the file records of how the
// product began stands over config.blankFlash), plugs the chip in at
// config.location and sets config.faults on the bus.
std::shared_ptr<SimChip> PlugProduct(SimBackend& backend, const ProductConfig& config,
                                     usb::Clock& clock);

// Keeps the product's whole state in `path` for the next run. False with a
// sentence in `error` when the file cannot be written; an earlier file then
// stays as it was.
bool SaveProductState(const SimChip& chip, const std::string& path, std::string& error);

}  // namespace sim
