#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "flash/flash_state.h"
#include "flash/update_result.h"
#include "progress_recorder.h"
#include "sim/flash_model.h"
#include "sim/sim_backend.h"
#include "sim/sim_chip.h"
#include "sim/virtual_clock.h"
#include "usb/quorvex_usb.h"
#include "usb/request_trace.h"

namespace flash_test {

// The interface path part that finds a device by this identity: "vid_2fc6&pid_f066".
std::string MatchStringFor(const sim::UsbIdentity& identity);

// A simulated product (row 0, old firmware, flash protected) found on the
// audio-driver path, and the program-wide values a "Start" run needs: the
// image buffer, the flash state and a recorder for every label.
class SimUpdateRig {
public:
    static constexpr const char* kLocation = "1-2";

    // `busPowered` false: a product with its own supply, which keeps running
    // (an erase with it) while its cable is out.
    explicit SimUpdateRig(sim::FlashModel model,
                          sim::FlashTiming timing = sim::FlashTiming::Typical,
                          bool busPowered = true);

    // Loads a firmware image in the chip's boot layout into the buffer.
    void LoadImage(std::uint32_t length, std::uint8_t seed = 0x5C);
    flash::UpdateResult RunStart();
    // "Start" once more as a new run of the tool would: a new link to
    // whatever the chip shows itself as now (the product, or the bare chip in
    // ISP mode), a fresh flash state, the same image.
    flash::UpdateResult RunStartAgain();

    // The flash holds the image and is erased everywhere else.
    ::testing::AssertionResult FlashHoldsExactlyTheImage() const;
    // The protection value's writable bits stand in the status register.
    ::testing::AssertionResult StatusHoldsProtection(std::uint8_t value) const;

    sim::VirtualClock clock;
    sim::SimBackend backend{clock};
    std::shared_ptr<sim::SimChip> chip;
    usb::QuorvexUsb link{backend, clock};
    usb::MemoryTrace trace;
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(0x40000, 0xFF);
    std::uint32_t imageLength = 0;
    flash::FlashState state;
    ProgressRecorder recorder;
};

}  // namespace flash_test
