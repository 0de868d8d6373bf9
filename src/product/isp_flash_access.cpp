#include "product/isp_flash_access.h"

#include <algorithm>
#include <cstddef>
#include <memory>

#include "chip/flash_commands.h"
#include "chip/registers.h"
#include "flash/read_back.h"
#include "usb/quorvex_usb.h"

namespace product {
namespace {

FlashPart IdentifyInIsp(usb::QuorvexUsb& link) {
    chip::ChipIdBytes id{};
    chip::FlashReadId(link, id);
    return DescribeFlash(id, chip::FlashReadStatus(link));
}

void LeaveIsp(usb::QuorvexUsb& link) {
    chip::IspMode(link, false);
    link.CloseDevice();
}

}  // namespace

FlashPart ReadFlashPart(usb::QuorvexUsb& link) {
    link.OpenDevice();
    chip::IspMode(link, true);
    FlashPart part = IdentifyInIsp(link);
    LeaveIsp(link);
    return part;
}

FlashRead ReadFlashContent(usb::QuorvexUsb& link, std::uint32_t length,
                           flash::FlashProgress& progress, AfterRead after) {
    FlashRead read;
    length = std::clamp<std::uint32_t>(length, 1, kMaxReadLength);
    link.OpenDevice();
    chip::IspMode(link, true);
    read.part = IdentifyInIsp(link);
    auto buffer = std::make_unique<flash::ReadBackBuffer>();
    // A part smaller than asked for would answer the rest from its start again.
    if (read.part.capacity != 0)
        length = std::min(length, read.part.capacity);
    read.ok = flash::ReadBackRange(link, *buffer, 0, length - 1, progress);
    if (after == AfterRead::LeaveIsp)
        LeaveIsp(link);
    else
        link.CloseDevice();
    if (read.ok)
        read.bytes.assign(buffer->begin(), buffer->begin() + length);
    return read;
}

std::optional<std::uint32_t> FirstDifference(std::span<const std::uint8_t> flash,
                                             std::span<const std::uint8_t> expected) {
    const auto common = static_cast<std::ptrdiff_t>(std::min(flash.size(), expected.size()));
    const auto diff = std::mismatch(flash.begin(), flash.begin() + common, expected.begin());
    if (diff.first == flash.begin() + common)
        return std::nullopt;
    return static_cast<std::uint32_t>(diff.first - flash.begin());
}

}  // namespace product
