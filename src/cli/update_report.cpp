#include "cli/update_report.h"

#include <cstdio>

#include "cli/progress_view.h"
#include "flash/update_result.h"

namespace cli {
namespace {

// A changed-only run cut off is taken up by the same again: its compare finds
// the sectors it left erased or half written, and the boot sector.
std::string RecoveryHint(const product::ListedDevice& device, const std::string& file,
                         flash::UpdateMode mode) {
    return "Keep it connected and run: palereed-flash update '" + file + "' --device " +
           device.location + (mode == flash::UpdateMode::ChangedOnly ? " --changed-only" : "");
}

std::string Seconds(std::uint64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000.0);
    return text;
}

void Stopped(const product::UpdateOutcome& run, const product::ListedDevice& device,
             const std::string& file, flash::UpdateMode mode, Outcome& outcome) {
    outcome.exitCode = kExitInterrupted;
    outcome.cause = "interrupted";
    if (run.result.failedStep)
        outcome.step = flash::UpdateStepName(*run.result.failedStep);
    if (!run.eraseSent) {
        outcome.message =
            "Update stopped before the flash was erased; the device keeps its "
            "firmware.";
        return;
    }
    outcome.message = "Update stopped; the device waits in ISP mode for its firmware. " +
                      RecoveryHint(device, file, mode);
}

// Nothing was erased: the device keeps the firmware it had. A file too large
// for the flash is the file's fault, and running the same command again would
// only be refused again.
void StoppedBeforeErase(const flash::UpdateResult& result, Outcome& outcome) {
    const flash::UpdateStep step = *result.failedStep;
    outcome.step = flash::UpdateStepName(step);
    outcome.cause = result.failure.cause;
    outcome.message = flash::StopText(step, result.failure);
    if (step == flash::UpdateStep::CheckSize) {
        outcome.exitCode = kExitFileRefused;
        return;
    }
    outcome.exitCode = kExitFailed;
    outcome.message += step == flash::UpdateStep::Identify
                           ? ". Unplug the device, plug it in again and run the same command."
                           : ". The device keeps its firmware.";
}

void Failed(const product::UpdateOutcome& run, const product::ListedDevice& device,
            const std::string& file, flash::UpdateMode mode, Outcome& outcome) {
    if (run.result.failedStep && flash::StopsBeforeErase(*run.result.failedStep)) {
        StoppedBeforeErase(run.result, outcome);
        return;
    }
    outcome.exitCode = kExitFailed;
    std::string where = "Firmware update failed";
    const flash::UpdateResult& result = run.result;
    if (result.failedStep) {
        const flash::UpdateStep step = *result.failedStep;
        outcome.step = flash::UpdateStepName(step);
        outcome.cause = flash::FailureCause(result);
        if (result.failure.address)
            outcome.address = static_cast<std::uint32_t>(*result.failure.address);
        where += step == flash::UpdateStep::Erase ? " while " : " at the ";
        where += flash::UpdateStepName(step);
        where += step == flash::UpdateStep::Erase ? "" : " step";
        where += " (" + *outcome.cause + ")";
        if (result.stoppedAnswering)
            where = *outcome.cause;
    }
    outcome.message =
        where + ". The device may be left waiting in ISP mode. " + RecoveryHint(device, file, mode);
}

}  // namespace

Outcome UpdateOutcomeFor(const product::UpdateOutcome& run, const ProgressView& progress,
                         const product::ListedDevice& device, const std::string& file,
                         flash::UpdateMode mode) {
    Outcome outcome;
    outcome.durationMs = progress.ElapsedMs();
    outcome.requests = run.requests;
    if (!run.started) {
        outcome.exitCode = kExitFailed;
        outcome.message = "the device link is busy";
    } else if (run.stopped) {
        Stopped(run, device, file, mode, outcome);
    } else if (!run.result.succeeded) {
        Failed(run, device, file, mode, outcome);
    } else if (flash::NotRestarted(run.result)) {
        outcome.exitCode = kExitNotRestarted;
        outcome.message = flash::NotRestartedMessage(run.result) + " (" + device.displayName +
                          " at " + device.location + ")";
    } else {
        const std::string where = " (" + device.displayName + " at " + device.location + ", " +
                                  Seconds(outcome.durationMs) + ")";
        outcome.message =
            run.result.alreadyUpToDate
                ? "Firmware already up to date: the flash holds this file, nothing was written" +
                      where
                : "Firmware update success!" + where;
        // A closing step that did not work out is said beside the success.
        if (const std::string note = flash::UpdateSuccessNote(run.result); !note.empty())
            outcome.message += "\n" + note;
    }
    return outcome;
}

std::string SummaryLine(const product::ListedDevice& device, const Outcome& outcome) {
    std::string line =
        device.location + " " + device.displayName + ": " + StatusName(outcome.exitCode);
    if (outcome.exitCode == kExitDone)
        return line + " in " + Seconds(outcome.durationMs);
    return line + " - " + outcome.message;
}

}  // namespace cli
