// Power lost at any point of the window's "Start" never leaves the product
// beyond the window's own recovery: the run is cut at 30 requests spread over
// every step on each flash model, and pressing "Start" again on what the
// window then finds brings the product back with the image in its flash.

#include <gtest/gtest.h>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "form_test_rig.h"
#include "modal_answerer.h"
#include "sim/firmware_layout.h"
#include "support/update_run_map.h"

namespace {

using gui_test::FormRig;
using gui_test::ModalAnswerer;
using sim::FlashModel;

constexpr const char* kSuccess = "Firmware update success!";

class WindowPowerLoss : public ::testing::TestWithParam<FlashModel> {
protected:
    struct Window {
        FormRig rig;
        std::shared_ptr<sim::SimChip> chip;
        ModalAnswerer boxes;

        Window(FlashModel model, const std::vector<std::uint8_t>& image) {
            sim::ProductConfig config;
            config.flash = model;
            chip = rig.Plug(config);
            rig.WriteFile("PaleReed_f066.hex", gui_test::HexFileOf(image));
            EXPECT_GT(rig.TickUntilFound(), 0);
            // Counts the fault plan's requests from here.
            rig.bus.ClearFaultPlan();
        }
        QString PressStart() {
            boxes.Answer(QMessageBox::Ok);
            rig.Find<QPushButton>("btnSimpleAuto")->click();
            return rig.Find<QLabel>("lblISPProcStatus")->text();
        }
    };

    test_support::UpdateRunMap MapCleanRun() {
        Window window(GetParam(), image);
        window.rig.bus.SetLogging(true);
        EXPECT_EQ(window.PressStart(), kSuccess);
        test_support::UpdateRunMap map;
        for (const auto& request : window.rig.bus.Log())
            map.Note(request.planNumber, request.setup.request, request.data);
        return map;
    }

    ::testing::AssertionResult RecoversAfterPowerLossAt(std::uint64_t request) {
        Window window(GetParam(), image);
        sim::FaultPlan plan;
        plan.powerLossAtRequest = request;
        window.rig.bus.SetFaultPlan(plan);
        const QString first = window.PressStart();
        window.rig.bus.ClearFaultPlan();
        if (first != kSuccess) {
            // Whatever came back (the product, or the chip waiting in ISP
            // mode) is offered "Start" again.
            if (window.rig.TickUntilFound() == 0)
                return ::testing::AssertionFailure()
                       << "nothing found after: " << first.toStdString();
            if (const QString again = window.PressStart(); again != kSuccess)
                return ::testing::AssertionFailure() << "recovery said: " << again.toStdString();
        }
        const auto flash = window.chip->Flash().Contents();
        if (!std::equal(image.begin(), image.end(), flash.begin()))
            return ::testing::AssertionFailure() << "the flash does not hold the image";
        if (window.chip->InIspMode() || window.chip->Identity() != sim::ProductIdentity(0))
            return ::testing::AssertionFailure() << "the product is not back";
        if (window.rig.Find<QLabel>("lblDetectDevice")->text() != "Find Device Pale Reed F066")
            return ::testing::AssertionFailure() << "the window does not show the product";
        return ::testing::AssertionSuccess();
    }

    std::vector<std::uint8_t> image = sim::MakeFirmwareImage(0x1000, 0x3C);
};

TEST_P(WindowPowerLoss, EveryInterruptionIsRecoveredByStartingAgain) {
    test_support::ExpectEveryInterruptionRecovered(
        MapCleanRun(), [this](std::uint64_t request) { return RecoversAfterPowerLossAt(request); });
}

INSTANTIATE_TEST_SUITE_P(Models, WindowPowerLoss,
                         ::testing::Values(FlashModel::Sst25vf016b, FlashModel::Mx25l1021e,
                                           FlashModel::W25q80),
                         [](const auto& info) { return sim::DatasheetFor(info.param).name; });

}  // namespace
