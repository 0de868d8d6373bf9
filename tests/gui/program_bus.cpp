#include "program_bus.h"

#include <sstream>

#include "usb/trace_format.h"

namespace gui_test {

void ProgramBus::Record(usb::RequestTrace& trace) {
    recording_ = std::make_unique<usb::ListingTraceBackend>(bus_, trace);
}

bool ProgramBus::Replay(const std::vector<std::string>& lines, usb::RequestTrace& trace,
                        std::string& error) {
    std::stringstream text;
    text << usb::TraceVersionLine("gui_tests", "0") << '\n';
    for (const std::string& line : lines)
        text << line << '\n';
    std::optional<usb::RecordedTrace> recorded = usb::ParseTrace(text, error);
    if (!recorded)
        return false;
    // Each request costs the bus time the simulated bus charged for it, so
    // that the replayed run's clock, and its time-outs, go as recorded.
    replay_ = std::make_unique<usb::ReplayBackend>(
        std::move(*recorded), [this] { clock_.AdvanceUs(sim::SimBackend::kHighSpeedLatencyUs); });
    recording_ = std::make_unique<usb::ListingTraceBackend>(*replay_, trace);
    return true;
}

}  // namespace gui_test
