#include "product/backend_options.h"

#include <gtest/gtest.h>

#include "product/backend_factory.h"
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

TEST(BackendFactory, PlugsTheSimulatedProductsAndRefusesOptionsNotYetWired) {
    sim::VirtualClock clock;
    product::BackendOptions options;
    Take(options, "--simulate", "2");
    Take(options, "--simulate", "3");
    product::BackendStart start = product::MakeBackend(options, clock);
    ASSERT_TRUE(start.backend);
    const auto devices = product::ListDevices(*start.backend);
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[1].displayName, "Pale Reed F069");

    EXPECT_EQ(Take(options, "--sim-fault", "unplug"), OptionTake::Taken);
    start = product::MakeBackend(options, clock);
    EXPECT_FALSE(start.backend);
    EXPECT_NE(start.error.find("--sim-fault"), std::string::npos);
}

}  // namespace
}  // namespace product_test
