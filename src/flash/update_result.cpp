#include "flash/update_result.h"

#include "flash/flash_texts.h"

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
        case UpdateStep::Identify:
            return "Flash not identified";
        case UpdateStep::CheckSize:
            return "Update file too large";
        case UpdateStep::ClearStatus:
            return "Clear Status register Fail";
        case UpdateStep::Protect:
            return "Flash protection Fail";
        case UpdateStep::Compare:
            return "Start Comparing";
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
        case UpdateStep::Identify:
            return "identification";
        case UpdateStep::CheckSize:
            return "size check";
        case UpdateStep::ClearStatus:
            return "clearing the status register";
        case UpdateStep::Protect:
            return "setting the flash protection";
        case UpdateStep::Compare:
            return "comparison";
    }
    return "";
}

namespace {

constexpr const char* kWrittenButHead = "The firmware is written and verified, but ";

const char* StepWord(UpdateStep step) {
    switch (step) {
        case UpdateStep::Erase:
            return "erase";
        case UpdateStep::BlankCheck:
            return "blank check";
        case UpdateStep::Program:
            return "program";
        case UpdateStep::Verify:
            return "verify";
        case UpdateStep::Identify:
            return "identification";
        case UpdateStep::CheckSize:
            return "size check";
        case UpdateStep::ClearStatus:
            return "status clear";
        case UpdateStep::Compare:
            return "compare";
        case UpdateStep::Protect:
            break;
    }
    return "protection";
}

}  // namespace

std::string StoppedAnsweringText(UpdateStep step) {
    return std::string("The device stopped answering at the ") + StepWord(step) + " step";
}

bool StopsBeforeErase(UpdateStep step) {
    return step == UpdateStep::Identify || step == UpdateStep::CheckSize ||
           step == UpdateStep::ClearStatus;
}

std::string StopText(UpdateStep step, const FailurePoint& failure) {
    // The size refusal is a whole sentence of its own.
    if (step == UpdateStep::CheckSize)
        return failure.cause;
    return "Stopped: " + failure.cause + "; nothing was changed";
}

std::string UpdateFailureMessage(const UpdateResult& result) {
    if (result.stoppedAnswering && result.failedStep) {
        return StoppedAnsweringText(*result.failedStep) +
               ". Keep the device connected, unplug it and plug it in again if it does not "
               "reappear, and press \"Start\" again.";
    }
    if (result.failedStep && StopsBeforeErase(*result.failedStep)) {
        const UpdateStep step = *result.failedStep;
        std::string text = StopText(step, result.failure);
        if (step == UpdateStep::Identify)
            text += ". Unplug the device, plug it in again and press \"Start\".";
        else if (step == UpdateStep::ClearStatus)
            text += ".";
        return text;
    }
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

std::string FailureCause(const UpdateResult& result) {
    if (result.stoppedAnswering && result.failedStep)
        return StoppedAnsweringText(*result.failedStep);
    if (!result.failure.address)
        return result.failure.cause;
    return "address 0x" + Hex6(static_cast<std::uint32_t>(*result.failure.address)) + ": " +
           result.failure.cause;
}

std::string UpdateSuccessNote(const UpdateResult& result) {
    if (!result.protectionNotSet)
        return {};
    return std::string(kWrittenButHead) + "the flash protection could not be set";
}

bool NotRestarted(const UpdateResult& result) {
    return result.succeeded && result.deviceNotBack;
}

std::string NotRestartedMessage(const UpdateResult& result) {
    std::string text =
        std::string(kWrittenButHead) + "the device did not restart: unplug it and plug it in again";
    if (const std::string note = UpdateSuccessNote(result); !note.empty())
        text += "\n" + note;
    return text;
}

}  // namespace flash
