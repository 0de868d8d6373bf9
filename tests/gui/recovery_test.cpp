#include <gtest/gtest.h>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "catalog/product_table.h"
#include "form_test_rig.h"
#include "modal_answerer.h"
#include "sim/firmware_layout.h"
#include "support/product_image.h"

namespace {

using gui_test::FormRig;
using gui_test::ModalAnswerer;

// A rig whose product lost power during the erase: the run has
// failed and the chip waits, in ISP mode, for its firmware.
struct InterruptedUpdate {
    FormRig rig;
    std::shared_ptr<sim::SimChip> chip;
    std::vector<std::uint8_t> image = test_support::ProductImage(0x2FC6, 0xF066, 0x2000, 0x21);
    ModalAnswerer boxes;
    QString failure;

    InterruptedUpdate() {
        sim::ProductConfig config;
        config.flash = sim::FlashModel::W25q80;
        chip = rig.Plug(config);
        rig.WriteFile("PaleReed_f066.hex", gui_test::HexFileOf(image));
        EXPECT_GT(rig.TickUntilFound(), 0);
        sim::FaultPlan plan;
        plan.powerLossAtRequest = 400;  // while the erase is polled
        rig.bus.SetFaultPlan(plan);
        boxes.Answer(QMessageBox::Ok);
        Start()->click();
        rig.bus.SetFaultPlan({});
        failure = Status()->text();
    }
    QPushButton* Start() const { return rig.Find<QPushButton>("btnSimpleAuto"); }
    QLabel* Status() const { return rig.Find<QLabel>("lblISPProcStatus"); }
    // The line's first line; the second says where the file came from.
    QString FileStatus() const {
        return rig.Find<QLabel>("lblUpdaeFileStatus")->text().section('\n', 0, 0);
    }
    QString DeviceLine() const { return rig.Find<QLabel>("lblDetectDevice")->text(); }
    bool FlashHoldsImage() const {
        const auto flash = chip->Flash().Contents();
        return std::equal(image.begin(), image.end(), flash.begin());
    }
};

TEST(Recovery, AFailedRunKeepsItsTextAndTheWaitingChipIsOfferedTheSameFile) {
    InterruptedUpdate run;
    // Power is lost after the erase began: the chip stops answering, then returns bare.
    ASSERT_TRUE(run.failure.startsWith("The device stopped answering at the erase step"))
        << run.failure.toStdString();
    EXPECT_TRUE(run.failure.contains("Keep the device connected")) << run.failure.toStdString();
    EXPECT_TRUE(run.failure.contains("\"Start\" offers PaleReed_f066.hex again"))
        << run.failure.toStdString();
    ASSERT_GT(run.rig.TickUntilFound(), 0);
    for (int tick = 0; tick < 5; ++tick)
        run.rig.Tick();
    EXPECT_EQ(run.DeviceLine(), "Firmware update device 2FC6 is exist");
    EXPECT_EQ(run.Status()->text(), run.failure);
    EXPECT_EQ(run.FileStatus(),
              "A device is waiting for its firmware: an earlier update did not finish. "
              "\"Start\" writes PaleReed_f066.hex for Pale Reed F066.");
    ASSERT_TRUE(run.Start()->isEnabled());

    run.boxes.Answer(QMessageBox::Ok);
    run.Start()->click();
    ASSERT_EQ(run.boxes.Texts().size(), 2);
    EXPECT_TRUE(run.boxes.Texts()[1].endsWith(
        "\n\nFile: " +
        QDir::toNativeSeparators(QDir(run.rig.WorkDir()).canonicalPath() + "/PaleReed_f066.hex") +
        "\nProduct: Pale Reed F066"))
        << run.boxes.Texts()[1].toStdString();
    EXPECT_TRUE(run.FlashHoldsImage());
    EXPECT_EQ(run.Status()->text(), "Firmware update success!");
    EXPECT_EQ(run.DeviceLine(), "Find Device Pale Reed F066");
    EXPECT_TRUE(run.rig.usbLink.UsesAudioDriver());
}

TEST(Recovery, TheFailureTextGoesOnceTheProductIsFoundAgain) {
    InterruptedUpdate run;
    ASSERT_GT(run.rig.TickUntilFound(), 0);
    run.rig.Unplug();
    sim::ProductConfig healthy;
    healthy.location = "1-3";
    run.rig.Plug(healthy);
    run.rig.Tick();  // the chip has gone
    ASSERT_GT(run.rig.TickUntilFound(), 0);
    EXPECT_EQ(run.DeviceLine(), "Find Device Pale Reed F066");
    EXPECT_EQ(run.Status()->text(), "");
}

TEST(Recovery, AFileOfAnotherProductIsOfferedWithAWarning) {
    InterruptedUpdate run;
    QFile::remove(QDir(run.rig.WorkDir()).filePath("PaleReed_f066.hex"));
    const product::ProductRow& other = product::productTable[1];
    run.rig.WriteFile("PaleReed_f067.hex",
                      gui_test::HexFileOf(test_support::ProductImage(other.vid, other.pid)));
    ASSERT_GT(run.rig.TickUntilFound(), 0);
    EXPECT_TRUE(run.FileStatus().endsWith(
        "\"Start\" writes PaleReed_f067.hex for Pale Reed F067. Warning: the device was "
        "Pale Reed F066 before; this file is for Pale Reed F067."))
        << run.FileStatus().toStdString();
    run.boxes.Answer(QMessageBox::Cancel);
    run.Start()->click();
    ASSERT_EQ(run.boxes.Texts().size(), 2);
    EXPECT_TRUE(run.boxes.Texts()[1].endsWith(
        "Product: Pale Reed F067\nThe device was Pale Reed F066 before.\n\nThis file may not be "
        "meant for this device: 'PaleReed_f067.hex' is firmware for Pale Reed F067, but the "
        "flash of the device was last written for Pale Reed F066."))
        << run.boxes.Texts()[1].toStdString();
    EXPECT_EQ(run.boxes.Defaults().value(1), QMessageBox::Cancel);
}

// A chip found waiting when the tool starts: no run of ours left it so.
struct WaitingChip {
    FormRig rig;
    std::shared_ptr<sim::SimChip> chip;

