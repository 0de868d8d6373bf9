#pragma once

#include "flash/block_retry.h"
#include "flash/range.h"
#include "flash/update_result.h"

namespace usb {
class QuorvexUsb;
}

namespace flash {

class FlashProgress;
class StepReporter;
struct FlashState;

// What the blank check, program and verify steps of an update run share.
struct LoopRun {
    usb::QuorvexUsb& link;
    const ImageView& image;
    OperationRange range;
    FlashState& state;
    StepReporter& reporter;   // the run's step texts
    FlashProgress& progress;  // the loops' own texts and shares
    // Bytes each read of the verify takes (1 to 255).
    std::uint32_t verifyBlockSize = kReadBlockSize;
};

// Runs `step` (BlankCheck, Program or Verify): its start text, the loop over
// the run's range, and its success text when it passed. False when the loop
// failed; `failure`, when given, then receives where and why. Whether a
// later step runs is the caller's: an update stops at its first failure.
bool RunLoopStep(const LoopRun& run, UpdateStep step, FailurePoint* failure = nullptr);

}  // namespace flash
