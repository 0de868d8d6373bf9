#include "sim_update_rig.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>

#include "flash/simple_update.h"
#include "sim/firmware_layout.h"
#include "sim/product_factory.h"

namespace flash_test {

std::string MatchStringFor(const sim::UsbIdentity& identity) {
    char text[32];
    std::snprintf(text, sizeof text, "vid_%04x&pid_%04x", identity.vid, identity.pid);
    return text;
}

SimUpdateRig::SimUpdateRig(sim::FlashModel model, sim::FlashTiming timing, bool busPowered) {
    sim::ProductConfig config;
    config.flash = model;
    config.timing = timing;
    config.busPowered = busPowered;
    config.location = kLocation;
    chip = sim::PlugProduct(backend, config, clock);
    link.SetAudioDriver(true);
    link.SetMatchString("vid_2fc6&pid_f066");
    link.FindDevice();
    link.SetTrace(&trace);
}

void SimUpdateRig::LoadImage(std::uint32_t length, std::uint8_t seed) {
    const std::vector<std::uint8_t> image = sim::MakeFirmwareImage(length, seed);
    std::fill(buffer.begin(), buffer.end(), 0xFF);
    std::copy(image.begin(), image.end(), buffer.begin());
    imageLength = length;
}

flash::UpdateResult SimUpdateRig::RunStart() {
    return flash::RunSimpleUpdate(link, {buffer, imageLength}, state, recorder, recorder);
}

flash::UpdateResult SimUpdateRig::RunStartAgain() {
    const sim::UsbIdentity found = chip->Identity();
    usb::QuorvexUsb again{backend, clock};
    again.SetAudioDriver(found.hasAudioInterface);
    again.SetMatchString(MatchStringFor(found));
    EXPECT_TRUE(again.FindDevice()) << MatchStringFor(found);
    flash::FlashState freshState;
    ProgressRecorder freshRecorder;
    return flash::RunSimpleUpdate(again, {buffer, imageLength}, freshState, freshRecorder,
                                  freshRecorder);
}

::testing::AssertionResult SimUpdateRig::FlashHoldsExactlyTheImage() const {
    const std::span<const std::uint8_t> flash = chip->Flash().Contents();
    for (std::size_t a = 0; a < flash.size(); ++a) {
        const std::uint8_t expected = a < imageLength ? buffer[a] : 0xFF;
        if (flash[a] != expected) {
            return ::testing::AssertionFailure()
                   << "flash byte 0x" << std::hex << a << " is 0x" << int{flash[a]}
                   << ", expected 0x" << int{expected};
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SimUpdateRig::StatusHoldsProtection(std::uint8_t value) const {
    const std::uint8_t mask = chip->Flash().Datasheet().writableStatusMask;
    const std::uint8_t status = chip->Flash().StatusRegister(clock.NowUs());
    if ((status & mask) == (value & mask))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "status 0x" << std::hex << int{status} << " does not hold 0x" << int{value};
}

}  // namespace flash_test
