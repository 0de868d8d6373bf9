#include "sim/product_factory.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "sim/firmware_layout.h"
#include "sim/sim_backend.h"
#include "sim/state_file.h"

namespace sim {
namespace {

std::string Hex4(std::uint16_t value, const char* format) {
    char text[8];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// What the tool writes as its last update step, so the part comes from the
// factory protected as it would be after an update.
std::uint8_t ProtectedStatus(const FlashDatasheet& datasheet) {
    const std::uint8_t written = datasheet.wordProgram ? 0x7F : 0xFF;
    return static_cast<std::uint8_t>(written & datasheet.writableStatusMask);
}

}  // namespace

UsbIdentity ProductIdentity(int row) {
    if (row < 0 || row >= kProductRows)
        throw std::out_of_range("product row out of range");
    const product::ProductRow& product = product::productTable[static_cast<std::size_t>(row)];
    return UsbIdentity{product.vid, product.pid, true};
}

std::optional<int> ProductRowOf(const UsbIdentity& identity) {
    for (int row = 0; row < kProductRows; ++row) {
        const UsbIdentity candidate = ProductIdentity(row);
        if (candidate.vid == identity.vid && candidate.pid == identity.pid)
            return row;
    }
    return std::nullopt;
}

std::shared_ptr<SimChip> MakeProductChip(const ProductConfig& config, usb::Clock& clock) {
    const FlashDatasheet& datasheet = DatasheetFor(config.flash);
    ChipConfig chip;
    chip.product = ProductIdentity(config.row);
    chip.ispVid = config.ispVid;
    chip.flash = config.flash;
    chip.initialFlashStatus = ProtectedStatus(datasheet);
    chip.timing = config.timing;
    chip.writeProtectHeld = config.writeProtectHeld;
    chip.busPowered = config.busPowered;
    chip.startedInIsp = config.blankFlash;
    if (!config.blankFlash) {
        const std::uint32_t length = std::min(config.firmwareLength, datasheet.sizeBytes);
        chip.initialFlash = MakeFirmwareImage(length, static_cast<std::uint8_t>(config.row));
    }
    auto product = std::make_shared<SimChip>(chip, clock);
    product->Params().SetVid(Hex4(chip.product.vid, "%04x"));
    product->Params().SetPid(Hex4(chip.product.pid, "%04x"));
    product->Params().SetString(2, "Pale Reed " + Hex4(chip.product.pid, "%04X"));
    return product;
}

std::shared_ptr<SimChip> PlugProduct(SimBackend& backend, const ProductConfig& config,
                                     usb::Clock& clock) {
    std::optional<ProductState> kept;
    std::string error;
    if (!config.stateFile.empty() && std::filesystem::exists(config.stateFile)) {
        kept = ReadStateFile(config.stateFile, error);
        if (!kept)
            throw StateFileError(error);
    }
    // How the product began is the file's to say, so that its next save says it again.
    ProductConfig made = config;
    if (kept && kept->startedInIsp)
        made.blankFlash = *kept->startedInIsp;
    std::shared_ptr<SimChip> chip = MakeProductChip(made, clock);
    if (kept && !ApplyLastingState(*chip, *kept, error))
        throw StateFileError(error);
    backend.Plug(config.location, chip, &clock);
    if (kept && kept->volatileState && !config.powerCycle)
        chip->RestoreVolatile(*kept->volatileState);
    if (config.faults)
        backend.SetFaultPlan(*config.faults);
    return chip;
}

bool SaveProductState(const SimChip& chip, const std::string& path, std::string& error) {
    return WriteStateFile(path, CaptureState(chip), error);
}

}  // namespace sim
