#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "catalog/product_table.h"

namespace product {

// Whether an update file is firmware for the product it is about to replace.
// The file's parameter table names its product; a file without one could be
// anything (a flash dump of another board, a bootloader, random data).
enum class FileFit {
    Fits,          // the table names the product, or nothing names the product
    NoTable,       // the file carries no parameter table
    OtherProduct,  // the table names another product (or none the tool knows)
};

struct FileCheck {
    FileFit fit = FileFit::Fits;
    const ProductRow* ofFile = nullptr;  // the product the file's table names, when known
};

// `product` is the product being updated, or for the bare chip the product
// its flash was last written for; null when nothing names it, and then only a
// file without a table is refused.
FileCheck CheckFileFor(std::span<const std::uint8_t> image, const ProductRow* product);

// Who the device is, as the refusal names it: "the device is Pale Reed F069",
// or for the bare chip "the flash of the device was last written for …".
enum class DeviceKnownBy { ItsIdentity, ItsFlash };

// The sentence that names both the file's product and the device's:
// "'fw.hex' is firmware for Pale Reed F066, but the device is Pale Reed F069",
// "'raw.bin' holds no parameter table, so nothing says it is firmware for
// Pale Reed F069". Empty for a file that fits.
std::string FileMismatchText(const FileCheck& check, std::string_view fileName,
                             const ProductRow* product, DeviceKnownBy knownBy);

}  // namespace product
