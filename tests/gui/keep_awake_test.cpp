// The window's runs hold logind's sleep lock: against a mocked logind on a
// private bus, where the system has logind (Linux).
#if defined(PALEREED_HAVE_SLEEP_INHIBITOR)

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <thread>

#include "form_test_rig.h"
#include "modal_answerer.h"
#include "platform/private_system_bus.h"
#include "sim/firmware_layout.h"

namespace {

using gui_test::FormRig;
using gui_test::ModalAnswerer;
using testing_support::PrivateSystemBus;

struct ProductWithFile {
    FormRig rig;
    ModalAnswerer boxes;

    ProductWithFile() {
        sim::ProductConfig config;
        config.flash = sim::FlashModel::W25q80;
        rig.Plug(config);
        rig.WriteFile("PaleReed_f066.hex",
                      gui_test::HexFileOf(sim::MakeFirmwareImage(0x800, 0x3C)));
        EXPECT_GT(rig.TickUntilFound(), 0);
    }
    QPushButton* Start() const { return rig.Find<QPushButton>("btnSimpleAuto"); }
    // Clicks "Start", answers OK, and lists logind's inhibitors once the run is under way.
    std::vector<PrivateSystemBus::Inhibitor> RunAndListInhibitors(const PrivateSystemBus& bus) {
        std::vector<PrivateSystemBus::Inhibitor> during;
        QTimer watch;
        watch.setInterval(0);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (Start()->text() != "Stop")
                return;
            watch.stop();
            during = bus.ListInhibitors();
        });
        boxes.Answer(QMessageBox::Ok, [&] { watch.start(); });
        Start()->click();
        return during;
    }
    bool Noted(const std::string& part) const {
        const auto& lines = rig.trace.Lines();
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.rfind("note: ", 0) == 0 && line.find(part) != std::string::npos;
        });
    }
};

class KeepAwake : public testing::TestWithParam<bool> {};

TEST_P(KeepAwake, TheRunHoldsABlockLockAndReleasesItHoweverItEnds) {
    const bool fails = GetParam();
    PrivateSystemBus bus;
    ASSERT_TRUE(bus.StartLogind());
    ProductWithFile product;
    if (fails) {
        sim::FaultPlan plan;
        plan.flashStuckBusyAfter = 1;
        product.rig.bus.SetFaultPlan(plan);
    }
    const auto during = product.RunAndListInhibitors(bus);
    const std::vector<PrivateSystemBus::Inhibitor> expected{
        {"sleep:shutdown:idle", "Pale Reed Update Tool", "Updating the firmware of Pale Reed F066",
         "block"}};
    EXPECT_EQ(during, expected);
    EXPECT_EQ(
        product.rig.Find<QLabel>("lblISPProcStatus")->text().startsWith("Firmware update failed"),
        fails);
    EXPECT_TRUE(bus.EventuallyNoInhibitors());
    EXPECT_FALSE(product.Noted("sleep"));
}

INSTANTIATE_TEST_SUITE_P(RunEnds, KeepAwake, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Failed") : std::string("Succeeded");
                         });

TEST(KeepAwakeWithoutLogind, TheRunGoesOnAndTheTraceSaysWhy) {
    PrivateSystemBus bus;  // nobody owns org.freedesktop.login1 on it
    ProductWithFile product;
    product.boxes.Answer(QMessageBox::Ok);
    product.Start()->click();
    EXPECT_EQ(product.rig.Find<QLabel>("lblISPProcStatus")->text(), "Firmware update success!");
    EXPECT_TRUE(product.Noted("logind")) << product.rig.trace.Lines().front();
}

TEST(KeepAwakeAuto, TheIspPagesAutoRunHoldsTheLockToo) {
    PrivateSystemBus bus;
    ASSERT_TRUE(bus.StartLogind());
    FormRig rig(96, true);
    sim::ProductConfig config;
    config.flash = sim::FlashModel::W25q80;
    rig.Plug(config);
    rig.WriteFile("PaleReed_f066.hex", gui_test::HexFileOf(sim::MakeFirmwareImage(0x800, 0x3C)));
    ASSERT_GT(rig.TickUntilFound(), 0);
    rig.Find<QCheckBox>("chkReadFile")->setChecked(false);  // the detection loaded the file
    auto* autoButton = rig.Find<QPushButton>("btnUSBISPAuto");
    std::vector<PrivateSystemBus::Inhibitor> during;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (autoButton->text() != "Stop")
            return;
        watch.stop();
        during = bus.ListInhibitors();
    });
    watch.start();
    autoButton->click();
    ASSERT_EQ(during.size(), 1u);
    EXPECT_EQ(std::get<2>(during[0]), "Updating the firmware of Pale Reed F066");
    EXPECT_TRUE(bus.EventuallyNoInhibitors());
}

}  // namespace

#endif
