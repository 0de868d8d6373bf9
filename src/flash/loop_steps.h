#pragma once

#include "flash/image_view.h"
#include "flash/operation_range.h"
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
};

enum class StepOutcome {
    Skipped,  // an earlier step of the run failed
    Passed,
    Failed,
};

// Runs `step` (BlankCheck, Program or Verify) unless `sequenceFailed` is set:
// its start text, the loop over the run's range, `sequenceFailed` := the
// loop's failure, and its success text when it passed. On failure `failure`,
// when given, receives where and why.
StepOutcome RunLoopStep(const LoopRun& run, UpdateStep step, FailurePoint* failure = nullptr);

}  // namespace flash
