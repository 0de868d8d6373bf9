#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "cli/outcome.h"
#include "image/firmware_image.h"
#include "product/listed_device.h"

namespace cli {

// Loads a named update file (HEX by ".h..", binary by ".b.."), with the same
// checks as the window; the outcome says why a file was refused, with line
// and column for a HEX file.
std::optional<Outcome> LoadUpdateFile(const std::string& path, image::FirmwareImage& image);

// The product's own update file in `folder`, by the window's rule.
std::optional<Outcome> FindDefaultUpdateFile(const std::filesystem::path& folder,
                                             const product::ListedDevice& device,
                                             std::string& path);

}  // namespace cli
