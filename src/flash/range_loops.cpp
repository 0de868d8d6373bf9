#include "flash/range_loops.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "chip/flash_commands.h"
#include "chip/registers.h"
#include "flash/block_check.h"
#include "flash/flash_profile.h"
#include "flash/flash_progress.h"
#include "flash/flash_status.h"
#include "flash/flash_texts.h"
#include "usb/quorvex_usb.h"

namespace flash {

namespace {

constexpr std::size_t kMaxPageSize = 256;
constexpr int kReadyQueriesAfterPage = 10;
constexpr std::uint32_t kReadyPauseMs = 1;
// As WaitNotBusy: far beyond the 3 ms a page takes at most.
constexpr int kNotBusyReadsAfterLastPage = 101;
// Bit 6 of the SST part's status: still in auto-address-increment mode.
constexpr std::uint8_t kStatusWordMode = 0x40;
constexpr const char* kStoppedAnswering = "the device stopped answering";

// The pages of one run: where the image bytes come from and how big a page is.
struct PageSource {
    const ImageView& image;
    std::uint64_t imageBase;
    std::uint16_t pageSize;
};

using Page = std::array<std::uint8_t, kMaxPageSize>;

// Copies the page at `a`; true when it holds anything but erased bytes.
bool CopyPage(const PageSource& source, std::uint64_t a, Page& page) {
    for (std::uint16_t i = 0; i < source.pageSize; ++i) {
        page[i] = ImageByteAt(source.image.bytes, source.imageBase, a + i);
    }
    return std::any_of(page.begin(), page.begin() + source.pageSize,
                       [](std::uint8_t byte) { return byte != 0xFF; });
}

void ShowPage(FlashProgress& progress, std::uint64_t first, std::uint64_t end, std::uint64_t a) {
    progress.SetAddressText("0x" + Hex6(static_cast<std::uint32_t>(a)));
    progress.SetShareDone(RangeShare(first, end - 1, a));
    progress.PumpEvents();
}

// The AAI flash takes write enable for every page, written or not, and ends
// each page's word sequence with write disable.
std::optional<FailurePoint> ProgramWords(usb::QuorvexUsb& link, const PageSource& source,
                                         std::uint64_t first, std::uint64_t end,
                                         FlashProgress& progress) {
    const bool ready = WaitNotBusy(link);
    Page page{};
    for (std::uint64_t a = first; a < end; a += source.pageSize) {
        if (link.StoppedAnswering())
            return FailurePoint{a, kStoppedAnswering};
        ShowPage(progress, first, end, a);
        chip::FlashWriteEnable(link);
        if (!CopyPage(source, a, page))
            continue;
        if (!ready)
            return FailurePoint{a, "the flash stayed busy before programming"};
        const bool sent = chip::FlashWordProgram(link, static_cast<std::uint32_t>(a),
                                                 source.pageSize, page.data());
        // Sent also after a failed word, so that the part leaves its word mode.
        chip::FlashWriteDisable(link);
        if (!sent)
            return FailurePoint{a, "a word program request failed: " + link.LastRequestError()};
    }
    if (!ready)
        return FailurePoint{first, "the flash stayed busy before programming"};
    return std::nullopt;
}

// Gives the flash time to take the page; how the wait ends is not examined,
// because the next page waits for a not-busy flash anyway.
void AwaitPageTaken(usb::QuorvexUsb& link) {
    for (int n = 0; n < kReadyQueriesAfterPage; ++n) {
        link.SleepMs(kReadyPauseMs);
        if (chip::FlashReady(link))
            return;
    }
}

std::optional<FailurePoint> ProgramPages(usb::QuorvexUsb& link, const PageSource& source,
                                         std::uint64_t first, std::uint64_t end,
                                         FlashProgress& progress) {
    Page page{};
    for (std::uint64_t a = first; a < end; a += source.pageSize) {
        if (link.StoppedAnswering())
            return FailurePoint{a, kStoppedAnswering};
        if (!CopyPage(source, a, page))
            continue;
        const bool ready = WaitNotBusy(link);
        chip::FlashWriteEnable(link);
        ShowPage(progress, first, end, a);
        if (!ready)
            return FailurePoint{a, "the flash stayed busy before the page"};
        if (!chip::FlashPageProgram(link, static_cast<std::uint32_t>(a), source.pageSize,
                                    page.data())) {
            return FailurePoint{a, "the page program request failed: " + link.LastRequestError()};
        }
        AwaitPageTaken(link);
    }
    return std::nullopt;
}

// The last page may still be programming (up to 3 ms on 256-byte-page
// parts), and a part that is busy ignores the reads of the verify. The word
// programming part must also have left its word mode: until then it ignores
// every other instruction.
std::optional<FailurePoint> AwaitLastPage(usb::QuorvexUsb& link, const FlashProfile& profile,
                                          std::uint64_t end) {
    const std::optional<std::uint8_t> status =
        ReadIdleStatus(link, kNotBusyReadsAfterLastPage, kReadyPauseMs);
    if (!status)
        return FailurePoint{end, "the flash stayed busy after the last page"};
    if (profile.wordProgram && (*status & kStatusWordMode) != 0)
        return FailurePoint{end, "the flash stayed in word-programming mode"};
    return std::nullopt;
}

}  // namespace

bool ProgramRange(usb::QuorvexUsb& link, const ImageView& image, std::uint64_t imageBase,
                  const FlashProfile& profile, std::uint64_t first, std::uint64_t end,
                  FlashProgress& progress, FailurePoint* failure) {
    if (!RangeInsideFlash(end, progress))
        return false;
    if (profile.pageSize == 0 || profile.pageSize > kMaxPageSize)
        return false;
    const PageSource source{image, imageBase, profile.pageSize};
    std::optional<FailurePoint> failed = profile.wordProgram
                                             ? ProgramWords(link, source, first, end, progress)
                                             : ProgramPages(link, source, first, end, progress);
    if (!failed)
        failed = AwaitLastPage(link, profile, end);
    if (failed) {
        if (failure != nullptr)
            *failure = *failed;
        return false;
    }
    progress.SetShareDone(1.0);
    return true;
}

bool BlankCheckRange(usb::QuorvexUsb& link, std::uint64_t first, std::uint64_t last,
                     FlashProgress& progress, FailurePoint* failure) {
    const BlockCheck check{[](std::uint64_t) { return kErasedByte; },
                           {"Blanking Addr: 0x", "Blanking Fail at 0x"}};
    return CheckBlocks(link, check, first, last, progress, failure);
}

bool VerifyRange(usb::QuorvexUsb& link, const ImageView& image, std::uint64_t imageBase,
                 std::uint64_t first, std::uint64_t last, FlashProgress& progress,
                 FailurePoint* failure, std::uint32_t blockSize) {
    const BlockCheck check{
        [&image, imageBase](std::uint64_t a) { return ImageByteAt(image.bytes, imageBase, a); },
        {"Verifying Addr: 0x", "Verifying Fail at 0x"},
        blockSize};
    return CheckBlocks(link, check, first, last, progress, failure);
}

}  // namespace flash
