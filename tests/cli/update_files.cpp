#include "update_files.h"

#include "sim/firmware_layout.h"
#include "tools/intel_hex_writer.h"

namespace cli_test {

std::string UpdateFiles::Write(const std::string& name, std::uint32_t length, std::uint8_t seed) {
    return WriteBytes(name, sim::MakeFirmwareImage(length, seed));
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
