#include "flash/loop_steps.h"

#include "flash/flash_capacity.h"
#include "flash/flash_progress.h"
#include "flash/flash_state.h"
#include "flash/range_loops.h"

namespace flash {

namespace {

const char* SuccessText(UpdateStep step) {
    switch (step) {
        case UpdateStep::BlankCheck:
            return "Blanking Success";
        case UpdateStep::Program:
            return "Programming Success";
        default:
            return "Verifying Success";
    }
}

bool RunLoop(const LoopRun& run, UpdateStep step, FailurePoint* failure) {
    const OperationRange& r = run.range;
    switch (step) {
        case UpdateStep::BlankCheck:
            return BlankCheckRange(run.link, r.first, LastAddressOnFlash(run.state.chipId, r.end),
                                   run.progress, failure);
        case UpdateStep::Program:
            return ProgramRange(run.link, run.image, r.imageBase, run.state.profile, r.first, r.end,
                                run.progress, failure);
        case UpdateStep::Verify:
            return VerifyRange(run.link, run.image, r.imageBase, r.first,
                               LastAddressOnFlash(run.state.chipId, r.end), run.progress, failure,
                               run.verifyBlockSize);
        default:
            break;
    }
    return false;
}

}  // namespace

bool RunLoopStep(const LoopRun& run, UpdateStep step, FailurePoint* failure) {
    run.reporter.ShowStep(StepStatusText(step));
    if (!RunLoop(run, step, failure))
        return false;
    run.reporter.ShowStep(SuccessText(step));
    return true;
}

}  // namespace flash
