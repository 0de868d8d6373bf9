#include "demo_firmware.h"

#include <algorithm>
#include <span>
#include <stdexcept>
#include <string_view>

#include "image/boot_layout.h"
#include "image/parameter_table.h"
#include "image/table_marker.h"

namespace tools {
namespace {

constexpr std::uint32_t kTableDistanceFromEnd = 0x1000;
constexpr std::uint16_t kVendorId = 0x2FC6;
constexpr std::uint16_t kProductId = 0xF066;
constexpr std::uint8_t kSystemSetting[4] = {0xA1, 0x00, 0x00, 0x00};
constexpr std::string_view kStrings[image::kTableStringCount] = {
    "Quorvex-inc", "Quorvex-inc UAC22", "QVUA170405", "Primary Play Interface", "Record Interface",
};

// xorshift32: the same filler on every machine and every run.
class Filler {
public:
    explicit Filler(std::uint32_t seed) : state_(seed == 0 ? 0x9E3779B9u : seed) {}
    std::uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }

private:
    std::uint32_t state_;
};

void PutText(std::vector<std::uint8_t>& image, std::uint32_t offset, std::string_view text) {
    std::ranges::copy(text, image.begin() + offset);
}

void Put16(std::vector<std::uint8_t>& image, std::uint32_t offset, std::uint16_t value) {
    image[offset] = static_cast<std::uint8_t>(value);
    image[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t>& image, std::uint32_t offset, std::uint32_t value) {
    Put16(image, offset, static_cast<std::uint16_t>(value));
    Put16(image, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

void PutTable(std::vector<std::uint8_t>& image, std::uint32_t table) {
    std::fill_n(image.begin() + table, image::kTableSize, 0x00);
    PutText(image, table, image::kTableMarker);
    Put16(image, table + image::kTableVidOffset, kVendorId);
    Put16(image, table + image::kTablePidOffset, kProductId);
    std::ranges::copy(kSystemSetting, image.begin() + table + image::kTableSystemSettingOffset);
    image[table + image::kTableStringCountOffset] = image::kTableStringCount;
    for (std::uint32_t i = 0; i < image::kTableStringCount; ++i) {
        const auto slot = table + image::TableStringOffset(static_cast<image::TableString>(i));
        image[slot] = static_cast<std::uint8_t>(kStrings[i].size());
        PutText(image, slot + 1, kStrings[i]);
    }
}

// Code-like bytes from the entry point up to `end`, and vectors into them:
// most point at one default handler, as in real interrupt tables.
void PutCode(std::vector<std::uint8_t>& image, std::uint32_t end, std::uint32_t seed) {
    Filler filler(seed);
    for (std::uint32_t i = kCodeOffset; i < end; ++i)
        image[i] = static_cast<std::uint8_t>(filler.Next());
    const std::uint32_t defaultHandler = kCodeOffset + 0x40;
    Put32(image, kVectorsOffset, kCodeOffset);
    for (std::uint32_t at = kVectorsOffset + 4; at < kCodeOffset; at += 4) {
        const std::uint32_t pick = filler.Next();
        const bool own = pick % 5 == 0;
        Put32(image, at,
              own ? kCodeOffset + (pick >> 8) % (end - kCodeOffset) / 4 * 4 : defaultHandler);
    }
}

}  // namespace

std::vector<std::uint8_t> MakeDemoFirmware(const DemoFirmwareLayout& layout) {
    if (layout.length < 0x4000 || layout.length % 0x1000 != 0) {
        throw std::invalid_argument("the length must be a multiple of 4 KiB, at least 16 KiB");
    }
    if (layout.version.size() > 16)
        throw std::invalid_argument("the version text is too long");
    std::vector<std::uint8_t> image(layout.length, 0xFF);
    const std::uint32_t table = layout.length - kTableDistanceFromEnd;
    PutText(image, 0, image::kBootHeaderMagic);
    Put32(image, image::kBootLengthOffset, layout.length);
    Put32(image, kTableOffsetField, table);
    Put32(image, kEntryPointField, kCodeOffset);
    std::fill_n(image.begin() + kVersionTextOffset, kVersionTextSize, 0x00);
    PutText(image, kVersionTextOffset, "Pale Reed F066 demo firmware " + layout.version);
    // The code stops short of the table; the erased gap between is real flash padding.
    PutCode(image, table - table / 4 + 0x13C, layout.seed);
    PutTable(image, table);
    PutText(image, layout.length - static_cast<std::uint32_t>(image::kBootTrailerMagic.size()),
            image::kBootTrailerMagic);
    return image;
}

}  // namespace tools
