#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "backends/backend_factory.h"
#include "form_test_rig.h"
#include "pages/labeled_edit.h"

namespace {

using gui_test::FormRig;

// As a successful "Start" leaves the panel: detection stops for good.
QColor IndicatorColour(const FormRig& rig) {
    return rig.Find<QWidget>("pnlUSBExist")->palette().color(QPalette::Window);
}

TEST(Detection, AlternatesProductRowsWithTheTwoIspIdentities) {
    FormRig rig;
    std::vector<std::string> searched;
    std::vector<int> intervals;
    for (int tick = 0; tick < 22; ++tick) {
        intervals.push_back(rig.Tick());
        searched.push_back(rig.usbLink.MatchString());
    }
    EXPECT_EQ(searched[0], "vid_2fc6&pid_f067");
    EXPECT_EQ(searched[1], "vid_2fc6&pid_6000");
    EXPECT_EQ(searched[2], "vid_2fc6&pid_f068");
    EXPECT_EQ(searched[3], "vid_0ea0&pid_6000");
    EXPECT_EQ(searched[4], "vid_2fc6&pid_f069");
    EXPECT_EQ(searched[16], "vid_2fc6&pid_f06f");
    EXPECT_EQ(searched[18], "vid_2fc6&pid_f066");  // row 0 on the nineteenth tick
    EXPECT_EQ(searched[20], "vid_2fc6&pid_f067");
    EXPECT_EQ(intervals[0], 1000);  // the first two ticks are a second apart
    for (int tick = 1; tick < 22; ++tick)
        EXPECT_EQ(intervals[tick], 100) << tick;
    EXPECT_EQ(rig.Find<QLabel>("lblDetectDevice")->text(), "No device is available");
}

TEST(Detection, ProductPluggedBeforeStartIsFoundOnTheNineteenthTick) {
    FormRig rig;
    rig.Plug({});
    int elapsedMs = 1000;  // the first tick fires a second after start-up
    int tick = 0;
    while (!rig.usbLink.IsFound() && tick < 40) {
        const int next = rig.Tick();
        if (!rig.usbLink.IsFound())
            elapsedMs += next;
        ++tick;
    }
    EXPECT_EQ(tick, 19);
    EXPECT_EQ(elapsedMs - 1000, 2700);  // 2.7 s after the first tick
    EXPECT_EQ(rig.Find<QLabel>("lblDetectDevice")->text(), "Find Device Pale Reed F066");
    EXPECT_EQ(rig.Tick(), 1000);  // a present device is re-checked once a second
    EXPECT_TRUE(rig.usbLink.IsFound());
}

TEST(Detection, UnpluggedProductIsReportedAndSearchingResumes) {
    FormRig rig;
    rig.WriteFile("PaleReed_f066.hex", gui_test::HexFileOf({1, 2, 3, 4}));
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    ASSERT_TRUE(rig.State().FileReady());
    ASSERT_TRUE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());
    EXPECT_EQ(IndicatorColour(rig), QColor(0, 255, 0));

    rig.Unplug();
    rig.Tick();
    EXPECT_EQ(rig.Find<QLabel>("lblDetectDevice")->text(), "No device is available");
    EXPECT_EQ(IndicatorColour(rig), rig.Form().palette().color(QPalette::Button));
    EXPECT_FALSE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());
    EXPECT_TRUE(rig.State().FileReady());  // cleared by the next, searching tick

    rig.Tick();
    EXPECT_FALSE(rig.State().FileReady());
    // The file is still there: nothing plugged in is no reason to call it missing.
    EXPECT_TRUE(
        rig.Find<QLabel>("lblUpdaeFileStatus")
            ->text()
            .startsWith("Update Hex file   PaleReed_f066.hex    for Pale Reed F066 is here"))
        << rig.Find<QLabel>("lblUpdaeFileStatus")->text().toStdString();
    EXPECT_EQ(rig.usbLink.MatchString(), std::string("vid_0ea0&pid_6000"));
}

TEST(Detection, ChipInIspModeIsReportedWithItsVendorId) {
    for (const auto& [vid, text] :
         {std::pair{sim::kIspVidAlternate, "Firmware update device 0EA0 is exist"},
          std::pair{sim::kIspVidQuorvex, "Firmware update device 2FC6 is exist"}}) {
        FormRig rig;
        sim::ProductConfig config;
        config.blankFlash = true;
        config.ispVid = vid;
        rig.Plug(config);
        ASSERT_GT(rig.TickUntilFound(), 0);
        EXPECT_FALSE(rig.usbLink.UsesAudioDriver());
        EXPECT_EQ(rig.Find<QLabel>("lblDetectDevice")->text(), text);
        EXPECT_FALSE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());
    }
}

