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
    explicit ProgramValues(usb::QuorvexUsb& usbLink)
        : context{usbLink, firmwareImage, flashState, shell, programFile, devicePages, runState} {}
    ProgramValues(const ProgramValues&) = delete;
    ProgramValues& operator=(const ProgramValues&) = delete;

    image::FirmwareImage firmwareImage;
    flash::FlashState flashState;
    ShellState shell;
    ProgramFileState programFile;
    DevicePageState devicePages;
    product::RunState runState;
    PageContext context;
};

}  // namespace pages
