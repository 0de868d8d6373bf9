#include <gtest/gtest.h>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "form_test_rig.h"
#include "pages/labeled_edit.h"
#include "pages/string_grid.h"

namespace {

using gui_test::FormRig;

TEST(FormStartup, WindowSizeFollowsTheTextScaling) {
    for (const auto& [dpi, size, pagesHeight] :
         {std::tuple{96, QSize(606, 200), 100}, std::tuple{119, QSize(606, 200), 100},
          std::tuple{120, QSize(746, 340), 240}, std::tuple{144, QSize(746, 340), 240}}) {
        FormRig rig(dpi);
        // The designed size at least: taller where the system's font needs
        // more room for the panel's lines (the window grows to fit them).
        EXPECT_EQ(rig.Form().width(), size.width()) << dpi;
        EXPECT_GE(rig.Form().height(), size.height()) << dpi;
        EXPECT_EQ(rig.Form().minimumWidth(), size.width()) << dpi;
        EXPECT_EQ(rig.Find<QTabWidget>("MainPageControl")->maximumHeight(), pagesHeight) << dpi;
    }
}

TEST(FormStartup, OpensInTheCompactLayoutWithOnlyTheDevicePanel) {
    FormRig rig;
    EXPECT_EQ(rig.Form().windowTitle(), "Pale Reed USB Audio firmware update Tool V1.01");
    auto* tabs = rig.Find<QTabWidget>("MainPageControl");
    ASSERT_NE(tabs, nullptr);
    EXPECT_TRUE(tabs->isHidden());
    const QStringList captions = {"Register",  "I2C Access",  "ISP",
                                  "Parameter", "Information", "Gen. Bin File"};
    const QStringList names = {"TabSheet1", "PageMI2CCtrl", "PageISPCtrl",
                               "Parameter", "Information",  "BinFile"};
    ASSERT_EQ(tabs->count(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(tabs->tabText(i), captions[i]);
        EXPECT_EQ(tabs->widget(i)->objectName(), names[i]);
        EXPECT_EQ(tabs->isTabVisible(i), names[i] == "PageISPCtrl") << names[i].toStdString();
    }
    // "Register" was made the active page first; hiding its tab leaves the
    // one visible page current.
    EXPECT_EQ(tabs->currentWidget()->objectName(), "PageISPCtrl");
    for (const char* hidden :
         {"chkDetectUSB", "lbledtVID", "lbledtPID", "gbxISPRange", "chkISPMode", "chkProtect",
          "chkReadFile", "chkErase", "chkBlank", "chkProgram", "chkVerify", "GroupBox1",
          "USBLoadFileBitBtn", "cbxReadISPFile"}) {
        auto* widget = rig.Find<QWidget>(hidden);
        ASSERT_NE(widget, nullptr) << hidden;
        EXPECT_TRUE(widget->isHidden()) << hidden;
    }
    EXPECT_FALSE(rig.Find<QWidget>("gbxFlashCMD")->isHidden());
}

TEST(FormStartup, PanelTextsAndTheStartButtonBeginAsTheyShould) {
    FormRig rig;
    EXPECT_EQ(rig.Find<QLabel>("lblDetectDevice")->text(), "No device is available");
    EXPECT_TRUE(rig.Find<QLabel>("lblUpdaeFileStatus")->text().startsWith("No Updated File !"));
    EXPECT_EQ(rig.Find<QLabel>("lblISPProcStatus")->text(), "");
    EXPECT_EQ(rig.Find<QLabel>("lblISPProcStatus")->font().pointSize(), 16);
    EXPECT_EQ(rig.Find<QLabel>("lblDetectDevice")->font().pointSize(), 12);
    auto* start = rig.Find<QPushButton>("btnSimpleAuto");
    EXPECT_EQ(start->text(), "Start");
    EXPECT_FALSE(start->isEnabled());
    EXPECT_TRUE(rig.Find<QWidget>("barUpdateProgress")->isHidden());
}

TEST(FormStartup, DetectionIsOnAlthoughItsBoxIsHidden) {
    FormRig rig;
    EXPECT_TRUE(rig.State().Detecting());
    EXPECT_TRUE(rig.Find<QCheckBox>("chkDetectUSB")->isChecked());
    EXPECT_FALSE(rig.Find<pages::LabeledEdit>("lbledtVID")->isEnabled());
    EXPECT_EQ(rig.Find<pages::LabeledEdit>("lbledtVID")->text(), "2fc6");
    EXPECT_EQ(rig.Find<pages::LabeledEdit>("lbledtPID")->text(), "f800");
    EXPECT_EQ(rig.State().vidText, "2fc6");
    EXPECT_EQ(rig.State().pidText, "f800");
    EXPECT_EQ(rig.Form().Timer1()->interval(), 1000);
}

TEST(FormStartup, GridHeadingsAreFilled) {
    FormRig rig;
    for (const char* name : {"RegStringGrid1", "StringGridMIIC"}) {
        auto* grid = rig.Find<pages::StringGrid>(name);
        ASSERT_NE(grid, nullptr) << name;
        EXPECT_EQ(grid->Cell(1, 0), "00");
        EXPECT_EQ(grid->Cell(16, 0), "0F");
        EXPECT_EQ(grid->Cell(0, 1), "00");
        EXPECT_EQ(grid->Cell(0, 16), "F0");
        EXPECT_EQ(grid->Cell(0, 0), "");
    }
}

TEST(FormStartup, BuiltInImageFillsTheFirmwareImageAndRangeIsWholeFlash) {
    FormRig rig;
    const auto bytes = rig.firmwareImage.Bytes();
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "QVFW");
    EXPECT_EQ(rig.firmwareImage.ImageLength(), 0u);
    EXPECT_EQ(rig.flashState.rangeStart, 0u);
    EXPECT_EQ(rig.flashState.rangeSize, 0x8000u);
    EXPECT_EQ(rig.devicePages.sysSetting, (std::array<std::uint8_t, 4>{0xA1, 0, 0, 0}));
}

// The rig stops the timer at once; it notes beforehand that the window had started it.
TEST(FormStartup, Timer1RunsFromTheStartAtOneSecond) {
    FormRig rig;
    EXPECT_TRUE(rig.TimerRanFromStart());
}

TEST(FormStartup, ClosingClosesTheHandleOfAFoundDevice) {
    FormRig rig;
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    ASSERT_TRUE(rig.usbLink.OpenDevice());
    rig.Form().show();
    EXPECT_TRUE(rig.Form().close());
    EXPECT_FALSE(rig.usbLink.HasOpenHandle());
}

TEST(FormStartup, ClosingWithoutADeviceDoesNoDeviceIo) {
    FormRig rig;
    rig.Form().close();
    EXPECT_TRUE(rig.trace.Lines().empty()) << rig.trace.Lines().front();
}

TEST(FormStartup, ShowingTheI2cPageWithNoDeviceStillTriesTheSetUp) {
    FormRig rig(96, true);
    rig.Find<QTabWidget>("MainPageControl")->setCurrentIndex(1);
    const std::vector<std::string> expected = {"open fail", "43 90 0000 0000 1 0e fail",
                                               "43 90 0000 0011 1 04 fail"};
    EXPECT_EQ(rig.trace.Lines(), expected);
}

TEST(FormStartup, ShowingTheI2cPageWhileAnOperationHoldsTheLinkSendsNothing) {
    FormRig rig(96, true);
    const product::RunState::LinkHold held(rig.runState);
    rig.Find<QTabWidget>("MainPageControl")->setCurrentIndex(1);
    EXPECT_TRUE(rig.trace.Lines().empty());
}

TEST(FormStartup, EngineeringLayoutShowsEveryPage) {
    FormRig rig(96, true);
    auto* tabs = rig.Find<QTabWidget>("MainPageControl");
    EXPECT_FALSE(tabs->isHidden());
    for (int i = 0; i < tabs->count(); ++i)
        EXPECT_TRUE(tabs->isTabVisible(i));
    EXPECT_FALSE(rig.Find<QWidget>("chkDetectUSB")->isHidden());
}

}  // namespace
