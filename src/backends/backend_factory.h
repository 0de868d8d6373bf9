#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "backends/backend_options.h"
#include "usb/device_backend.h"

namespace usb {
class Clock;
class RequestTrace;
}  // namespace usb

namespace product {

struct BackendStart {
    // The clock the backend brought along (the simulated products on the
    // virtual clock), which the front end then runs on too; null: the
    // caller's clock. Declared first so that it outlives the backend.
    std::unique_ptr<usb::Clock> clock;
    // The clocks of the other simulated products on the virtual clock: each
    // keeps its own time, as separate boards do.
    std::vector<std::unique_ptr<usb::Clock>> productClocks;
    std::unique_ptr<usb::DeviceBackend> backend;  // null when it could not start
    std::string error;                            // why, for the user
    // The options asked for something this build cannot do (a usage error),
    // rather than the bus failing to start.
    bool optionRefused = false;
    // Keeps what must outlive the run (the simulated product's state file);
    // returns why it could not, or "". Empty when there is nothing to keep.
    std::function<std::string()> keep;
    // The clock the device at a location keeps its time by, when it has one
    // of its own (a simulated product); null: the caller's clock. Unset when
    // no device has one.
    std::function<usb::Clock*(const std::string& location)> clockAt;
    // A backend for one more device link that works beside the others (each
    // device of --all on a link of its own), sharing nothing with them but
    // the bus itself. Unset when the backend cannot serve links side by side.
    std::function<std::unique_ptr<usb::DeviceBackend>()> linkBackend;
    // With --replay: why the replay stopped the run (the trace line, what it
    // expected and what the tool sent), or "" while every request matched;
    // with `runOver`, also a recording that goes on past the run's last
    // request. Unset without --replay.
    std::function<std::string(bool runOver)> replayStop;
};

// The one place that chooses the backend: the simulated bus with the
// products of `options` plugged in, the device a trace recorded (--replay,
// on a clock of its own that does not wait), or the backend for real devices
// this build was made with (libusb on Linux, the Windows device calls on
// Windows). Front ends include no backend header. `errorLog`, when given, is
// the run's trace: it receives every listing of the bus (what a replay
// presents) and the real backend's failed calls.
BackendStart MakeBackend(const BackendOptions& options, usb::Clock& clock,
                         usb::RequestTrace* errorLog = nullptr);

// The one sentence the user reads when a device could not be opened, in the
// words of this build's real backend: it names what the user can mend on
// this system, so that no front end needs to know which system that is. A
// simulated device stands in for a real one here and reads the same.
std::string OpenFailureMessage(usb::OpenStatus status);

}  // namespace product
