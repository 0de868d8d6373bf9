#pragma once

#include "pages/program_values.h"
#include "product/gated_link.h"
#include "program_bus.h"
#include "sim/sim_backend.h"
#include "sim/virtual_clock.h"
#include "usb/quorvex_usb.h"
#include "usb/request_trace.h"

namespace gui_test {

// What every window and page test stands on: a simulated bus on a virtual
// clock, the device link over it (through `device`, which can record or
// replay instead) with a trace, and the program-wide values, each reachable
// under the name the program gives it.
struct SimulatedProgram {
    SimulatedProgram() = default;
    SimulatedProgram(const SimulatedProgram&) = delete;
    SimulatedProgram& operator=(const SimulatedProgram&) = delete;

    sim::VirtualClock clock;
    sim::SimBackend bus{clock};
    ProgramBus device{bus, clock};
    product::RunState runState;
    product::GatedLink gated{device, clock, runState};
    usb::QuorvexUsb& usbLink = gated.link;
    usb::MemoryTrace trace;
    pages::ProgramValues values{usbLink, runState, gated.gate};
    image::FirmwareImage& firmwareImage = values.firmwareImage;
    flash::FlashState& flashState = values.flashState;
    pages::ProgramFileState& programFile = values.programFile;
    pages::DevicePageState& devicePages = values.devicePages;
    pages::PageContext& context = values.context;
};

}  // namespace gui_test
