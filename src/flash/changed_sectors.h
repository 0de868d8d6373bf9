#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "chip/flash_commands.h"
#include "flash/range.h"
#include "flash/update_result.h"

namespace usb {
class QuorvexUsb;
}

namespace flash {

class AnswerWatch;
class FlashProgress;
class StepReporter;
class WeightedProgress;
struct FlashState;

// Bytes one read of a changed-only update takes, in its compare and its
// verify: as many as one fetch carries, so reading costs a quarter of the
// requests that 64-byte blocks do. The read is what such a run pays even
// when nothing has changed.
inline constexpr std::uint32_t kWideReadBlockSize = chip::kMaxFetchLength;

// What the flash holds against the image over 0 .. `last` (included, the
// verify's range): the start addresses, ascending, of the 4 KiB sectors with
// a byte that differs. Each block gets three attempts; when one cannot be
// read (or the device stopped answering) the result is empty and `failure`
// says where and why.
std::optional<std::vector<std::uint32_t>> FindChangedSectors(usb::QuorvexUsb& link,
                                                             const ImageView& image,
                                                             std::uint64_t last,
                                                             FlashProgress& progress,
                                                             FailurePoint* failure);

// The sectors a changed-only update rewrites, in the order they are erased:
// the boot sector (address 0, where the image starts and the chip reads its
// boot header) first whenever any sector changed, changed or not, then the
// others ascending. The boot sector is written last, its first page at the
// very end, so a run cut anywhere leaves either the old image whole or no
// boot header: never a mix of old and new that the chip would start.
std::vector<std::uint32_t> SectorsToRewrite(const std::vector<std::uint32_t>& changed);

// The part of a changed-only update that changes the flash, on an open
// device whose flash is identified, checked for size and unprotected:
// compare, then erase and program the sectors to rewrite in the safe order,
// then verify the whole image as the full update does. An identical image
// ends after the compare with "already up to date" on `panel` and
// `alreadyUpToDate` set, having sent no erase. The first failure is recorded
// in `result` and ends the part; the caller's cleanup runs either way.
void WriteChangedSectors(usb::QuorvexUsb& link, const ImageView& image, FlashState& state,
                         StepReporter& panel, WeightedProgress& weighted, AnswerWatch& watch,
                         UpdateResult& result);

}  // namespace flash
