#include "flash/changed_sectors.h"

#include <algorithm>
#include <array>
#include <string>

#include "flash/answer_watch.h"
#include "flash/flash_capacity.h"
#include "flash/flash_erase.h"
#include "flash/flash_progress.h"
#include "flash/flash_state.h"
#include "flash/flash_texts.h"
#include "flash/loop_steps.h"
#include "flash/range_loops.h"
#include "flash/weighted_progress.h"
#include "usb/quorvex_usb.h"

namespace flash {

namespace {

constexpr int kCompareAttempts = 3;
constexpr std::uint32_t kBootSector = 0;

// Where the compare, the sector work and the verify stand on the bar: the
// compare takes the share the full update's erase takes, the verify its own.
constexpr double kCompareShare = 0.2;
constexpr double kSectorWorkShare = 0.6;

// One block of the compare into `block`, with up to three attempts; empty
// when it was read, otherwise why not.
std::optional<std::string> ReadCompareBlock(usb::QuorvexUsb& link, std::uint64_t a,
                                            std::uint16_t count, std::uint8_t* block) {
    std::string why;
    for (int attempt = 0; attempt < kCompareAttempts; ++attempt) {
        if (link.StoppedAnswering())
            return std::string("the device stopped answering");
        if (chip::FlashReadBlock(link, static_cast<std::uint32_t>(a), count, block))
            return std::nullopt;
        why = "the block read failed: " + link.LastRequestError();
    }
    return why;
}

// The sector work of the run in the order it happens, each an erase or a
// program of one sector (the boot sector's program in two: its body, then its
// header page), to place it on the bar in a share that only rises.
struct SectorWork {
    WeightedProgress& weighted;
    std::size_t parts = 0;
    std::size_t done = 0;

