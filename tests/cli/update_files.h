#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace cli_test {

// Firmware in the chip's boot layout, as HEX files in a scratch folder.
struct UpdateFiles {
    // Writes `name` holding a complete image of `length` bytes (at least
    // 0x800) whose parameter table names product-table row `row`, and returns
    // its path.
    std::string Write(const std::string& name, std::uint32_t length, std::uint8_t seed,
                      int row = 0);
    // Writes `name` holding exactly `bytes`.
    std::string WriteBytes(const std::string& name, const std::vector<std::uint8_t>& bytes);

    image_test::ScratchDir dir;
};

// Steps the one-button update shows, in order, on success.
const std::vector<std::string>& SuccessSteps();

}  // namespace cli_test
