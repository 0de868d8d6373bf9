#include "backends/backend_options.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

#include "catalog/product_table.h"
#include "sim/fault_names.h"

namespace product {
namespace {

struct FlashName {
    std::string_view name;
    SimulatedFlash flash;
};

constexpr std::array<FlashName, 3> kFlashNames = {{
    {"sst25vf016b", SimulatedFlash::Sst25vf016b},
    {"mx32", SimulatedFlash::Mx32},
    {"w25", SimulatedFlash::W25},
}};

OptionTake Refuse(std::string& error, std::string text) {
    error = std::move(text);
    return OptionTake::Refused;
}

OptionTake TakeRow(std::optional<std::string_view> value, BackendOptions& options,
                   std::string& error) {
    int row = 0;
    if (value) {
        const auto [end, code] = std::from_chars(value->data(), value->data() + value->size(), row);
        if (code != std::errc{} || end != value->data() + value->size() || row < 0 ||
            row >= static_cast<int>(kProductCount)) {
            return Refuse(error, "--simulate takes a product row from 0 to 9, not '" +
                                     std::string(*value) + "'");
        }
        options.rowNamed = true;
    }
    options.simulateRows.push_back(row);
    return OptionTake::Taken;
}

OptionTake TakeFlash(std::string_view value, BackendOptions& options, std::string& error) {
    for (const FlashName& entry : kFlashNames) {
        if (entry.name == value) {
            options.flash = entry.flash;
            return OptionTake::Taken;
        }
    }
    return Refuse(error,
                  "--sim-flash takes sst25vf016b, mx32 or w25, not '" + std::string(value) + "'");
}

OptionTake TakeIsp(std::optional<std::string_view> value, BackendOptions& options,
                   std::string& error) {
    // Hex digits in either case, as USB identities are written both ways.
    std::string vid(value.value_or("2fc6"));
    std::transform(vid.begin(), vid.end(), vid.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (vid != "2fc6" && vid != "0ea0")
        return Refuse(error, "--sim-isp takes 2fc6 or 0ea0, not '" + std::string(*value) + "'");
    options.ispVid = vid == "0ea0" ? kIspVidAlternate : kIspVidQuorvex;
    options.ispVidNamed = value.has_value();
    return OptionTake::Taken;
}

OptionTake TakeChoice(std::string_view name, std::string_view value, std::string_view first,
                      std::string_view second, bool& isSecond, std::string& error) {
    if (value != first && value != second) {
        return Refuse(error, std::string(name) + " takes " + std::string(first) + " or " +
                                 std::string(second) + ", not '" + std::string(value) + "'");
    }
    isSecond = value == second;
    return OptionTake::Taken;
}

OptionTake TakeFault(std::string_view value, BackendOptions& options, std::string& error) {
    std::string why;
    if (!sim::ParseFaultPlan(value, why))
        return Refuse(error, "--sim-fault: " + why);
    options.simFault = std::string(value);
    return OptionTake::Taken;
}

}  // namespace

std::string BackendOptions::Mismatch() const {
    const bool products = !simulateRows.empty() || ispVid.has_value() || simState.has_value();
    if (replay && (products || flash || slowParts || virtualClock || simFault || simPowerCycle))
        return "--replay answers from its trace alone; it takes no --simulate or --sim-* option";
    if (!products && (slowParts || virtualClock || simFault))
        return "the --sim-timing, --sim-clock and --sim-fault options need a simulated product "
               "(--simulate, --sim-isp or --sim-state)";
    if (simState && simulateRows.size() > 1)
        return "--sim-state keeps one simulated product; give --simulate once";
    if (simPowerCycle && !simState)
        return "--sim-power-cycle works only with --sim-state";
    return {};
}

std::vector<SimulatedProduct> BackendOptions::Products() const {
    std::vector<int> rows = simulateRows;
    if (rows.empty() && Simulated())
        rows.push_back(0);
    std::vector<SimulatedProduct> products;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SimulatedProduct product;
        product.row = rows[i];
        product.flash = flash.value_or(SimulatedFlash::Sst25vf016b);
        product.ispVid = ispVid.value_or(kIspVidQuorvex);
        product.waitingInIsp = ispVid.has_value();
        product.location = "1-" + std::to_string(i + 2);
        products.push_back(product);
    }
    return products;
}

std::optional<OptionValue> BackendOptionValue(std::string_view name) {
    if (name == "--simulate" || name == "--sim-isp")
        return OptionValue::Optional;
    if (name == "--sim-power-cycle")
        return OptionValue::None;
    if (name == "--sim-flash" || name == "--sim-timing" || name == "--sim-clock" ||
        name == "--sim-fault" || name == "--sim-state" || name == "--replay")
        return OptionValue::Required;
    return std::nullopt;
}

OptionTake TakeBackendOption(std::string_view name, std::optional<std::string_view> value,
                             BackendOptions& options, std::string& error) {
    const auto kind = BackendOptionValue(name);
    if (!kind)
        return OptionTake::NotMine;
    if (*kind == OptionValue::Required && (!value || value->empty()))
        return Refuse(error, std::string(name) + " needs a value");
    if (name == "--simulate")
        return TakeRow(value, options, error);
    if (name == "--sim-isp")
        return TakeIsp(value, options, error);
    if (name == "--sim-flash")
        return TakeFlash(*value, options, error);
    if (name == "--sim-timing")
        return TakeChoice(name, *value, "typical", "max", options.slowParts, error);
    if (name == "--sim-clock")
        return TakeChoice(name, *value, "real", "virtual", options.virtualClock, error);
    if (name == "--sim-fault")
        return TakeFault(*value, options, error);
    if (name == "--sim-state") {
        options.simState = std::string(*value);
        return OptionTake::Taken;
    }
    if (name == "--replay") {
        options.replay = std::string(*value);
        return OptionTake::Taken;
    }
    if (value)
        return Refuse(error, std::string(name) + " takes no value");
    options.simPowerCycle = true;
    return OptionTake::Taken;
}

std::string_view SimulatedFlashName(SimulatedFlash flash) {
    for (const FlashName& entry : kFlashNames) {
        if (entry.flash == flash)
            return entry.name;
    }
    return {};
}

const char* BackendOptionsHelp() {
    return "  --simulate[=ROW]     plug in a simulated product of table row ROW (0-9, default 0);\n"
           "                       repeat it to plug in several\n"
           "  --sim-flash MODEL    flash of the simulated products: sst25vf016b (default), mx32, "
           "w25\n"
           "  --sim-isp[=VID]      the simulated chips start blank, waiting in ISP mode\n"
           "                       (VID 2fc6, the default, or 0ea0)\n"
           "  --sim-timing T       busy times of the simulated flash: typical (default) or max\n"
           "  --sim-clock C        real (default) or virtual: no real waiting, for scripts\n"
           "  --sim-fault KIND@N   inject a fault at device request N, counted from 1 as the\n"
           "                       trace lists requests: unplug, fail, short, stuck-busy,\n"
           "                       never-ready, corrupt, power-loss; several separated by\n"
           "                       commas\n"
           "  --sim-state FILE     keep the simulated product in FILE: loaded at start if it\n"
           "                       exists (with its flash and product row), saved at exit\n"
           "  --sim-power-cycle    load from the state file only what survives a power cycle\n"
           "  --replay TRACE       instead of a device, the one a --trace file recorded: each\n"
           "                       request must match the recorded one and gets its answer\n";
}

}  // namespace product
