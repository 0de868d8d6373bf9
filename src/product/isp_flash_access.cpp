#include "product/isp_flash_access.h"

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "chip/flash_commands.h"
#include "chip/registers.h"
#include "flash/read_back.h"
#include "usb/open_scope.h"
#include "usb/quorvex_usb.h"

namespace product {
namespace {

FlashPart IdentifyInIsp(usb::QuorvexUsb& link) {
    chip::ChipIdBytes id{};
    chip::FlashReadId(link, id);
    return DescribeFlash(id, chip::FlashReadStatus(link));
}

}  // namespace

FlashPart ReadFlashPart(usb::QuorvexUsb& link) {
    const usb::OpenScope device(link);
    chip::IspMode(link, true);
    FlashPart part = IdentifyInIsp(link);
    chip::IspMode(link, false);
    return part;
}

FlashRead ReadFlashContent(usb::QuorvexUsb& link, std::uint32_t length,
                           flash::FlashProgress& progress, AfterRead after, SmallerPart smaller) {
    length = std::clamp<std::uint32_t>(length, 1, kMaxFlashReadLength);
    return ReadFlashWhile(
        link, length, length, [](std::span<const std::uint8_t>) { return true; }, progress, after,
        smaller);
}

FlashRead ReadFlashWhile(usb::QuorvexUsb& link, std::uint32_t window, std::uint32_t limit,
                         const std::function<bool(std::span<const std::uint8_t>)>& enough,
                         flash::FlashProgress& progress, AfterRead after, SmallerPart smaller) {
    FlashRead read;
    limit = std::clamp<std::uint32_t>(limit, 1, kMaxFlashReadLength);
    const usb::OpenScope device(link);
    chip::IspMode(link, true);
    read.part = IdentifyInIsp(link);
    // A part smaller than asked for would answer the rest from its start again.
    if (read.part.capacity != 0 && read.part.capacity < limit) {
        read.partTooSmall = smaller == SmallerPart::Refuse;
        limit = read.part.capacity;
    }
    // Only as large as the part can fill: up to 16 MiB when asked for a whole backup.
    std::vector<std::uint8_t> buffer(limit);
    std::uint32_t done = 0;
    read.ok = !read.partTooSmall;
    while (read.ok && done < limit) {
        const std::uint32_t end = std::min(limit, done + std::max<std::uint32_t>(window, 1));
        read.ok = flash::ReadBackRange(link, buffer, done, end - 1, progress);
        const bool erased = std::all_of(buffer.begin() + done, buffer.begin() + end,
                                        [](std::uint8_t b) { return b == 0xFF; });
        done = end;
        if (read.ok && (erased || enough(std::span(buffer.data(), done))))
            break;
    }
    if (after == AfterRead::LeaveIsp)
        chip::IspMode(link, false);
    if (read.ok) {
        buffer.resize(done);
        read.bytes = std::move(buffer);
    }
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