TEST(Detection, StoppedStatesNeitherSearchNorChangeLabels) {
    FormRig rig;
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    rig.Find<QCheckBox>("chkDetectUSB")->setChecked(false);
    EXPECT_FALSE(rig.usbLink.IsFound());
    EXPECT_EQ(IndicatorColour(rig), QColor(0x80, 0x80, 0x80));
    EXPECT_TRUE(rig.Find<pages::LabeledEdit>("lbledtPID")->isEnabled());
    const std::string match = rig.usbLink.MatchString();
    for (int tick = 0; tick < 5; ++tick)
        rig.Tick();
    EXPECT_EQ(rig.usbLink.MatchString(), match);
    EXPECT_EQ(rig.Find<QLabel>("lblDetectDevice")->text(), "Find Device Pale Reed F066");
}

TEST(Detection, TicksDoNothingWhileASequenceOrAPageOperationHoldsTheLink) {
    FormRig rig;
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    ASSERT_TRUE(rig.usbLink.OpenDevice());
    rig.Unplug();
    rig.trace.Clear();
    const QString shown = rig.Find<QLabel>("lblDetectDevice")->text();
    {
        const product::RunState::Run update(rig.runState);
        rig.Tick();
    }
    {
        const product::RunState::LinkHold held(rig.runState);
        rig.Tick();
        rig.State().SetDetecting(false);
        rig.Tick();  // stopped detection closes the link, but not under an operation
        EXPECT_TRUE(rig.usbLink.HasOpenHandle());
        rig.State().SetDetecting(true);
    }
    EXPECT_TRUE(rig.trace.Lines().empty());
    EXPECT_TRUE(rig.usbLink.IsFound());
    EXPECT_EQ(rig.usbLink.MatchString(), std::string("vid_2fc6&pid_f066"));
    EXPECT_EQ(rig.Find<QLabel>("lblDetectDevice")->text(), shown);
    rig.Tick();
    EXPECT_FALSE(rig.usbLink.IsFound());
}

TEST(Detection, ADeviceThatMayNotBeOpenedIsReportedAndStartStaysOff) {
    FormRig rig;
    rig.WriteFile("PaleReed_f066.hex", gui_test::HexFileOf({1, 2, 3, 4}));
    rig.bus.SetOpensRefused(true);
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    EXPECT_EQ(rig.Find<QLabel>("lblDetectDevice")->text(), "Find Device Pale Reed F066");
    const QString status = rig.Find<QLabel>("lblISPProcStatus")->text();
    // The platform's own sentence: the udev rule on Linux, another program on Windows.
    EXPECT_EQ(status.toStdString(), product::OpenFailureMessage(usb::OpenStatus::PermissionDenied));
    EXPECT_FALSE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());
    // The file's own state stands beside the permission sentence.
    EXPECT_EQ(rig.Find<QLabel>("lblUpdaeFileStatus")->text().section('\n', 0, 0),
              "Update Hex file   PaleReed_f066.hex    is Ready!");
    rig.Tick();
    EXPECT_FALSE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());
    rig.Find<QPushButton>("USBLoadFileBitBtn")->click();  // the ISP page's "File"
    EXPECT_FALSE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());
}

TEST(Detection, EnterInThePidEditTakesTheTextWithoutChangingTheSearch) {
    FormRig rig;
    rig.Find<QCheckBox>("chkDetectUSB")->setChecked(false);
    auto* pid = rig.Find<pages::LabeledEdit>("lbledtPID");
    pid->setText("6012");
    QTest::keyClick(pid->edit(), Qt::Key_A);
    EXPECT_EQ(rig.State().pidText, "f800");
    pid->setText("6012");
    QTest::keyClick(pid->edit(), Qt::Key_Return);
    EXPECT_EQ(rig.State().pidText, "6012");
    rig.Find<QCheckBox>("chkDetectUSB")->setChecked(true);
    rig.Tick();
    EXPECT_EQ(rig.usbLink.MatchString(), std::string("vid_2fc6&pid_f067"));
}

