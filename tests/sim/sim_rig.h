#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "sim/product_factory.h"
#include "sim/sim_backend.h"
#include "sim/sim_chip.h"
#include "sim/virtual_clock.h"
#include "usb/quorvex_usb.h"

namespace sim_test {

// One simulated product on the bus, reached through the real device link on
// a virtual clock, with raw request helpers for checking the chip's answers.
class SimRig {
public:
    explicit SimRig(const sim::ProductConfig& config = {});

    // Finds the chip under its current identity, over the driver path that
    // identity offers, and opens it.
    bool Connect();

    bool Out(std::uint8_t request, std::uint16_t value, std::uint16_t index,
             std::vector<std::uint8_t> data = {});
    bool In(std::uint8_t request, std::uint16_t value, std::uint16_t index,
            std::vector<std::uint8_t>& buffer);

    // The enter key and the bank-13 control writes; leaves bank 0 selected.
    bool EnterIsp();
    bool LeaveIsp();
    bool WriteReg(std::uint16_t reg, std::uint8_t value);
    std::optional<std::uint8_t> ReadReg(std::uint16_t reg);

    // One flash instruction ended in a single request.
    bool Instruction(std::vector<std::uint8_t> bytes);
    // A read-back instruction, a ready poll paced by 1 ms sleeps, and the fetch.
    std::optional<std::vector<std::uint8_t>> ReadBack(std::vector<std::uint8_t> bytes,
                                                      std::uint16_t count);
    std::optional<std::uint8_t> FlashStatus();
    std::optional<std::vector<std::uint8_t>> FlashRead(std::uint32_t address, std::uint16_t count);
    bool WriteEnable() { return Instruction({0x06}); }
    // Sleeps in 1 ms steps until the flash reports not busy; false after `limitMs`.
    bool WaitNotBusy(std::uint32_t limitMs = 10000);

    sim::VirtualClock clock;
    sim::SimBackend bus{clock};
    std::shared_ptr<sim::SimChip> chip;
    usb::QuorvexUsb link{bus, clock};
};

std::vector<std::uint8_t> Addressed(std::uint8_t instruction, std::uint32_t address,
                                    std::vector<std::uint8_t> data = {});

// The product most tests use: the one with the plain 256-byte-page flash.
inline sim::ProductConfig W25Product() {
    sim::ProductConfig config;
    config.flash = sim::FlashModel::W25q80;
    return config;
}

}  // namespace sim_test
