#pragma once

#include <optional>
#include <string>

namespace flash {

// The steps of an update that can fail.
enum class UpdateStep {
    Erase,
    BlankCheck,
    Program,
    Verify,
};

// How a "Start" run ended. A run fails when `sequenceFailed` is set at its
// end; `failedStep` names the step that set it (empty only when something
// outside the run's own steps did).
struct UpdateResult {
    bool succeeded = false;
    std::optional<UpdateStep> failedStep;
};

// The status line a failed step leaves behind: "Erase Flash Fail",
// "Start Blanking Check", "Start Programming" or "Start Verifying Check".
const char* StepStatusText(UpdateStep step);

// The step as the user reads it in a sentence: "erasing the flash", "blank
// check", "programming", "verification".
const char* UpdateStepName(UpdateStep step);

// The plain failure message for the device panel, naming the step and
// telling the user to keep the device connected and press "Start" again.
std::string UpdateFailureMessage(const UpdateResult& result);

}  // namespace flash
