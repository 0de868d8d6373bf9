#include "cli/session.h"

#include <algorithm>

#include "backends/backend_factory.h"
#include "cli/interrupts.h"
#include "cli/json_progress.h"
#include "cli/plain_progress.h"
#include "cli/quiet_progress.h"
#include "cli/terminal_progress.h"
#include "product/detection.h"
#include "product/device_listing.h"
#include "product/parameter_ops.h"
#include "usb/trace_format.h"
#include "version/version.h"

namespace cli {
namespace {

Outcome Refusal(int exitCode, std::string message) {
    Outcome outcome;
    outcome.exitCode = exitCode;
    outcome.message = std::move(message);
    return outcome;
}

std::string Names(const std::vector<product::ListedDevice>& devices) {
    std::string names;
    for (const product::ListedDevice& device : devices)
        names += (names.empty() ? "" : ", ") + device.location + " (" + device.displayName + ")";
    return names;
}

}  // namespace

Session::Session(Environment& environment, const CliOptions& options)
    : env_(environment), options_(options) {}

Session::~Session() = default;

std::optional<Outcome> Session::Start() {
    startUs_ = env_.clock.NowUs();
    if (options_.traceFile) {
        trace_ = std::make_unique<usb::FileTrace>(
            *options_.traceFile, usb::TraceVersionLine("palereed-flash", PALEREED_VERSION));
        if (!trace_->Error().empty())
            return Refusal(kExitUsage, "cannot write the trace file '" + *options_.traceFile +
                                           "': " + trace_->Error());
    }
    lines_ = trace_.get();
    if (options_.reportFile) {
        report_ = std::make_unique<product::ReportFile>(*options_.reportFile);
        if (!report_->Error().empty()) {
            const std::string reason = report_->Error();
            report_.reset();  // nothing more goes to it
            return Refusal(kExitUsage, "cannot write the report file '" + *options_.reportFile +
                                           "': " + reason);
        }
        ring_ = std::make_unique<usb::RingTrace>();
        ring_->BeginRun();  // the command is the one run its report tells of
        tee_ = std::make_unique<usb::TeeTrace>(ring_.get(), trace_.get());
        lines_ = tee_.get();
    }
    usb::DeviceBackend* backend = env_.backend;
    if (backend == nullptr) {
        product::BackendStart start = product::MakeBackend(options_.backend, env_.clock, lines_);
        if (!start.backend)
            return Refusal(start.optionRefused ? kExitUsage : kExitNoDevice, start.error);
        ownClock_ = std::move(start.clock);
        productClocks_ = std::move(start.productClocks);
        ownBackend_ = std::move(start.backend);
        keep_ = std::move(start.keep);
        clockAt_ = std::move(start.clockAt);
        linkBackend_ = std::move(start.linkBackend);
        replayStop_ = std::move(start.replayStop);
        backend = ownBackend_.get();
    }
    main_ = std::make_unique<DeviceLink>(*backend, Clock(), lines_);
    startUs_ = Clock().NowUs();
    return std::nullopt;
}

usb::Clock& Session::ClockOf(const product::ListedDevice& device) {
    usb::Clock* own = clockAt_ ? clockAt_(device.location) : nullptr;
    return own != nullptr ? *own : Clock();
}

std::unique_ptr<DeviceLink> Session::LinkFor(const product::ListedDevice& device) {
    std::unique_ptr<usb::DeviceBackend> backend = linkBackend_();
    if (!backend)
        return nullptr;
    return std::make_unique<DeviceLink>(std::move(backend), ClockOf(device), lines_);
}

std::optional<Outcome> Session::Finish() {
    if (!keep_)
        return std::nullopt;
    const std::string error = keep_();
    if (error.empty())
        return std::nullopt;
    return Refusal(kExitUsage, "the simulator state could not be saved: " + error);
}

std::vector<product::ListedDevice> Session::List() {
    return product::ListDevices(main_->Gate());
}

std::optional<Outcome> Session::Choose(product::ListedDevice& device) {
    if (!options_.wait)
        return ChooseNow(device);
    // Ctrl-C ends the wait; a run that follows counts its presses afresh.
    const InterruptGuard interrupts(main_->State());
    const std::uint64_t startUs = Clock().NowUs();
    for (;;) {
        bool worthWaiting = false;
        std::optional<Outcome> refused = ChooseNow(device, &worthWaiting);
        if (!refused || !worthWaiting)
            return refused;
        if (options_.waitSeconds &&
            Clock().NowUs() - startUs >= std::uint64_t{*options_.waitSeconds} * 1000000) {
            refused->message += " (waited " + std::to_string(*options_.waitSeconds) + " s)";
            return refused;
        }
        if (InterruptGuard::Count() > 0)
            return Refusal(kExitInterrupted, "interrupted while waiting for a device");
        Clock().SleepMs(kWaitPollMs);
    }
}

std::optional<Outcome> Session::ChooseNow(product::ListedDevice& device, bool* worthWaiting) {
    const std::vector<product::ListedDevice> devices = List();
    if (worthWaiting != nullptr)
        *worthWaiting = true;
    if (options_.serial)
        return ChooseBySerial(devices, device);
    if (options_.device) {
        const auto found = product::DeviceAt(devices, *options_.device);
        if (!found) {
            return Refusal(kExitNoDevice,
                           "no device at location '" + *options_.device + "'" +
                               (devices.empty() ? "" : "; present: " + Names(devices)));
        }
        device = *found;
        return std::nullopt;
    }
    if (devices.empty())
        return Refusal(kExitNoDevice, "no device found; connect a product and try again");
    if (devices.size() > 1) {
        if (worthWaiting != nullptr)
            *worthWaiting = false;
        return Refusal(kExitNoDevice, "several devices are connected: " + Names(devices) +
                                          "; choose one with --device LOCATION or --serial S");
    }
    device = devices.front();
    return std::nullopt;
}

// Locations change with the hub wiring; the serial string stays with the
// board. Only products running their firmware can say it.
std::optional<Outcome> Session::ChooseBySerial(const std::vector<product::ListedDevice>& devices,
                                               product::ListedDevice& device) {
    std::string seen;
    for (const product::ListedDevice& candidate : devices) {
        if (candidate.mode != product::DeviceMode::Normal || Aim(candidate))
            continue;
        const std::optional<std::string> serial = SerialOf(*main_, candidate);
        if (serial == options_.serial) {
            device = candidate;
            return std::nullopt;
        }
        seen += (seen.empty() ? "" : ", ") + candidate.location + " '" + serial.value_or("?") + "'";
    }
    return Refusal(kExitNoDevice, "no product with the serial '" + *options_.serial + "'" +
                                      (seen.empty() ? "" : "; present: " + seen));
}

std::optional<Outcome> Session::Aim(const product::ListedDevice& device) {
    // The time so far carries over to the clock of the device.
    usb::Clock& clock = ClockOf(device);
    const std::uint64_t soFarUs = main_->Clock().NowUs() - startUs_;
    main_->UseClock(clock);
    startUs_ = clock.NowUs() - std::min(soFarUs, clock.NowUs());
    if (auto refused = Aim(*main_, device))
        return refused;
    location_ = device.location;
    return std::nullopt;
}

std::optional<Outcome> Session::Aim(DeviceLink& link, const product::ListedDevice& device) {
    if (!device.MayBeOpened()) {
        const int code = device.openStatus == usb::OpenStatus::PermissionDenied ? kExitPermission
                                                                                : kExitNoDevice;
        return Refusal(code, product::OpenFailureMessage(device.openStatus));
    }
    if (!product::AimAt(link.Link(), device))
        return Refusal(kExitNoDevice, "the device at " + device.location + " has gone");
    return std::nullopt;
}

std::optional<std::string> Session::SerialOf(DeviceLink& link,
                                             const product::ListedDevice& device) {
    if (device.mode != product::DeviceMode::Normal)
        return std::nullopt;
    return product::ReadProductString(link.Link(), product::ProductString::SerialNumber);
}

void Session::Note(const std::string& line) {
    if (lines_ != nullptr)
        lines_->Line(line);
}

std::optional<Outcome> Session::Report(const Outcome& outcome) {
    if (!report_ || !ring_)
        return std::nullopt;
    ring_->EndRun();
    product::ReportHeader header;
    header.tool = std::string("palereed-flash ") + PALEREED_VERSION;
    header.product = outcome.unit.product.value_or("");
    header.flashPart = outcome.unit.flashPart.value_or("");
    header.file = outcome.unit.file.value_or("");
    header.sha256 = outcome.unit.sha256.value_or("");
    header.outcome = StatusName(outcome.exitCode);
    if (outcome.step)
        header.failure =
            product::FailurePlace{*outcome.step, outcome.address, outcome.cause.value_or("")};
    header.message = outcome.message;
    const std::string error = report_->Complete(header, ring_->LastRun(), ring_->LastRunDropped());
    if (error.empty())
        return std::nullopt;
    return Refusal(kExitUsage,
                   "the report file '" + *options_.reportFile + "' was not written: " + error);
}

std::unique_ptr<ProgressView> Session::MakeProgress() {
    if (options_.quiet)
        return std::make_unique<QuietProgress>(env_.out, main_->Clock());
    if (options_.json)
        return std::make_unique<JsonProgress>(env_.out, main_->Clock(), location_);
    // The details are a log to read afterwards: plain lines even on a terminal.
    if (env_.outIsTerminal && !options_.verbose)
        return std::make_unique<TerminalProgress>(env_.out, main_->Clock(), env_.terminalColumns);
    auto plain = std::make_unique<PlainProgress>(env_.out, main_->Clock());
    plain->ShowDetails(options_.verbose);
    return plain;
}

}  // namespace cli
