// A production line with the window: after a success, unplugging the unit and
// plugging in the next readies the window again, without a restart.

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "form_test_rig.h"
#include "modal_answerer.h"
#include "support/product_image.h"

namespace {

using gui_test::FormRig;

TEST(NextUnit, ThreeUnitsInARowAreUpdatedWithoutARestart) {
    FormRig rig;
    gui_test::ModalAnswerer boxes;
    auto* start = rig.Find<QPushButton>("btnSimpleAuto");
    auto* status = rig.Find<QLabel>("lblISPProcStatus");
    for (int unit = 0; unit < 3; ++unit) {
        SCOPED_TRACE(unit);
        // The file is read again for each unit: the third gets a newer one.
        const std::vector<std::uint8_t> image = test_support::ProductImage(
            0x2FC6, 0xF066, 0x1000, static_cast<std::uint8_t>(unit < 2 ? 0x40 : 0x41));
        rig.WriteFile("PaleReed_f066.hex", gui_test::HexFileOf(image));
        const auto chip = rig.Plug(sim::ProductConfig{});
        ASSERT_GT(rig.TickUntilFound(), 0);
        ASSERT_EQ(start->text(), "Start");
        ASSERT_TRUE(start->isEnabled());

        boxes.Answer(QMessageBox::Ok);
        start->click();
        EXPECT_EQ(status->text(), "Firmware update success!");
        const auto flash = chip->Flash().Contents();
        EXPECT_TRUE(std::equal(image.begin(), image.end(), flash.begin()));
        // The updated unit is not offered again while it stays.
        for (int tick = 0; tick < 3; ++tick)
            rig.Tick();
        EXPECT_EQ(start->text(), "Finish");
        EXPECT_FALSE(start->isEnabled());
        EXPECT_EQ(status->text(), "Firmware update success!");

        rig.Unplug();
        rig.Tick();
        EXPECT_EQ(start->text(), "Start");
        EXPECT_FALSE(start->isEnabled());
    }
    EXPECT_EQ(boxes.Titles(), (QStringList{"Warning", "Warning", "Warning"}));
}

}  // namespace

// A chip brought back from ISP mode comes back under the product's identity:
// that is the same unit, not the next one.
TEST(NextUnit, ARecoveredUnitIsNotOfferedAgainWhileItStays) {
    FormRig rig;
    sim::ProductConfig config;
    config.blankFlash = true;
    rig.Plug(config);
    rig.WriteFile("PaleReed_f066.hex",
                  gui_test::HexFileOf(test_support::ProductImage(0x2FC6, 0xF066, 0x1000, 0x42)));
    ASSERT_GT(rig.TickUntilFound(), 0);
    // A blank chip cannot say what it was: the user names the product.
    rig.Find<QComboBox>("cbxRecoveryProduct")->setCurrentIndex(0);
    gui_test::ModalAnswerer boxes;
    boxes.Answer(QMessageBox::Ok);
    auto* start = rig.Find<QPushButton>("btnSimpleAuto");
    ASSERT_TRUE(start->isEnabled());
    start->click();
    ASSERT_EQ(rig.Find<QLabel>("lblISPProcStatus")->text(), "Firmware update success!");
    for (int tick = 0; tick < 5; ++tick)
        rig.Tick();
    EXPECT_EQ(start->text(), "Finish");
    EXPECT_FALSE(start->isEnabled());
}