    explicit WaitingChip(TForm1::Options options = {}) : rig(options) {
        sim::ProductConfig config;
        config.row = 4;
        config.blankFlash = true;
        chip = rig.Plug(config);
    }
    QPushButton* Start() const { return rig.Find<QPushButton>("btnSimpleAuto"); }
    QComboBox* Choice() const { return rig.Find<QComboBox>("cbxRecoveryProduct"); }
    QPushButton* ChooseFile() const { return rig.Find<QPushButton>("btnChooseFile"); }
    // The line's first line; the second says where the file came from.
    QString FileStatus() const {
        return rig.Find<QLabel>("lblUpdaeFileStatus")->text().section('\n', 0, 0);
    }
};

// A blank chip cannot say what it was: nothing is chosen for the user, and
// "Start" waits until a product is.
TEST(Recovery, SeveralUpdateFilesOfferAChoiceOfTheirProducts) {
    WaitingChip waiting;
    const auto image = test_support::ProductImage(0x2FC6, 0xF06A, 0x1000, 0x44);
    waiting.rig.WriteFile("PaleReed_f067.hex", gui_test::HexFileOf({1, 2, 3}));
    waiting.rig.WriteFile("PaleReed_f06A.hex", gui_test::HexFileOf(image));
    ASSERT_GT(waiting.rig.TickUntilFound(), 0);
    ASSERT_FALSE(waiting.Choice()->isHidden());
    EXPECT_FALSE(waiting.ChooseFile()->isHidden());
    ASSERT_EQ(waiting.Choice()->count(), 2);
    EXPECT_EQ(waiting.Choice()->itemText(0), "Pale Reed F067");
    EXPECT_EQ(waiting.Choice()->itemText(1), "Pale Reed F06A");
    EXPECT_EQ(waiting.Choice()->currentIndex(), -1);
    EXPECT_EQ(waiting.rig.firmwareImage.ImageLength(), 0u);
    EXPECT_FALSE(waiting.Start()->isEnabled());

    waiting.Choice()->setCurrentIndex(1);
    EXPECT_TRUE(waiting.Start()->isEnabled());
    EXPECT_TRUE(waiting.FileStatus().endsWith(
        "\"Start\" writes PaleReed_f06A.hex for Pale Reed F06A (the chip cannot tell which "
        "product it was)."))
        << waiting.FileStatus().toStdString();
    EXPECT_EQ(waiting.rig.firmwareImage.ImageLength(), image.size());
    ModalAnswerer boxes;
    boxes.Answer(QMessageBox::Ok);
    waiting.Start()->click();
    ASSERT_EQ(boxes.Texts().size(), 1);
    EXPECT_TRUE(boxes.Texts()[0].endsWith("Product: Pale Reed F06A"));
    EXPECT_EQ(waiting.rig.Find<QLabel>("lblDetectDevice")->text(), "Find Device Pale Reed F06A");
    EXPECT_TRUE(waiting.Choice()->isHidden());
}

TEST(Recovery, WithoutAnUpdateFileTheUserChoosesOne) {
    WaitingChip waiting;
    ASSERT_GT(waiting.rig.TickUntilFound(), 0);
    EXPECT_FALSE(waiting.Start()->isEnabled());
    EXPECT_TRUE(waiting.Choice()->isHidden());
    ASSERT_FALSE(waiting.ChooseFile()->isHidden());
    const QString line = waiting.rig.Find<QLabel>("lblUpdaeFileStatus")->text();
    EXPECT_TRUE(
        line.endsWith("Choose an update file to recover it: none of a product was found "
                      "in:\n" +
                      QDir::toNativeSeparators(QDir(waiting.rig.WorkDir()).canonicalPath())))
        << line.toStdString();

    QDir(waiting.rig.WorkDir()).mkdir("download");
    waiting.rig.WriteFile("download/PaleReed_f06A.hex", gui_test::HexFileOf({7, 7, 7, 7}));
    waiting.rig.Form().SetFileChooser([&](QWidget*, const pages::FileDialogSetup&) {
        return QDir(waiting.rig.WorkDir()).filePath("download/PaleReed_f06A.hex");
    });
    waiting.ChooseFile()->click();
    EXPECT_TRUE(waiting.Start()->isEnabled());
    EXPECT_TRUE(waiting.FileStatus().endsWith(
        "\"Start\" writes PaleReed_f06A.hex for Pale Reed F06A (the chip cannot tell which "
        "product it was)."))
        << waiting.FileStatus().toStdString();
    EXPECT_EQ(waiting.rig.firmwareImage.ImageLength(), 4u);
}

// A chip whose update was cut after the parameter table was programmed still
// says in its flash which product it was: that file comes first, and another
// product's file is warned about.
TEST(Recovery, TheProductNamedInTheWaitingFlashIsOfferedFirst) {
    WaitingChip waiting;
    const product::ProductRow& before = product::productTable[6];
    const auto image = test_support::ProductImage(before.vid, before.pid);
    waiting.chip->Flash().Load(0, std::span(image).first(test_support::kProductImageTableEnd));
    waiting.rig.WriteFile("PaleReed_f067.hex", gui_test::HexFileOf({1, 2, 3}));
    waiting.rig.WriteFile("PaleReed_f06C.hex", gui_test::HexFileOf(image));
    const std::uint64_t boots = waiting.chip->Boots();
    ASSERT_GT(waiting.rig.TickUntilFound(), 0);
    // Read where it waits: a restart would make it vanish and reappear.
    EXPECT_EQ(waiting.chip->Boots(), boots);
    ASSERT_EQ(waiting.Choice()->count(), 2);
    EXPECT_EQ(waiting.Choice()->itemText(0), "Pale Reed F06C");
    EXPECT_TRUE(
        waiting.FileStatus().endsWith("\"Start\" writes PaleReed_f06C.hex for Pale Reed F06C."))
        << waiting.FileStatus().toStdString();

    waiting.Choice()->setCurrentIndex(1);
    EXPECT_TRUE(waiting.FileStatus().endsWith(
        "Warning: the device was Pale Reed F06C before; this file is for Pale Reed F067."))
        << waiting.FileStatus().toStdString();
    // Read once: later detection ticks only check the chip is still there.
    const std::size_t lines = waiting.rig.trace.Lines().size();
    for (int tick = 0; tick < 5; ++tick)
        waiting.rig.Tick();
    EXPECT_LT(waiting.rig.trace.Lines().size() - lines, 50u);
    EXPECT_EQ(waiting.Choice()->itemText(0), "Pale Reed F06C");
}

TEST(Recovery, NoFileIsChosenWhileAnOperationHoldsTheLink) {
    WaitingChip waiting;
    ASSERT_GT(waiting.rig.TickUntilFound(), 0);
    bool asked = false;
    waiting.rig.Form().SetFileChooser([&](QWidget*, const pages::FileDialogSetup&) {
        asked = true;
        return QString();
    });
    const product::RunState::LinkHold held(waiting.rig.runState);
    waiting.ChooseFile()->click();
    EXPECT_FALSE(asked);
}

}  // namespace
