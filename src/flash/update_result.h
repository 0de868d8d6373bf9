#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace flash {

// The steps of an update that can fail. The first four share the progress
// bar in this order; the checks after them come before anything is erased.
enum class UpdateStep {
    Erase,
    BlankCheck,
    Program,
    Verify,
    Identify,     // write disable and chip ID: the flash must be known
    CheckSize,    // the image (or range) must fit the identified flash
    ClearStatus,  // the block protection must come off before the erase
    Protect,      // the protection write after the verify
    Compare,      // the read that finds the sectors an update writes (changed-only)
};

// Where and why a step failed: the flash address when the step works on one
// (the block or page), and a short cause in plain words.
struct FailurePoint {
    std::optional<std::uint64_t> address;
    std::string cause;
};

// How a "Start" run ended: the run stops at its first failed step, which
// `failedStep` names with where and why in `failure`. A run that succeeded may still carry a
// closing step that did not work out; the window says so beside the success.
struct UpdateResult {
    bool succeeded = false;
    std::optional<UpdateStep> failedStep;
    FailurePoint failure;
    bool protectionNotSet = false;  // the status read back after the protection write disagreed
    bool deviceNotBack = false;     // the product did not come back after leaving ISP mode
    // The device failed three requests in a row during `failedStep`, and the
    // run stopped there instead of polling it to the end of every loop.
    bool stoppedAnswering = false;
    // A changed-only run found the flash already holding the image: it
    // erased and wrote nothing.
    bool alreadyUpToDate = false;
};

// The status line a failed step leaves behind: "Erase Flash Fail",
// "Start Blanking Check", "Start Programming" or "Start Verifying Check";
// for the checks before the erase a short name of the check (the run itself
// shows StopText there).
const char* StepStatusText(UpdateStep step);

// The step as the user reads it in a sentence: "erasing the flash", "blank
// check", "programming", "verification", "identification", "size check",
// "clearing the status register", "comparison".
const char* UpdateStepName(UpdateStep step);

// "The device stopped answering at the verify step": the step by the word
// the user knows it by (erase, blank check, program, verify, identification,
// status clear, protection).
std::string StoppedAnsweringText(UpdateStep step);

// True for the checks that stop a run before anything is erased.
bool StopsBeforeErase(UpdateStep step);

// The text that says why a run stopped before erasing:
// "Stopped: flash not identified (chip ID FF FF FF); nothing was changed", or
// the size refusal itself.
std::string StopText(UpdateStep step, const FailurePoint& failure);

// The plain failure message for the device panel, naming the step and
// telling the user what to do next.
std::string UpdateFailureMessage(const UpdateResult& result);

// Why the run failed, with the address where a loop failed:
// "address 0x000040: reads 0x00, expected 0x5C", "the chip erase was not sent
// or did not finish", "The device stopped answering at the verify step".
std::string FailureCause(const UpdateResult& result);

// What to say beside the success when the protection write did not work
// out, or "" when it did: "The firmware is written and verified, but the
// flash protection could not be set".
std::string UpdateSuccessNote(const UpdateResult& result);

// A run whose image is written and verified but whose product did not come
// back is no success: the user has a device that does not work yet.
bool NotRestarted(const UpdateResult& result);

// What such a run says: "The firmware is written and verified, but the device
// did not restart: unplug it and plug it in again", with the protection note
// on a line of its own when that did not work out either.
std::string NotRestartedMessage(const UpdateResult& result);

}  // namespace flash
