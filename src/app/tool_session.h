#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/launch_options.h"
#include "backends/backend_factory.h"
#include "product/run_state.h"
#include "usb/clock.h"

namespace usb {
class FileTrace;
class QuorvexUsb;
class RequestTrace;
}  // namespace usb
namespace pages {
struct ProgramValues;
struct PageContext;
}  // namespace pages
namespace product {
struct GatedLink;
}

namespace app {

// A start-up failure of the options' own making (a simulator state file that
// does not load): a usage error, as on the command line.
class LaunchUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The program-wide values of one run of the window, in the order they must
// live: trace, backend and its clock, run state, device link (built on the
// run state's stop gate), the values the pages share.
// Construction throws LaunchUsageError or std::runtime_error with the
// sentence for the user.
class ToolSession {
public:
    explicit ToolSession(const LaunchOptions& options);
    ~ToolSession();
    ToolSession(const ToolSession&) = delete;
    ToolSession& operator=(const ToolSession&) = delete;

    pages::PageContext& Context();
    usb::RequestTrace* Trace();
    // The clock everything runs on: the simulated products' virtual clock
    // when they were started with one, the real one otherwise.
    usb::Clock& Clock();
    // Saves what must outlive the run (a simulated product's state file) once
    // the window has let go of the device; returns why it could not, or "".
    std::string Keep();
    // With --replay: why the replay stopped the run, or ""; unset otherwise.
    std::function<std::string()> ReplayStop();

private:
    std::unique_ptr<usb::FileTrace> trace_;
    usb::SteadyClock steadyClock_;
    product::BackendStart start_;
    product::RunState runState_;
    std::unique_ptr<product::GatedLink> link_;
    std::unique_ptr<pages::ProgramValues> values_;
};

}  // namespace app
