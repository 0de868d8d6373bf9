#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backends/backend_factory.h"
#include "cli/cli_options.h"
#include "cli/device_link.h"
#include "cli/environment.h"
#include "cli/outcome.h"
#include "product/listed_device.h"
#include "product/run_report.h"
#include "usb/request_trace.h"
#include "usb/ring_trace.h"
#include "usb/tee_trace.h"

namespace cli {

class ProgressView;

// Everything one command works with: the backend, the session's own device
// link (with its stop gate, clock and run state), the trace; the choice of
// the device to work on; and links of their own for devices worked on side
// by side.
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
    // With --replay, after the command: why the replay stopped it, or "".
    std::string ReplayStop() const { return replayStop_ ? replayStop_(true) : std::string(); }

    // The devices present now.
    std::vector<product::ListedDevice> List();
    // The device --device or --serial names, or the only one present; else
    // the outcome. With --wait, waits until there is one (or the time runs
    // out, or Ctrl-C).
    std::optional<Outcome> Choose(product::ListedDevice& device);
    // How often a wait looks at the bus.
    static constexpr std::uint32_t kWaitPollMs = 250;
    // Aims the session's link at the device after checking that it may be
    // opened; the link then goes by the device's clock.
    std::optional<Outcome> Aim(const product::ListedDevice& device);
    std::optional<Outcome> Aim(DeviceLink& link, const product::ListedDevice& device);

    // Whether devices can be worked on side by side, each on a link of its
    // own: the backend can give each link its own, and was not handed in
    // by the caller.
    bool SideBySide() const { return static_cast<bool>(linkBackend_) && env_.backend == nullptr; }
    // A link of its own for the device, on a backend of its own and the
    // device's clock; only when SideBySide(). Null when no backend starts.
    std::unique_ptr<DeviceLink> LinkFor(const product::ListedDevice& device);
    // The requests a link of its own sent, for the run's count.
    void AddRequests(std::uint64_t requests) { sideRequests_ += requests; }
    // Every device request of the command, probes aside.
    std::uint64_t RequestsPassed() { return main_->Gate().RequestsPassed() + sideRequests_; }

    // The serial string of the product `link` is aimed at, asked of its
    // firmware; nothing for the bare chip or a product that does not answer.
    static std::optional<std::string> SerialOf(DeviceLink& link,
                                               const product::ListedDevice& device);

    // One line in the --trace file, when there is one.
    void Note(const std::string& line);
    // Completes the --report file, when there is one, with the command's
    // requests under a header drawn from its outcome; the outcome when it
    // could not be written.
    std::optional<Outcome> Report(const Outcome& outcome);

    // The progress display the options and the terminal call for, on the
    // session's link.
    std::unique_ptr<ProgressView> MakeProgress();

    Environment& Env() { return env_; }
    const CliOptions& Options() const { return options_; }
    DeviceLink& MainLink() { return *main_; }
    usb::QuorvexUsb& Link() { return main_->Link(); }
    product::StopGate& Gate() { return main_->Gate(); }
    product::RunState& State() { return main_->State(); }
    // The clock the run goes by: the process's, or the simulated products'
    // virtual clock.
    usb::Clock& Clock() { return ownClock_ ? *ownClock_ : env_.clock; }
    // Milliseconds since Start() on the clock the session's link goes by.
    std::uint64_t RunMs() { return (RunClock().NowUs() - startUs_) / 1000; }

private:
    // `worthWaiting`: whether the refusal may change as devices come
    // (false for several devices and no choice among them).
    std::optional<Outcome> ChooseNow(product::ListedDevice& device, bool* worthWaiting = nullptr);
    std::optional<Outcome> ChooseBySerial(const std::vector<product::ListedDevice>& devices,
                                          product::ListedDevice& device);
    usb::Clock& RunClock() { return main_ ? main_->Clock() : Clock(); }
    usb::Clock& ClockOf(const product::ListedDevice& device);

    Environment& env_;
    const CliOptions& options_;
    std::unique_ptr<usb::FileTrace> trace_;
    // With --report: the command's requests in memory, and the file they go to.
    std::unique_ptr<product::ReportFile> report_;
    std::unique_ptr<usb::RingTrace> ring_;
    std::unique_ptr<usb::TeeTrace> tee_;
    usb::RequestTrace* lines_ = nullptr;  // where the link's lines go: file, memory, both or none
    std::unique_ptr<usb::Clock> ownClock_;
    std::vector<std::unique_ptr<usb::Clock>> productClocks_;
    std::unique_ptr<usb::DeviceBackend> ownBackend_;
    std::function<std::string()> keep_;
    std::function<usb::Clock*(const std::string&)> clockAt_;
    std::function<std::unique_ptr<usb::DeviceBackend>()> linkBackend_;
    std::function<std::string(bool)> replayStop_;
    std::unique_ptr<DeviceLink> main_;
    std::atomic<std::uint64_t> sideRequests_{0};
    std::uint64_t startUs_ = 0;
    std::string location_;  // of the device the session's link is aimed at
};

}  // namespace cli
