#include "backends/backend_options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "backends/backend_factory.h"
#include "product/device_listing.h"
#include "sim/virtual_clock.h"

namespace product_test {
namespace {

using product::OptionTake;

OptionTake Take(product::BackendOptions& options, std::string_view name,
                std::optional<std::string_view> value, std::string* error = nullptr) {
    std::string text;
    const OptionTake taken = product::TakeBackendOption(name, value, options, text);
    if (error)
        *error = text;
    return taken;
}

TEST(BackendOptions, EachSimulateAddsAProductAtTheNextLocation) {
    product::BackendOptions options;
    EXPECT_FALSE(options.Simulated());
    EXPECT_EQ(Take(options, "--simulate", std::nullopt), OptionTake::Taken);
    EXPECT_EQ(Take(options, "--simulate", "9"), OptionTake::Taken);
    EXPECT_EQ(Take(options, "--sim-flash", "mx32"), OptionTake::Taken);
    const auto products = options.Products();
    ASSERT_EQ(products.size(), 2u);
    EXPECT_EQ(products[0].row, 0);
    EXPECT_EQ(products[0].location, "1-2");
    EXPECT_EQ(products[1].row, 9);
    EXPECT_EQ(products[1].location, "1-3");
    EXPECT_EQ(products[1].flash, product::SimulatedFlash::Mx32);
    EXPECT_FALSE(products[1].waitingInIsp);
}

TEST(BackendOptions, SimIspAloneGivesOneBareChip) {
    product::BackendOptions options;
    EXPECT_EQ(Take(options, "--sim-isp", "0ea0"), OptionTake::Taken);
    const auto products = options.Products();
    ASSERT_EQ(products.size(), 1u);
    EXPECT_TRUE(products[0].waitingInIsp);
    EXPECT_EQ(products[0].ispVid, 0x0EA0);
}

struct BadValue {
    const char* name;
    const char* option;
    const char* value;
};

void PrintTo(const BadValue& value, std::ostream* out) {
    *out << value.name;
}

class BackendOptionRefusal : public ::testing::TestWithParam<BadValue> {};

TEST_P(BackendOptionRefusal, RefusesWithOneLine) {
    product::BackendOptions options;
    std::string error;
    EXPECT_EQ(Take(options, GetParam().option, GetParam().value, &error), OptionTake::Refused);
    EXPECT_NE(error.find(GetParam().option), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_FALSE(options.Simulated());
}

INSTANTIATE_TEST_SUITE_P(Values, BackendOptionRefusal,
                         ::testing::Values(BadValue{"RowTooHigh", "--simulate", "10"},
                                           BadValue{"RowNotANumber", "--simulate", "3x"},
                                           BadValue{"RowNegative", "--simulate", "-1"},
                                           BadValue{"UnknownFlash", "--sim-flash", "xyz"},
                                           BadValue{"EmptyFlash", "--sim-flash", ""},
                                           BadValue{"UnknownIspVid", "--sim-isp", "1234"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BackendOptions, LeavesOtherOptionsToTheFrontEnd) {
    product::BackendOptions options;
    EXPECT_EQ(Take(options, "--device", "1-2"), OptionTake::NotMine);
    EXPECT_EQ(Take(options, "--simulated", std::nullopt), OptionTake::NotMine);
}

TEST(BackendFactory, PlugsTheSimulatedProducts) {
    sim::VirtualClock clock;
    product::BackendOptions options;
    Take(options, "--simulate", "2");
    Take(options, "--simulate", "3");
    product::BackendStart start = product::MakeBackend(options, clock);
    ASSERT_TRUE(start.backend);
    EXPECT_FALSE(start.clock);
    EXPECT_FALSE(start.keep);
    const auto devices = product::ListDevices(*start.backend);
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[1].displayName, "Pale Reed F069");
}

TEST(BackendOptions, AnUnknownFaultKindIsRefusedWhenTaken) {
    product::BackendOptions options;
    std::string error;
    EXPECT_EQ(Take(options, "--sim-fault", "melt@12", &error), OptionTake::Refused);
    EXPECT_NE(error.find("melt"), std::string::npos) << error;
    EXPECT_EQ(Take(options, "--sim-fault", "power-loss@12", &error), OptionTake::Taken);
    EXPECT_EQ(Take(options, "--sim-clock", "fast", &error), OptionTake::Refused);
    EXPECT_EQ(Take(options, "--sim-power-cycle", "yes", &error), OptionTake::Refused);
}

// The options that shape a simulated product mean nothing without one, and
// the state file keeps exactly one.
TEST(BackendFactory, RefusesSimulatorOptionsThatDoNotFit) {
    sim::VirtualClock clock;
    product::BackendOptions alone;
    Take(alone, "--sim-clock", "virtual");
    EXPECT_TRUE(product::MakeBackend(alone, clock).optionRefused);
    product::BackendOptions two;
    Take(two, "--simulate", "1");
    Take(two, "--simulate", "2");
    Take(two, "--sim-state", "state.txt");
    EXPECT_TRUE(product::MakeBackend(two, clock).optionRefused);
    product::BackendOptions cycle;
    Take(cycle, "--simulate", std::nullopt);
    Take(cycle, "--sim-power-cycle", std::nullopt);
    EXPECT_TRUE(product::MakeBackend(cycle, clock).optionRefused);
}

TEST(BackendFactory, AStateFileThatDoesNotLoadIsRefusedAndLeftAsItIs) {
    const std::filesystem::path path =
        std::filesystem::path(::testing::TempDir()) / "not_a_state_file.txt";
    { std::ofstream(path) << "some notes of mine\n"; }
    sim::VirtualClock clock;
    product::BackendOptions options;
    Take(options, "--sim-state", path.string());
    const product::BackendStart start = product::MakeBackend(options, clock);
    EXPECT_FALSE(start.backend);
    EXPECT_TRUE(start.optionRefused);
    EXPECT_NE(start.error.find("does not load"), std::string::npos) << start.error;
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "some notes of mine");
}

// The product kept in the state file is the one the next start meets, and
// the virtual clock comes along with the backend.
TEST(BackendFactory, TheStateFileCarriesTheProductToTheNextStart) {
    const std::filesystem::path path = std::filesystem::path(::testing::TempDir()) / "kept.state";
    std::filesystem::remove(path);
    sim::VirtualClock unused;
    product::BackendOptions first;
    Take(first, "--sim-isp", std::nullopt);
    Take(first, "--sim-state", path.string());
    Take(first, "--sim-clock", "virtual");
    product::BackendStart start = product::MakeBackend(first, unused);
    ASSERT_TRUE(start.backend && start.clock && start.keep);
    EXPECT_EQ(start.keep(), "");

    product::BackendOptions second;
    Take(second, "--sim-state", path.string());
    start = product::MakeBackend(second, unused);
    ASSERT_TRUE(start.backend);
    const auto devices = product::ListDevices(*start.backend);
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].mode, product::DeviceMode::Isp);
}

}  // namespace
}  // namespace product_test