    void Next() {
        const double width = kSectorWorkShare / static_cast<double>(parts);
        weighted.BeginShare(kCompareShare + width * static_cast<double>(done++), width);
    }
};

bool EraseOneSector(usb::QuorvexUsb& link, std::uint32_t sector, StepReporter& panel,
                    SectorWork& work, UpdateResult& result) {
    work.Next();
    panel.ShowStep(SectorEraseText(sector));
    if (EraseSectorAndWait(link, sector, work.weighted, [](int, std::uint8_t) {}))
        return true;
    result.failedStep = UpdateStep::Erase;
    result.failure = {sector, "the sector erase was not sent or did not finish"};
    return false;
}

// Programs `first` .. `end` (excluded) of the image, clipped to the image.
bool ProgramPart(usb::QuorvexUsb& link, const ImageView& image, const FlashState& state,
                 std::uint64_t first, std::uint64_t end, WeightedProgress& weighted,
                 UpdateResult& result) {
    end = std::min<std::uint64_t>(end, image.length);
    if (first >= end)
        return true;
    if (ProgramRange(link, image, 0, state.profile, first, end, weighted, &result.failure))
        return true;
    result.failedStep = UpdateStep::Program;
    return false;
}

// The boot sector goes in with its first page, which holds the boot header,
// last of all: until that page is written the chip finds no image to start.
bool ProgramOneSector(usb::QuorvexUsb& link, const ImageView& image, const FlashState& state,
                      std::uint32_t sector, StepReporter& panel, SectorWork& work,
                      UpdateResult& result) {
    work.Next();
    panel.ShowStep(StepStatusText(UpdateStep::Program));
    if (sector != kBootSector)
        return ProgramPart(link, image, state, sector, sector + kSectorSize, work.weighted, result);
    const std::uint32_t headerPage = state.profile.pageSize;
    if (!ProgramPart(link, image, state, headerPage, kSectorSize, work.weighted, result))
        return false;
    work.Next();
    return ProgramPart(link, image, state, 0, headerPage, work.weighted, result);
}

// Erase the boot sector, erase and program the others, program the boot
// sector; false at the first failure, recorded in `result`.
bool RewriteSectors(usb::QuorvexUsb& link, const ImageView& image, const FlashState& state,
                    const std::vector<std::uint32_t>& sectors, StepReporter& panel,
                    WeightedProgress& weighted, AnswerWatch& watch, UpdateResult& result) {
    SectorWork work{weighted, 2 * sectors.size() + 1};
    const auto erase = [&](std::uint32_t sector) {
        const bool erased = EraseOneSector(link, sector, panel, work, result);
        watch.After(UpdateStep::Erase);
        return erased;
    };
    const auto program = [&](std::uint32_t sector) {
        const bool programmed = ProgramOneSector(link, image, state, sector, panel, work, result);
        watch.After(UpdateStep::Program);
        return programmed;
    };
    if (!erase(sectors.front()))
        return false;
    for (std::size_t i = 1; i < sectors.size(); ++i) {
        if (!erase(sectors[i]) || !program(sectors[i]))
            return false;
    }
    return program(sectors.front());
}

}  // namespace

std::optional<std::vector<std::uint32_t>> FindChangedSectors(usb::QuorvexUsb& link,
                                                             const ImageView& image,
                                                             std::uint64_t last,
                                                             FlashProgress& progress,
                                                             FailurePoint* failure) {
    if (!RangeInsideFlash(last, progress))
        return std::nullopt;
    std::vector<std::uint32_t> changed;
    std::array<std::uint8_t, kWideReadBlockSize> block{};
    for (std::uint64_t a = 0; a <= last; a += kWideReadBlockSize) {
        progress.SetAddressText("Comparing Addr: 0x" + Hex6(static_cast<std::uint32_t>(a)));
        progress.SetShareDone(RangeShare(0, last, a));
        progress.PumpEvents();
        const auto count =
            static_cast<std::uint16_t>(std::min<std::uint64_t>(kWideReadBlockSize, last - a + 1));
        if (const auto why = ReadCompareBlock(link, a, count, block.data())) {
            if (failure != nullptr)
                *failure = {a, *why};
            return std::nullopt;
        }
        for (std::uint16_t i = 0; i < count; ++i) {
            const auto sector = static_cast<std::uint32_t>((a + i) / kSectorSize * kSectorSize);
            if ((changed.empty() || changed.back() != sector) &&
                block[i] != ImageByteAt(image.bytes, 0, a + i)) {
                changed.push_back(sector);
            }
        }
    }
    progress.SetShareDone(1.0);
    return changed;
}

std::vector<std::uint32_t> SectorsToRewrite(const std::vector<std::uint32_t>& changed) {
    if (changed.empty())
        return {};
    std::vector<std::uint32_t> sectors{kBootSector};
    for (const std::uint32_t sector : changed) {
        if (sector != kBootSector)
            sectors.push_back(sector);
    }
    return sectors;
}

void WriteChangedSectors(usb::QuorvexUsb& link, const ImageView& image, FlashState& state,
                         StepReporter& panel, WeightedProgress& weighted, AnswerWatch& watch,
                         UpdateResult& result) {
    panel.ShowStep(StepStatusText(UpdateStep::Compare));
    weighted.BeginShare(0.0, kCompareShare);
    const std::uint64_t last = LastAddressOnFlash(state.chipId, image.length);
    const auto changed = FindChangedSectors(link, image, last, weighted, &result.failure);
    watch.After(UpdateStep::Compare);
    if (!changed) {
        result.failedStep = UpdateStep::Compare;
        return;
    }
    if (changed->empty()) {
        result.alreadyUpToDate = true;
        panel.ShowStep("already up to date");
        return;
    }
    if (!RewriteSectors(link, image, state, SectorsToRewrite(*changed), panel, weighted, watch,
                        result)) {
        return;
    }
    weighted.BeginStep(UpdateStep::Verify);
    const LoopRun run{link,  image,    {0, image.length, 0}, state,
                      panel, weighted, kWideReadBlockSize};
    if (!RunLoopStep(run, UpdateStep::Verify, &result.failure))
        result.failedStep = UpdateStep::Verify;
    watch.After(UpdateStep::Verify);
}

}  // namespace flash
