#include "product/table_product.h"

#include "flash/flash_progress.h"
#include "image/parameter_table.h"
#include "image/table_marker.h"
#include "product/isp_flash_access.h"

namespace product {
namespace {

std::uint16_t Little16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

// The check runs before any progress is shown.
class Quiet final : public flash::FlashProgress {
public:
    void SetStepText(std::string_view) override {}
    void SetAddressText(std::string_view) override {}
    void SetStatusRegisterText(std::string_view) override {}
    void PumpEvents() override {}
    void SetShareDone(double) override {}
};

}  // namespace

const ProductRow* ProductOfTable(std::span<const std::uint8_t> bytes) {
    const auto marker = image::FindTableMarker(bytes, static_cast<std::uint32_t>(bytes.size()));
    if (!marker || *marker + image::kTablePidOffset + 2 > bytes.size())
        return nullptr;
    const std::uint16_t vid = Little16(bytes, *marker + image::kTableVidOffset);
    const std::uint16_t pid = Little16(bytes, *marker + image::kTablePidOffset);
    for (const ProductRow& row : productTable) {
        if (row.vid == vid && row.pid == pid)
            return &row;
    }
    return nullptr;
}

const ProductRow* ProductInFlash(usb::QuorvexUsb& link) {
    Quiet quiet;
    const FlashRead read = ReadFlashWhile(
        link, kTableSearchWindow, kMaxReadLength,
        [](std::span<const std::uint8_t> bytes) { return ProductOfTable(bytes) != nullptr; }, quiet,
        AfterRead::StayInIsp);
    return read.ok ? ProductOfTable(read.bytes) : nullptr;
}

}  // namespace product
