#include <gtest/gtest.h>

#include "app/launch_options.h"

namespace {

std::optional<app::LaunchOptions> Parse(const QStringList& arguments, QString* error = nullptr) {
    QString message;
    auto options =
        app::ParseLaunchOptions(QStringList{"palereed-update-tool"} + arguments, message);
    if (error != nullptr)
        *error = message;
    return options;
}

TEST(LaunchOptions, NoOptionsIsTheToolAsShipped) {
    const auto options = Parse({});
    ASSERT_TRUE(options);
    EXPECT_FALSE(options->simulatedProduct);
    EXPECT_FALSE(options->engineering);
    EXPECT_TRUE(options->traceFile.isEmpty());
}

TEST(LaunchOptions, SimulateAloneIsTheFirstProductWithItsFlash) {
    const auto options = Parse({"--simulate"});
    ASSERT_TRUE(options && options->simulatedProduct);
    EXPECT_EQ(options->simulatedProduct->row, 0);
    EXPECT_EQ(options->simulatedProduct->flash, sim::FlashModel::Sst25vf016b);
    EXPECT_FALSE(options->simulatedProduct->blankFlash);
}

TEST(LaunchOptions, SimulationCompanionsChooseRowFlashAndIspChip) {
    const auto options = Parse({"--simulate=4", "--sim-flash=mx32", "--sim-isp=0ea0",
                                "--engineering", "--trace", "run.trace"});
    ASSERT_TRUE(options && options->simulatedProduct);
    EXPECT_EQ(options->simulatedProduct->row, 4);
    EXPECT_EQ(options->simulatedProduct->flash, sim::FlashModel::Mx25l1021e);
    EXPECT_EQ(options->simulatedProduct->ispVid, sim::kIspVidAlternate);
    EXPECT_TRUE(options->simulatedProduct->blankFlash);
    EXPECT_TRUE(options->engineering);
    EXPECT_EQ(options->traceFile, "run.trace");
}

TEST(LaunchOptions, BadValuesAreRefusedWithAReason) {
    for (const QStringList& arguments :
         {QStringList{"--simulate=10"}, QStringList{"--simulate=x"}, QStringList{"--sim-flash=big"},
          QStringList{"--sim-isp=1234"}, QStringList{"--fast"}}) {
        QString error;
        EXPECT_FALSE(Parse(arguments, &error)) << arguments.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

}  // namespace
