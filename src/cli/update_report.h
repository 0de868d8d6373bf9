#pragma once

#include <string>

#include "cli/outcome.h"
#include "product/listed_device.h"
#include "product/stoppable_update.h"

namespace cli {

class ProgressView;

// Turns the end of one update run into its outcome: exit code, the sentence
// for the user with what to do next, and the failing step, address and cause.
// The command it advises after a failure updates as `mode` did.
Outcome UpdateOutcomeFor(const product::UpdateOutcome& run, const ProgressView& progress,
                         const product::ListedDevice& device, const std::string& file,
                         flash::UpdateMode mode = flash::UpdateMode::Full);

// The one line per device that --all prints.
std::string SummaryLine(const product::ListedDevice& device, const Outcome& outcome);

}  // namespace cli
