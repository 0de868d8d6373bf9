#include "product/stoppable_update.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "flash/flash_progress.h"
#include "flash/flash_state.h"
#include "product/detection.h"
#include "product/device_listing.h"
#include "product/gated_clock.h"
#include "product/run_state.h"
#include "product/stop_gate.h"
#include "product_rig.h"
#include "sim/firmware_layout.h"

namespace product_test {
namespace {

// Shows nothing; asks the run to stop when a step text begins with `stopAt`,
// as a second Ctrl-C would at that moment.
class StoppingPanel final : public flash::StepReporter, public flash::FlashProgress {
public:
    StoppingPanel(product::RunState& state, std::string stopAt)
        : state_(state), stopAt_(std::move(stopAt)) {}
    void ShowStep(std::string_view text) override {
        if (!stopAt_.empty() && text.starts_with(stopAt_))
            state_.AskStop();
    }
    void SetStepText(std::string_view) override {}
    void SetAddressText(std::string_view) override {}
    void SetStatusRegisterText(std::string_view) override {}
    void PumpEvents() override {}
    void SetShareDone(double) override {}

private:
    product::RunState& state_;
    std::string stopAt_;
};

struct StopPoint {
    const char* name;
    const char* step;
    bool erased;
    bool bootsBare;  // the flash no longer holds a complete image
};

void PrintTo(const StopPoint& point, std::ostream* out) {
    *out << point.name;
}

class StoppableUpdate : public ::testing::TestWithParam<StopPoint> {
protected:
    StoppableUpdate() {
        chip = rig.Plug(0, "1-2");
        firmware = sim::MakeFirmwareImage(0x1000, 0x77);
        std::copy(firmware.begin(), firmware.end(), buffer.begin());
    }

    product::UpdateOutcome Run(const std::string& stopAt) {
        StoppingPanel panel(state, stopAt);
        flash::FlashState flashState;
        return product::RunStoppableUpdate(
            link, gate, state,
            flash::ImageView{buffer, static_cast<std::uint32_t>(firmware.size())}, flashState,
            panel, panel);
    }

    bool FlashHolds(const std::vector<std::uint8_t>& image) const {
        const auto& flash = chip->Flash().Contents();
        return std::equal(image.begin(), image.end(), flash.begin());
    }

    ProductRig rig;
    std::shared_ptr<sim::SimChip> chip;
    product::RunState state;
    product::StopGate gate{rig.backend, state};
    product::GatedClock clock{rig.clock, gate};
    usb::QuorvexUsb link{gate, clock};
    std::vector<std::uint8_t> firmware;
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(0x40000, 0xFF);
};

TEST_F(StoppableUpdate, RunsTheWholeUpdateWhenNoStopIsAsked) {
    ASSERT_TRUE(product::AimAt(link, product::ListDevices(gate).front()));
    const product::UpdateOutcome outcome = Run("");
    EXPECT_TRUE(outcome.result.succeeded);
    EXPECT_FALSE(outcome.stopped);
    EXPECT_EQ(state.Phase(), product::RunPhase::Finished);
    EXPECT_TRUE(FlashHolds(firmware));
    EXPECT_GT(outcome.requests, 100u);
}

// The process is being ended between two devices of a batch: the next run
// starts stopped and leaves its device as it was, not even sent out of ISP
// mode (a product running its firmware would restart).
TEST_F(StoppableUpdate, AStopForGoodEndsTheNextRunBeforeItsFirstRequest) {
    ASSERT_TRUE(product::AimAt(link, product::ListDevices(gate).front()));
    state.AskStopForGood();
    rig.backend.SetLogging(true);

    const product::UpdateOutcome outcome = Run("");

    EXPECT_TRUE(outcome.started);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_FALSE(outcome.eraseSent);
    EXPECT_EQ(outcome.requests, 0u);
    EXPECT_TRUE(rig.backend.Log().empty());
    EXPECT_EQ(state.Phase(), product::RunPhase::Failed);
    EXPECT_FALSE(link.HasOpenHandle());
}

TEST_P(StoppableUpdate, StopsAtTheNextRequestAndLeavesIspOnlyBeforeTheErase) {
    const std::vector<std::uint8_t> oldFirmware(chip->Flash().Contents().begin(),
                                                chip->Flash().Contents().begin() + 0x1000);
    ASSERT_TRUE(product::AimAt(link, product::ListDevices(gate).front()));
    rig.backend.SetLogging(true);

    const product::UpdateOutcome outcome = Run(GetParam().step);

    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(outcome.eraseSent, GetParam().erased);
    EXPECT_EQ(state.Phase(), product::RunPhase::Failed);
    EXPECT_FALSE(link.HasOpenHandle());
    // After the stop only the ISP leave (and its bank-13 writes) went out.
    const auto& log = rig.backend.Log();
    const auto leave =
        std::find_if(log.begin(), log.end(), [](const auto& r) { return r.setup.request == 0x85; });
    EXPECT_EQ(leave != log.end(), !GetParam().erased);
    if (GetParam().erased) {
        EXPECT_TRUE(chip->InIspMode());
        return;
    }
    EXPECT_TRUE(outcome.leftIsp);
    // The chip starts afresh on the leave request; its bank-13 writes find it gone.
    EXPECT_EQ(std::count_if(leave + 1, log.end(), [](const auto& r) { return r.ok; }), 0);
    EXPECT_FALSE(chip->InIspMode());
    EXPECT_TRUE(FlashHolds(oldFirmware));
    EXPECT_EQ(chip->Identity(), sim::ProductIdentity(0));
}

TEST_P(StoppableUpdate, AStoppedRunIsRecoveredByAnotherUpdateOnTheBareChip) {
    ASSERT_TRUE(product::AimAt(link, product::ListDevices(gate).front()));
    Run(GetParam().step);
    // Unplugged and plugged back: an erased flash boots as the bare chip.
    rig.backend.PowerCycle("1-2");
    const auto devices = product::ListDevices(gate);
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].mode,
              GetParam().bootsBare ? product::DeviceMode::Isp : product::DeviceMode::Normal);

    ASSERT_TRUE(product::AimAt(link, devices[0]));
    const product::UpdateOutcome recovery = Run("");

    EXPECT_TRUE(recovery.result.succeeded);
    EXPECT_TRUE(FlashHolds(firmware));
    const auto after = product::ListDevices(gate);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].mode, product::DeviceMode::Normal);
    EXPECT_EQ(after[0].displayName, "Pale Reed F066");
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StoppableUpdate,
    ::testing::Values(StopPoint{"AtClearStatus", "Clear Status register", false, false},
                      StopPoint{"BeforeErase", "Flash Erase All", false, false},
                      StopPoint{"AtBlankCheck", "Start Blanking Check", true, true},
                      StopPoint{"AtProgramming", "Start Programming", true, true},
                      StopPoint{"AtVerify", "Start Verifying Check", true, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace product_test
