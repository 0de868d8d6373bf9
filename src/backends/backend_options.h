#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace product {

// The SPI flash a simulated product carries.
enum class SimulatedFlash { Sst25vf016b, Mx32, W25 };

// One simulated product to plug in.
struct SimulatedProduct {
    int row = 0;
    SimulatedFlash flash = SimulatedFlash::Sst25vf016b;
    std::uint16_t ispVid = 0x2FC6;
    // Blank flash: the chip comes up waiting in ISP mode, as after an
    // interrupted update.
    bool waitingInIsp = false;
    std::string location;
};

// Which devices the tool talks to: the real USB bus, or simulated products.
// Both front ends fill it from their command line with TakeBackendOption.
struct BackendOptions {
    std::vector<int> simulateRows;  // one entry per --simulate[=ROW]
    bool rowNamed = false;          // some --simulate named its ROW
    std::optional<SimulatedFlash> flash;
    std::optional<std::uint16_t> ispVid;  // --sim-isp[=VID]
    bool ispVidNamed = false;             // --sim-isp named its VID
    bool slowParts = false;               // --sim-timing=max: datasheet maximum busy times
    bool virtualClock = false;            // --sim-clock=virtual: no real waiting
    std::optional<std::string> simFault;  // --sim-fault, checked when taken
    std::optional<std::string> simState;  // --sim-state FILE
    bool simPowerCycle = false;           // --sim-power-cycle
    std::optional<std::string> replay;    // --replay TRACE: the device a trace recorded

    bool Simulated() const {
        return !simulateRows.empty() || ispVid.has_value() || simState.has_value();
    }
    // One line when the simulator options do not fit together (an option for
    // the simulated products without any, --sim-state with several products,
    // --sim-power-cycle without --sim-state, --replay with a simulated
    // product); empty when they do.
    std::string Mismatch() const;
    // The products to plug, at locations 1-2, 1-3, ... in option order;
    // --sim-flash and --sim-isp apply to each. An existing state file then
    // fills in what the options leave open (see MakeBackend).
    std::vector<SimulatedProduct> Products() const;
};

// Whether a backend option takes a value: --simulate and --sim-isp only as
// "=VALUE", --sim-power-cycle none, the others also as the next argument.
enum class OptionValue { None, Optional, Required };
std::optional<OptionValue> BackendOptionValue(std::string_view name);

enum class OptionTake { NotMine, Taken, Refused };

// Reads one backend option, `name` with its leading dashes ("--sim-flash"),
// into `options`. Refused fills `error` with one line for the user.
OptionTake TakeBackendOption(std::string_view name, std::optional<std::string_view> value,
                             BackendOptions& options, std::string& error);

// The name --sim-flash takes for a flash ("mx32").
std::string_view SimulatedFlashName(SimulatedFlash flash);

// The help lines of the backend options.
const char* BackendOptionsHelp();

}  // namespace product
