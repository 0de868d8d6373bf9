// The bare chip left by an interrupted update: the parameter table still in
// its flash names the product it was, for the message that asks for FILE and
// for a warning when FILE is for another product.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog/product_table.h"
#include "in_process_tool.h"
#include "product/table_product.h"
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
        chip = sim::PlugProduct(tool.bus, config, tool.clock);
        const std::vector<std::uint8_t> image = ImageFor(1);
        chip->Flash().Load(0, std::span(image).first(test_support::kProductImageTableEnd));
    }
    InProcessTool tool;
    std::shared_ptr<sim::SimChip> chip;
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

TEST_F(BareChip, AFileOfAnotherProductIsRefusedUnlessForced) {
    const std::string file = files.WriteBytes("other.hex", ImageFor(0));
    const std::string mismatch = "'" + file +
                                 "' is firmware for Pale Reed F066, but the flash of " +
                                 "the device was last written for Pale Reed F067";
    EXPECT_EQ(tool.Run({"update", file, "--yes"}), 4);
    EXPECT_NE(tool.err.find(mismatch + "; nothing was changed (--force writes it all the same)"),
              std::string::npos)
        << tool.err;
    EXPECT_EQ(product::ProductOfTable(chip->Flash().Contents()), &product::productTable[1])
        << "nothing was erased";

    EXPECT_EQ(tool.Run({"update", file, "--yes", "--force"}), 0) << tool.err;
    EXPECT_NE(tool.err.find("warning: " + mismatch), std::string::npos) << tool.err;
}

// The demo firmware keeps its table at 0xB000, past the first window read.
TEST_F(BareChip, TheTableIsFoundWhereverItStandsInTheWrittenFlash) {
    std::vector<std::uint8_t> image = ImageFor(1);
    image.insert(image.begin() + 0x400, 0xB000, 0x11);
    chip->Flash().Load(0, std::span(image).first(0xB000 + test_support::kProductImageTableEnd));
    EXPECT_EQ(tool.Run({"update", "--yes"}), 2);
    EXPECT_NE(tool.err.find("its flash was last written for Pale Reed F067"), std::string::npos)
        << tool.err;
}

TEST_F(BareChip, AFileOfTheSameProductGoesWithoutWarning) {
    const std::string same = files.WriteBytes("same.hex", ImageFor(1));
    EXPECT_EQ(tool.Run({"update", same, "--yes"}), 0) << tool.err;
    EXPECT_EQ(tool.err.find("warning"), std::string::npos) << tool.err;
}

}  // namespace
}  // namespace cli_test