TEST(Detection, ASearchingTickEmptiesTheProgressLine) {
    FormRig rig;
    rig.Find<QLabel>("lblISPProcStatus")->setText("Enter ISP Mode");
    rig.Tick();
    EXPECT_EQ(rig.Find<QLabel>("lblISPProcStatus")->text(), "");
}

TEST(Detection, AStoppedDetectionClosesAnOpenDevice) {
    FormRig rig;
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    ASSERT_TRUE(rig.usbLink.OpenDevice());
    rig.State().SetDetecting(false);
    rig.Tick();
    EXPECT_FALSE(rig.usbLink.HasOpenHandle());
}

// After an ISP-mode device goes away the next search is a product search,
// which keeps the one-second interval; only the tick after it speeds up.
TEST(Detection, TheIntervalStaysASecondUntilATickFollowsAProductSearch) {
    FormRig rig;
    sim::ProductConfig config;
    config.blankFlash = true;
    rig.Plug(config);
    ASSERT_GT(rig.TickUntilFound(), 0);
    ASSERT_FALSE(rig.usbLink.UsesAudioDriver());
    EXPECT_EQ(rig.Tick(), 1000);
    rig.Unplug();
    EXPECT_EQ(rig.Tick(), 1000);  // the re-check finds nothing
    EXPECT_EQ(rig.Tick(), 1000);  // a product search
    EXPECT_TRUE(rig.usbLink.UsesAudioDriver());
    EXPECT_EQ(rig.Tick(), 100);  // the ISP-mode search after it
}

TEST(Detection, CheckingDetectDeviceTakesTheTextsOfTheTwoEdits) {
    FormRig rig;
    rig.Find<QCheckBox>("chkDetectUSB")->setChecked(false);
    rig.Find<pages::LabeledEdit>("lbledtVID")->setText("0ea0");
    rig.Find<pages::LabeledEdit>("lbledtPID")->setText("6000");
    rig.Find<QCheckBox>("chkDetectUSB")->setChecked(true);
    EXPECT_EQ(rig.State().vidText, "0ea0");
    EXPECT_EQ(rig.State().pidText, "6000");
    EXPECT_FALSE(rig.Find<pages::LabeledEdit>("lbledtVID")->isEnabled());
}

// Every row of the product table: its match string, its display name on the
// panel and its file base name for the update file.
class EveryProduct : public testing::TestWithParam<int> {};

TEST_P(EveryProduct, IsFoundByItsRowAndLoadsItsOwnFile) {
    struct Row {
        const char* name;
        const char* file;
    };
    static constexpr Row kRows[] = {
        {"Pale Reed F066", "PaleReed_f066"}, {"Pale Reed F067", "PaleReed_f067"},
        {"Pale Reed F068", "PaleReed_f068"}, {"Pale Reed F069", "PaleReed_f069"},
        {"Pale Reed F06A", "PaleReed_f06A"}, {"Pale Reed F06B", "PaleReed_f06B"},
        {"Pale Reed F06C", "PaleReed_f06C"}, {"Pale Reed F06D", "PaleReed_f06D"},
        {"Pale Reed F06E", "PaleReed_f06E"}, {"Pale Reed F06F", "PaleReed_f06F"},
    };
    const Row& row = kRows[GetParam()];
    FormRig rig;
    sim::ProductConfig config;
    config.row = GetParam();
    rig.Plug(config);
    ASSERT_GT(rig.TickUntilFound(), 0);
    EXPECT_EQ(rig.State().Detection().productIndex, GetParam());
    EXPECT_EQ(rig.Find<QLabel>("lblDetectDevice")->text(),
              QStringLiteral("Find Device ") + row.name);
    const QString file = QString::fromLatin1(row.file) + ".hex";
    EXPECT_TRUE(rig.Find<QLabel>("lblUpdaeFileStatus")->text().contains(" " + file + " "))
        << rig.Find<QLabel>("lblUpdaeFileStatus")->text().toStdString();
    rig.WriteFile(file, gui_test::HexFileOf({0x42}));
    rig.Tick();
    EXPECT_EQ(rig.Find<QLabel>("lblUpdaeFileStatus")->text().section('\n', 0, 0),
              "Update Hex file   " + file + "    is Ready!");
}

INSTANTIATE_TEST_SUITE_P(Rows, EveryProduct, testing::Range(0, 10),
                         [](const testing::TestParamInfo<int>& info) {
                             return "Row" + std::to_string(info.param);
                         });

}  // namespace
