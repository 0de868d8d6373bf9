#pragma once

#include "flash/flash_state.h"
#include "image/firmware_image.h"
#include "pages/page_context.h"
#include "product/run_state.h"

namespace pages {

// The program-wide values the window and its pages work on, with the context
// that hands them out. The entry point creates them before the window and
// releases them after it; tests make one set per window or page under test.
struct ProgramValues {
    // The run state and the stop gate come with the device link, which is
    // built on them.
    ProgramValues(usb::QuorvexUsb& usbLink, product::RunState& runState,
                  product::StopGate& stopGate)
        : context{usbLink,     firmwareImage, flashState, programFile,
                  devicePages, runState,      stopGate} {}
    ProgramValues(const ProgramValues&) = delete;
    ProgramValues& operator=(const ProgramValues&) = delete;

    image::FirmwareImage firmwareImage;
    flash::FlashState flashState;
    ProgramFileState programFile;
    DevicePageState devicePages;
    PageContext context;
};

}  // namespace pages
