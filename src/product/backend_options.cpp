#include "product/backend_options.h"

#include <array>
#include <charconv>

#include "product/product_table.h"

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
    const std::string_view vid = value.value_or("2fc6");
    if (vid != "2fc6" && vid != "0ea0")
        return Refuse(error, "--sim-isp takes 2fc6 or 0ea0, not '" + std::string(vid) + "'");
    options.ispVid = vid == "0ea0" ? kIspVidAlternate : kIspVidQuorvex;
    return OptionTake::Taken;
}

}  // namespace

std::vector<SimulatedProduct> BackendOptions::Products() const {
    std::vector<int> rows = simulateRows;
    if (rows.empty() && ispVid)
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
    if (name == "--sim-flash" || name == "--sim-timing" || name == "--sim-clock" ||
        name == "--sim-fault" || name == "--sim-state")
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
    std::optional<std::string>& hook = name == "--sim-timing"  ? options.simTiming
                                       : name == "--sim-clock" ? options.simClock
                                       : name == "--sim-fault" ? options.simFault
                                                               : options.simState;
    hook = std::string(*value);
    return OptionTake::Taken;
}

const char* BackendOptionsHelp() {
    return "  --simulate[=ROW]     plug in a simulated product of table row ROW (0-9, default 0);\n"
           "                       repeat it to plug in several\n"
           "  --sim-flash MODEL    flash of the simulated products: sst25vf016b (default), mx32, "
           "w25\n"
           "  --sim-isp[=VID]      the simulated chips start blank, waiting in ISP mode\n"
           "                       (VID 2fc6, the default, or 0ea0)\n";
}

}  // namespace product
