#pragma once

#include <cstdint>

#include "flash/range.h"
#include "flash/simple_update.h"
#include "flash/update_result.h"

namespace usb {
class QuorvexUsb;
}
namespace flash {
class FlashProgress;
class StepReporter;
struct FlashState;
}  // namespace flash

namespace product {

class RunState;
class StopGate;

struct UpdateOutcome {
    bool started = false;  // false: the link was busy, nothing was sent
    flash::UpdateResult result;
    bool stopped = false;    // a stop was asked during the run and honoured
    bool eraseSent = false;  // an erase instruction reached the flash
    bool leftIsp = false;    // after a stop before any erase, ISP mode was left
    std::uint64_t requests = 0;
};

// The one-button update ("Start") under the run state: holds the link for
// the run, clears the earlier failure, and runs the same steps with the same
// checks. `link` must be built on `gate` (and a GatedClock on it), so that a
// stop asked through `state` takes effect at the next request. After a stop
// the chip is sent out of ISP mode only when nothing was erased yet; with an
// erased flash it stays waiting in ISP mode for a new update. A run that
// starts already stopped (RunState::AskStopForGood) sends nothing at all.
// `mode` says whether the whole flash is written or only what changed.
UpdateOutcome RunStoppableUpdate(usb::QuorvexUsb& link, StopGate& gate, RunState& state,
                                 const flash::ImageView& image, flash::FlashState& flashState,
                                 flash::StepReporter& panel, flash::FlashProgress& progress,
                                 flash::UpdateMode mode = flash::UpdateMode::Full);

}  // namespace product
