// The bare chip left by an interrupted update: the parameter table still in
// its flash names the product it was, for the message that asks for FILE and
// for a warning when FILE is for another product.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "in_process_tool.h"
#include "product/product_table.h"
#include "sim/product_factory.h"
#include "support/product_image.h"
#include "update_files.h"

namespace cli_test {
namespace {

// A firmware image whose parameter table names product table row `row`.
std::vector<std::uint8_t> ImageFor(int row) {
    const product::ProductRow& product = product::productTable[row];
    return test_support::ProductImage(product.vid, product.pid, 0x1000,
                                      static_cast<std::uint8_t>(row));
}

// The chip of product row 1, its update cut after the table was programmed.
class BareChip : public ::testing::Test {
protected:
    BareChip() {
        sim::ProductConfig config;
        config.blankFlash = true;
        config.location = "1-2";
        const auto chip = sim::PlugProduct(tool.bus, config, tool.clock);
        const std::vector<std::uint8_t> image = ImageFor(1);
        chip->Flash().Load(0, std::span(image).first(test_support::kProductImageTableEnd));
    }
    InProcessTool tool;
    UpdateFiles files;
};

TEST_F(BareChip, WithoutFileTheMessageNamesTheProductItsFlashWasWrittenFor) {
    EXPECT_EQ(tool.Run({"update", "--yes"}), 2);
    const std::string name(product::productTable[1].displayName);
    EXPECT_NE(tool.err.find("its flash was last written for " + name +
                            ": palereed-flash update PaleReed_f067.hex --device 1-2"),
              std::string::npos)
        << tool.err;
}

TEST_F(BareChip, AFileOfAnotherProductIsWarnedAboutAndStillWritten) {
    const std::string file = files.WriteBytes("other.hex", ImageFor(0));
    EXPECT_EQ(tool.Run({"update", file, "--yes"}), 0) << tool.err;
    EXPECT_NE(
        tool.err.find("warning: the flash was last written for " +
                      std::string(product::productTable[1].displayName) + ", but '" + file +
                      "' is firmware for " + std::string(product::productTable[0].displayName)),
        std::string::npos)
        << tool.err;
}

TEST_F(BareChip, AFileOfTheSameProductGoesWithoutWarning) {
    const std::string same = files.WriteBytes("same.hex", ImageFor(1));
    EXPECT_EQ(tool.Run({"update", same, "--yes"}), 0) << tool.err;
    EXPECT_EQ(tool.err.find("warning"), std::string::npos) << tool.err;
}

}  // namespace
}  // namespace cli_test
