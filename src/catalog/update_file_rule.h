#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "catalog/product_table.h"

namespace product {

// The name of a product's update file: its file base name and ".hex".
std::string UpdateFileName(const ProductRow& row);

// The product's update file in `folder`. Names are matched without regard to
// case, since the products' file names mix cases and files travel through
// systems that do not keep them; the exact spelling wins when several differ
// only in case, otherwise the first in name order. Nothing when the folder
// holds no such regular file or cannot be read.
std::optional<std::filesystem::path> FindUpdateFile(const std::filesystem::path& folder,
                                                    const ProductRow& row);

}  // namespace product
