#include "flash/update_result.h"

namespace flash {

const char* StepStatusText(UpdateStep step) {
    switch (step) {
        case UpdateStep::Erase:
            return "Erase Flash Fail";
        case UpdateStep::BlankCheck:
            return "Start Blanking Check";
        case UpdateStep::Program:
            return "Start Programming";
        case UpdateStep::Verify:
            return "Start Verifying Check";
    }
    return "";
}

const char* UpdateStepName(UpdateStep step) {
    switch (step) {
        case UpdateStep::Erase:
            return "erasing the flash";
        case UpdateStep::BlankCheck:
            return "blank check";
        case UpdateStep::Program:
            return "programming";
        case UpdateStep::Verify:
            return "verification";
    }
    return "";
}

std::string UpdateFailureMessage(const UpdateResult& result) {
    std::string text = "Firmware update failed";
    if (result.failedStep) {
        const UpdateStep step = *result.failedStep;
        text += step == UpdateStep::Erase ? " while " : " at the ";
        text += UpdateStepName(step);
        if (step != UpdateStep::Erase)
            text += " step";
    }
    return text + ". Keep the device connected and press \"Start\" again.";
}

}  // namespace flash
