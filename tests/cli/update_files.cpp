#include "update_files.h"

#include "catalog/product_table.h"
#include "support/product_image.h"
#include "tools/intel_hex_writer.h"

namespace cli_test {

std::string UpdateFiles::Write(const std::string& name, std::uint32_t length, std::uint8_t seed,
                               int row) {
    const product::ProductRow& product = product::productTable[static_cast<std::size_t>(row)];
    return WriteBytes(name, test_support::ProductImage(product.vid, product.pid, length, seed));
}

std::string UpdateFiles::WriteBytes(const std::string& name,
                                    const std::vector<std::uint8_t>& bytes) {
    return dir.Write(name, tools::WriteIntelHex(bytes));
}

const std::vector<std::string>& SuccessSteps() {
    static const std::vector<std::string> steps = {
        "Enter ISP Mode",       "Clear Status register", "Flash Erase All",
        "Start Blanking Check", "Blanking Success",      "Start Programming",
        "Programming Success",  "Start Verifying Check", "Verifying Success"};
    return steps;
}

}  // namespace cli_test
