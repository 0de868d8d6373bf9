#include <gtest/gtest.h>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <ostream>

#include "catalog/product_table.h"
#include "form_test_rig.h"
#include "modal_answerer.h"
#include "sim/firmware_layout.h"
#include "support/product_image.h"

namespace {

using gui_test::FormRig;
using gui_test::ModalAnswerer;

// Records each distinct text the status line shows whenever the window lets
// events through: the texts a user actually gets to see.
class StatusLineWatcher {
public:
    explicit StatusLineWatcher(QLabel* label) : label_(label) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QString text = label_->text();
            if (text.startsWith("Flash Erase All"))
                text = "Flash Erase All";
            if (seen_.isEmpty() || seen_.back() != text)
                seen_ << text;
        });
        timer_.start();
    }
    const QStringList& Seen() const { return seen_; }

private:
    QLabel* label_;
    QTimer timer_;
    QStringList seen_;
};

struct Update {
    std::unique_ptr<FormRig> rig = std::make_unique<FormRig>();
    std::shared_ptr<sim::SimChip> chip;
    std::vector<std::uint8_t> image;
    ModalAnswerer boxes;

    Update(sim::FlashModel model, std::uint32_t length) {
        sim::ProductConfig config;
        config.flash = model;
        chip = rig->Plug(config);
        image = test_support::ProductImage(0x2FC6, 0xF066, length, 0x5A);
        rig->WriteFile("PaleReed_f066.hex", gui_test::HexFileOf(image));
        EXPECT_GT(rig->TickUntilFound(), 0);
        EXPECT_TRUE(rig->State().FileReady());
    }
    QPushButton* Start() const { return rig->Find<QPushButton>("btnSimpleAuto"); }
    // Presses "Start", confirms, and runs `duringRun` once while the run is
    // under way (the button then reads "Stop").
    void StartAndDuringRun(const std::function<void()>& duringRun) {
        QTimer poll;
        poll.setInterval(0);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (Start()->text() != "Stop")
                return;
            poll.stop();
            duringRun();
        });
        boxes.Answer(QMessageBox::Ok, [&] { poll.start(); });
        Start()->click();
    }
    QLabel* Status() const { return rig->Find<QLabel>("lblISPProcStatus"); }
    // Presses "Start", confirms, and clicks "Stop" once the status line shows
    // `text`, answering the question with `answer`. True when it was clicked.
    bool StartAndStopAt(const QString& text, QMessageBox::StandardButton answer) {
        bool clicked = false;
        QTimer poll;
        poll.setInterval(0);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (clicked || Status()->text() != text)
                return;
            clicked = true;
            boxes.Answer(answer);
            Start()->click();
        });
        // Running already while the warning is open: a timer started only after
        // it would first fire at the run's second pump on Windows.
        poll.start();
        boxes.Answer(QMessageBox::Ok);
        Start()->click();
        return clicked;
    }
    bool FlashHoldsImage() const {
        const auto flash = chip->Flash().Contents();
        return std::equal(image.begin(), image.end(), flash.begin());
    }
    bool Traced(const std::string& line) const {
        const auto& lines = rig->trace.Lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

struct Case {
    sim::FlashModel model;
    std::uint32_t length;
    const char* protection;  // the write-status request that sets it
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << sim::DatasheetFor(c.model).name << "_" << c.length / 1024 << "KiB";
}

class StartUpdate : public testing::TestWithParam<Case> {};

TEST_P(StartUpdate, LeavesTheImageInTheFlashAndTheProductRunningIt) {
    Update run(GetParam().model, GetParam().length);
    StatusLineWatcher watcher(run.Status());
    run.boxes.Answer(QMessageBox::Ok);
    run.rig->trace.Clear();
    run.Start()->click();

    EXPECT_EQ(run.boxes.Titles(), QStringList{"Warning"});
    EXPECT_EQ(run.boxes.Texts().value(0),
              "Firmware Update is a critical operation. Please make sure the power stays on and "
              "do not disconnect the device before the update is complete. Would you like to "
              "proceed?");
    EXPECT_EQ(run.boxes.Icons().value(0), QMessageBox::Warning);
    EXPECT_TRUE(run.FlashHoldsImage());
    EXPECT_TRUE(run.Traced(GetParam().protection));
    EXPECT_TRUE(run.Traced("43 85 29e6 1a9d 0 - ok"));
    EXPECT_FALSE(run.chip->InIspMode());
    EXPECT_TRUE(run.chip->Identity().hasAudioInterface);  // booted the new firmware
    // "Verifying Success" stays in view while the product restarts.
    const QStringList expected = {"Enter ISP Mode",          "Flash Erase All",
                                  "Start Blanking Check",    "Start Programming",
                                  "Start Verifying Check",   "Verifying Success",
                                  "Firmware update success!"};
    QCoreApplication::processEvents();  // let the watcher see the final text
    QStringList seen = watcher.Seen();
    seen.removeAll("");
    seen.removeAll("Clear Status register");
    EXPECT_EQ(seen.mid(seen.size() - expected.size()).join(" | ").toStdString(),
              expected.join(" | ").toStdString());
    EXPECT_EQ(run.Status()->text(), "Firmware update success!");
    EXPECT_EQ(run.Status()->font().pointSize(), 16);
    EXPECT_EQ(run.Status()->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(run.Start()->text(), "Finish");
    EXPECT_FALSE(run.Start()->isEnabled());
    EXPECT_TRUE(run.rig->State().Finished());
    EXPECT_FALSE(run.rig->runState.LinkBusy());
    EXPECT_TRUE(run.rig->Find<QProgressBar>("barUpdateProgress")->isHidden());

    // Once the unit has left, the window waits for the next one.
    run.rig->Unplug();
    run.rig->Tick();
    EXPECT_FALSE(run.rig->State().Finished());
    EXPECT_EQ(run.Start()->text(), "Start");
}

INSTANTIATE_TEST_SUITE_P(
    FlashModels, StartUpdate,
    testing::Values(Case{sim::FlashModel::Sst25vf016b, 0x8000, "43 80 0000 0001 2 017f ok"},
                    Case{sim::FlashModel::Sst25vf016b, 0x10000, "43 80 0000 0001 2 017f ok"},
                    Case{sim::FlashModel::Mx25l1021e, 0x8000, "43 80 0000 0001 2 01ff ok"},
                    Case{sim::FlashModel::Mx25l1021e, 0x10000, "43 80 0000 0001 2 01ff ok"},
                    Case{sim::FlashModel::W25q80, 0x8000, "43 80 0000 0001 2 01ff ok"},
                    Case{sim::FlashModel::W25q80, 0x10000, "43 80 0000 0001 2 01ff ok"}));

TEST(StartUpdateCancel, AbortsWithoutSendingAnything) {
    Update run(sim::FlashModel::W25q80, 0x1000);
    run.rig->trace.Clear();
    run.boxes.Answer(QMessageBox::Cancel);
    run.Start()->click();
    EXPECT_TRUE(run.rig->trace.Lines().empty());
    EXPECT_EQ(run.Status()->text(), "Abort Firmware update process");
    EXPECT_EQ(run.Status()->font().pointSize(), 16);
    EXPECT_EQ(run.Status()->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(run.Start()->text(), "Start");
    EXPECT_FALSE(run.rig->runState.LinkBusy());
}

TEST(StartUpdateFailure, SaysPlainlyWhichStepFailedAndOffersStartAgain) {
    Update run(sim::FlashModel::W25q80, 0x1000);
    sim::FaultPlan plan;
    plan.flashStuckBusyAfter = 1;  // the status write ends, the chip erase never does
    run.rig->bus.SetFaultPlan(plan);
    run.boxes.Answer(QMessageBox::Ok);
    run.rig->trace.Clear();
    run.Start()->click();

    const QString status = run.Status()->text();
    EXPECT_TRUE(status.startsWith("Firmware update failed")) << status.toStdString();
    EXPECT_TRUE(status.contains("erasing")) << status.toStdString();
    EXPECT_TRUE(status.contains("press \"Start\" again")) << status.toStdString();
    EXPECT_EQ(run.Status()->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(run.Start()->text(), "Start");
    EXPECT_TRUE(run.Start()->isEnabled());
    EXPECT_FALSE(run.rig->State().Finished());
    EXPECT_TRUE(run.Traced("43 85 29e6 1a9d 0 - ok"));  // ISP mode is left all the same
}

// "Stop" during the run asks first; the run waits meanwhile. Stopped before
// the erase, the product keeps its firmware and runs it again.
TEST(StartUpdateStop, BeforeTheEraseTheProductKeepsItsFirmware) {
    Update run(sim::FlashModel::W25q80, 0x2000);
    run.rig->trace.Clear();
    ASSERT_TRUE(run.StartAndStopAt("Enter ISP Mode", QMessageBox::Yes));
    EXPECT_EQ(run.boxes.Titles(), (QStringList{"Warning", "Stop"}));
    EXPECT_EQ(run.boxes.Defaults().value(1), QMessageBox::No) << "Enter continues";
    EXPECT_EQ(run.Status()->text(),
              "Abort Firmware update process\nStopped before the flash was erased: the device "
              "keeps its firmware.");
    EXPECT_FALSE(run.Traced("43 80 0000 0001 1 c7 ok")) << "no chip erase";
    EXPECT_FALSE(run.chip->InIspMode());
    EXPECT_FALSE(run.FlashHoldsImage());
    EXPECT_EQ(run.Start()->text(), "Start");
    EXPECT_TRUE(run.Start()->isEnabled());
    EXPECT_FALSE(run.rig->runState.LinkBusy());
}

// Stopped after the erase, the chip waits in ISP mode, and "Start" writes the
// firmware again.
TEST(StartUpdateStop, AfterTheEraseTheChipWaitsAndStartFinishesIt) {
    Update run(sim::FlashModel::W25q80, 0x2000);
    ASSERT_TRUE(run.StartAndStopAt("Start Programming", QMessageBox::Yes));
    EXPECT_EQ(run.Status()->text(),
              "Abort Firmware update process\nThe flash was erased: the device waits in ISP mode "
              "for its firmware. Keep it connected and press \"Start\" to write it again.");
    EXPECT_TRUE(run.chip->InIspMode());
    EXPECT_FALSE(run.FlashHoldsImage());

    run.boxes.Answer(QMessageBox::Ok);
    run.Start()->click();
    EXPECT_EQ(run.Status()->text(), "Firmware update success!");
    EXPECT_TRUE(run.FlashHoldsImage());
}

// "Continue" lets the run go on; no abort is ever shown.
TEST(StartUpdateStop, ContinueLetsTheRunGoOnWithoutAnAbort) {
    Update run(sim::FlashModel::W25q80, 0x2000);
    StatusLineWatcher watcher(run.Status());
    run.StartAndDuringRun([&] {
        run.boxes.Answer(QMessageBox::No);
        run.Start()->click();
    });
    EXPECT_EQ(run.boxes.Titles(), (QStringList{"Warning", "Stop"}));
    EXPECT_FALSE(watcher.Seen().join("|").contains("Abort"));
    EXPECT_TRUE(run.FlashHoldsImage());
    EXPECT_EQ(run.Status()->text(), "Firmware update success!");
    EXPECT_EQ(run.Start()->text(), "Finish");
}

TEST(StartUpdateCancel, TheLinkIsHeldBeforeTheWarningAppears) {
    Update run(sim::FlashModel::W25q80, 0x1000);
    bool heldWhileAsked = false;
    QTimer::singleShot(0, [&] { heldWhileAsked = run.rig->runState.LinkBusy(); });
    run.boxes.Answer(QMessageBox::Cancel);
    run.Start()->click();
    ASSERT_EQ(run.boxes.Titles(), QStringList{"Warning"});
    EXPECT_TRUE(heldWhileAsked);
    EXPECT_FALSE(run.rig->runState.LinkBusy());
}

TEST(StartUpdateGuard, ClosingDuringTheUpdateExplainsWhyTheWindowStays) {
    Update run(sim::FlashModel::W25q80, 0x2000);
    run.rig->Form().show();
    bool closed = true;
    run.StartAndDuringRun([&] {
        run.boxes.Answer(QMessageBox::Ok);
        closed = run.rig->Form().close();
    });
    EXPECT_FALSE(closed);
    ASSERT_EQ(run.boxes.Titles(), (QStringList{"Warning", "Warning"}));
    EXPECT_TRUE(run.boxes.Texts()[1].contains("update is still running"))
        << run.boxes.Texts()[1].toStdString();
    EXPECT_TRUE(run.rig->Form().isVisible());
    EXPECT_TRUE(run.FlashHoldsImage());
    EXPECT_EQ(run.Status()->text(), "Firmware update success!");
}

// The warning offers the changed-only update, unticked. Ticked, on a flash
// that already holds the file, the run reads and ends: nothing erased.
TEST(StartUpdateChangedOnly, TheWarningsCheckBoxComparesFirst) {
    Update run(sim::FlashModel::W25q80, 0x3000);
    run.chip->Flash().FillErased();
    run.chip->Flash().Load(0, run.image);
    run.boxes.AnswerTicked(QMessageBox::Ok);
    run.rig->trace.Clear();
    run.Start()->click();

    EXPECT_EQ(run.boxes.CheckBoxes(),
              QStringList{"[ ] Update only what changed (reads the flash first, then rewrites "
                          "only the sectors that differ)"});
    EXPECT_EQ(run.Status()->text(), "Firmware already up to date: nothing was written.");
    EXPECT_EQ(std::count_if(run.rig->trace.Lines().begin(), run.rig->trace.Lines().end(),
                            [](const std::string& line) {
                                return line.starts_with("43 80 0000 0001 4 20") ||
                                       line.starts_with("43 80 0000 0001 1 c7");
                            }),
              0);
    EXPECT_TRUE(run.Traced("43 85 29e6 1a9d 0 - ok"));
    EXPECT_TRUE(run.FlashHoldsImage());
}

TEST(StartUpdateRange, AlwaysWritesTheImageFromFlashAddressZero) {
    Update run(sim::FlashModel::W25q80, 0x3000);
    run.rig->flashState.rangeStart = 0x8000;  // left over from the ISP page
    run.boxes.Answer(QMessageBox::Ok);
    run.Start()->click();
    EXPECT_TRUE(run.FlashHoldsImage());
    EXPECT_EQ(run.Status()->text(), "Firmware update success!");
}

}  // namespace

namespace {

TEST(StartUpdateGuard, DoesNothingWhileAPageOperationHoldsTheLink) {
    Update run(sim::FlashModel::W25q80, 0x1000);
    const product::RunState::LinkHold heldElsewhere(run.rig->runState);
    run.rig->trace.Clear();
    run.Start()->click();  // no box is answered: none may appear
    EXPECT_TRUE(run.boxes.Titles().isEmpty());
    EXPECT_TRUE(run.rig->trace.Lines().empty());
    EXPECT_EQ(run.Start()->text(), "Start");
}

}  // namespace

namespace {

TEST(StartUpdateGuard, TheWindowStaysOpenWhileAnOperationHoldsTheLink) {
    Update run(sim::FlashModel::W25q80, 0x1000);
    {
        const product::RunState::LinkHold held(run.rig->runState);
        run.rig->Form().show();
        EXPECT_FALSE(run.rig->Form().close());
        EXPECT_TRUE(run.rig->Form().isVisible());
    }
    EXPECT_TRUE(run.rig->Form().close());
}

}  // namespace

namespace {

TEST(StartUpdateGuard, AutoClickedDuringTheUpdateLeavesStartItsStopButton) {
    Update run(sim::FlashModel::W25q80, 0x2000);
    QString captionAfterStop;
    run.StartAndDuringRun([&] {
        run.rig->Find<QPushButton>("btnUSBISPAuto")->click();
        run.boxes.Answer(QMessageBox::No);
        run.Start()->click();  // "Stop", then "Continue"
        captionAfterStop = run.Start()->text();
    });
    EXPECT_EQ(run.boxes.Titles(), (QStringList{"Warning", "Stop"}));
    EXPECT_EQ(captionAfterStop, "Stop");
    EXPECT_EQ(run.rig->Find<QPushButton>("btnUSBISPAuto")->text(), "Auto");
    EXPECT_EQ(run.Start()->text(), "Finish");
}

TEST(StartUpdateGuard, StartClickedDuringTheAutoRunAsksNothing) {
    Update run(sim::FlashModel::W25q80, 0x2000);
    run.rig->Find<QCheckBox>("chkReadFile")->setChecked(false);  // the image the detection loaded
    auto* autoButton = run.rig->Find<QPushButton>("btnUSBISPAuto");
    QString startCaption;
    QTimer::singleShot(0, [&] {
        run.Start()->click();
        startCaption = run.Start()->text();
    });
    autoButton->click();
    EXPECT_TRUE(run.boxes.Titles().isEmpty());
    EXPECT_EQ(startCaption, "Start");
    EXPECT_FALSE(run.rig->runState.StopAsked());
    EXPECT_TRUE(run.FlashHoldsImage());
}

}  // namespace

// Bytes the chip's boot code does not take: written and verified, but the
// chip comes back waiting in ISP mode. The product beside it on the bus must
// not pass for it, and the panel must not call the run a success.
TEST(StartUpdateNotRestarted, IsNoSuccessAndSaysWhatToDo) {
    FormRig rig;
    sim::ProductConfig updated;
    updated.location = "1-2";
    rig.Plug(updated);
    sim::ProductConfig beside;
    beside.location = "1-3";
    sim::PlugProduct(rig.bus, beside, rig.clock);
    rig.WriteFile("PaleReed_f066.hex", gui_test::HexFileOf(std::vector<std::uint8_t>(0x800, 0x5A)));
    ASSERT_GT(rig.TickUntilFound(), 0);
    ModalAnswerer boxes;
    boxes.Answer(QMessageBox::Ok);
    rig.Find<QPushButton>("btnSimpleAuto")->click();

    EXPECT_EQ(rig.Find<QLabel>("lblISPProcStatus")->text(),
              "The firmware is written and verified, but the device did not restart: unplug it "
              "and plug it in again.");
    EXPECT_EQ(rig.Find<QPushButton>("btnSimpleAuto")->text(), "Start");
    EXPECT_FALSE(rig.State().Finished());
}

// Another product's firmware under the product's file name: the warning names
// both, and Enter cancels.
TEST(StartUpdateFileCheck, AFileOfAnotherProductIsNamedAndCancelIsTheDefault) {
    FormRig rig;
    rig.Plug(sim::ProductConfig{});
    const product::ProductRow& other = product::productTable[3];
    rig.WriteFile("PaleReed_f066.hex",
                  gui_test::HexFileOf(test_support::ProductImage(other.vid, other.pid)));
    ASSERT_GT(rig.TickUntilFound(), 0);
    ModalAnswerer boxes;
    boxes.Answer(QMessageBox::Cancel);
    rig.trace.Clear();
    rig.Find<QPushButton>("btnSimpleAuto")->click();

    ASSERT_EQ(boxes.Texts().size(), 1);
    EXPECT_TRUE(boxes.Texts()[0].endsWith(
        "This file may not be meant for this device: 'PaleReed_f066.hex' is firmware for " +
        QString::fromLatin1(other.displayName.data(), other.displayName.size()) +
        ", but the device is Pale Reed F066."))
        << boxes.Texts()[0].toStdString();
    EXPECT_EQ(boxes.Defaults()[0], QMessageBox::Cancel);
    EXPECT_TRUE(rig.trace.Lines().empty());
}
