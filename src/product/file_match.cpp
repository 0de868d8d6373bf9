#include "product/file_match.h"

#include "image/table_marker.h"
#include "product/table_product.h"

namespace product {

FileCheck CheckFileFor(std::span<const std::uint8_t> image, const ProductRow* product) {
    FileCheck check;
    if (!image::FindTableMarker(image, static_cast<std::uint32_t>(image.size()))) {
        check.fit = FileFit::NoTable;
        return check;
    }
    check.ofFile = ProductOfTable(image);
    if (product != nullptr && check.ofFile != product)
        check.fit = FileFit::OtherProduct;
    return check;
}

std::string FileMismatchText(const FileCheck& check, std::string_view fileName,
                             const ProductRow* product, DeviceKnownBy knownBy) {
    const std::string file = "'" + std::string(fileName) + "'";
    const std::string device =
        product == nullptr ? std::string()
                           : std::string(knownBy == DeviceKnownBy::ItsIdentity
                                             ? "the device is "
                                             : "the flash of the device was last written for ") +
                                 std::string(product->displayName);
    switch (check.fit) {
        case FileFit::Fits:
            return {};
        case FileFit::NoTable:
            if (product == nullptr)
                return file + " holds no parameter table, so nothing says which product it is for";
            return file + " holds no parameter table, so nothing says it is firmware for " +
                   std::string(product->displayName);
        case FileFit::OtherProduct:
            if (check.ofFile == nullptr)
                return file + " is firmware for a product this tool does not know, but " + device;
            return file + " is firmware for " + std::string(check.ofFile->displayName) + ", but " +
                   device;
    }
    return {};
}

}  // namespace product
