#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/environment.h"
#include "cli/outcome.h"
#include "product/gated_clock.h"
#include "product/listed_device.h"
#include "product/run_state.h"
#include "product/stop_gate.h"
#include "usb/quorvex_usb.h"
#include "usb/request_trace.h"

namespace cli {

class ProgressView;

// Everything one command works with: the backend, the stop gate and gated
// clock under the device link, the link itself, the trace and the run state;
// and the choice of the device to work on.
class Session {
public:
    Session(Environment& environment, const CliOptions& options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Opens the trace and the backend; on failure the outcome says why. A
    // trace that cannot be written is refused here, before any request.
    std::optional<Outcome> Start();
    // After the command: keeps what must outlive the run (the simulated
    // product's state file); the outcome when that failed.
    std::optional<Outcome> Finish();

    // The devices present now.
    std::vector<product::ListedDevice> List();
    // The device --device names, or the only one present; else the outcome.
    std::optional<Outcome> Choose(product::ListedDevice& device);
    // Aims the link at the device after checking that it may be opened.
    std::optional<Outcome> Aim(const product::ListedDevice& device);

    // The serial string of the product the link is aimed at, asked of its
    // firmware; nothing for the bare chip or a product that does not answer.
    std::optional<std::string> SerialOf(const product::ListedDevice& device);

    // One line in the --trace file, when there is one.
    void Note(const std::string& line);

    // The progress display the options and the terminal call for.
    std::unique_ptr<ProgressView> MakeProgress();

    Environment& Env() { return env_; }
    const CliOptions& Options() const { return options_; }
    usb::QuorvexUsb& Link() { return *link_; }
    product::StopGate& Gate() { return *gate_; }
    product::RunState& State() { return state_; }
    // The clock the run goes by: the process's, or the simulated products'
    // virtual clock.
    usb::Clock& Clock() { return ownClock_ ? *ownClock_ : env_.clock; }
    // Milliseconds since Start() on that clock.
    std::uint64_t RunMs() { return (Clock().NowUs() - startUs_) / 1000; }

private:
    Environment& env_;
    const CliOptions& options_;
    std::unique_ptr<usb::FileTrace> trace_;
    std::unique_ptr<usb::Clock> ownClock_;
    std::unique_ptr<usb::DeviceBackend> ownBackend_;
    std::function<std::string()> keep_;
    product::RunState state_;
    std::unique_ptr<product::StopGate> gate_;
    std::unique_ptr<product::GatedClock> clock_;
    std::unique_ptr<usb::QuorvexUsb> link_;
    std::uint64_t startUs_ = 0;
    std::string location_;  // of the device the link is aimed at
};

}  // namespace cli
