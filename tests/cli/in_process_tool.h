#pragma once

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "sim/flash_model.h"
#include "sim/sim_backend.h"
#include "sim/sim_chip.h"
#include "sim/virtual_clock.h"

namespace cli_test {

// Passes every call to the simulated bus and presses Ctrl-C (twice, as a
// user who means it) when the control call numbered `interruptAt` arrives.
class InterruptingBus final : public usb::ForwardingBackend {
public:
    using ForwardingBackend::ForwardingBackend;
    std::uint64_t interruptAt = 0;  // 0: never
    // Sees every call with what the bus made of it.
    std::function<void(std::uint32_t code, std::span<const std::uint8_t> input,
                       std::span<std::uint8_t> output, const usb::IoResult& result)>
        onCall;
    std::uint64_t Calls() const { return calls_; }

    usb::IoResult IoControl(HandleId handle, std::uint32_t code,
                            std::span<const std::uint8_t> input,
                            std::span<std::uint8_t> output) override;

private:
    std::uint64_t calls_ = 0;
};

// palereed-flash run inside the test process on one simulated bus that lives
// across runs, on a virtual clock.
class InProcessTool {
public:
    InProcessTool();
    std::shared_ptr<sim::SimChip> Plug(int row, const std::string& location,
                                       sim::FlashModel model = sim::FlashModel::Sst25vf016b);
    int Run(const std::vector<std::string>& args, const std::string& input = "",
            bool inIsTerminal = false);
    // As the executable runs: the backend (a simulated product, its state file
    // and clock) comes from the options, not from `bus`.
    int RunOnItsOwn(const std::vector<std::string>& args);

    sim::VirtualClock clock;
    sim::SimBackend bus{clock};

    InterruptingBus interrupting{bus};
    std::string out;
    std::string err;

private:
    int RunWith(const std::vector<std::string>& args, const std::string& input, bool inIsTerminal,
                usb::DeviceBackend* backend);
};

}  // namespace cli_test
