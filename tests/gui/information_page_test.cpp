#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <memory>

#include "chip/registers.h"
#include "chip/request_codes.h"
#include "page_test_rig.h"
#include "pages/i2c_page.h"
#include "pages/information_page.h"
#include "sim/i2c_register_device.h"

namespace gui_test {
namespace {

using Event = TraceEvent;

// The Information page beside the I2C Access page it shares the slave address
// with; the I2C master is prepared as showing the I2C page leaves it.
class InformationPageTest : public ::testing::Test {
protected:
    InformationPageTest()
        : i2cPage(rig.Show(std::make_unique<pages::I2cPage>(rig.context))),
          page(rig.Show(std::make_unique<pages::InformationPage>(rig.context, i2cPage))) {}

    QLabel* Label(const char* name) const { return Find<QLabel>(page, name); }
    QLineEdit* Edit(const char* name) const { return Find<QLineEdit>(page, name); }
    QScrollBar* Bar(const char* name) const { return Find<QScrollBar>(page, name); }
    void Click(const char* name) const { Find<QPushButton>(page, name)->click(); }
    void ShowStatus(std::uint8_t rate, std::uint8_t flags) {
        rig.Chip().SetStatus(sim::DeviceStatus{rate, 0x00, flags});
        Click("btnUpdateStatus");
    }
    bool FormatAndRateEnabled() const {
        for (const char* name :
             {"lblCurrentFormat0", "lblCurrentFormat1", "lblCurrentFreq0", "lblCurrentFreq1"}) {
            if (!Label(name)->isEnabled())
                return false;
        }
        return true;
    }
    void PrepareI2c() {
        rig.usbLink.OpenDevice();
        chip::I2cPrepare(rig.usbLink);
        rig.usbLink.CloseDevice();
        rig.trace.Clear();
    }

    PageRig rig;
    pages::I2cPage& i2cPage;
    pages::InformationPage& page;
};

TEST_F(InformationPageTest, ShowsItsControlsAsBuilt) {
    EXPECT_EQ(page.objectName(), "Information");
    EXPECT_EQ(Label("lblConnect")->text(), "USB connected");
    EXPECT_EQ(Label("lblMute")->text(), "Unmute");
    EXPECT_EQ(Label("lblCurrentFormat0")->text(), "Input Format:");
    EXPECT_EQ(Label("lblCurrentFreq0")->text(), "Input Freq:  ");
    EXPECT_EQ(Label("lblCurrentFreq1")->text(), "176.4KHz");
    EXPECT_EQ(Find<QPushButton>(page, "btnHID3")->text(), "HID Vol +");
    EXPECT_EQ(Label("Add")->text(), "Command");
    EXPECT_EQ(Label("Label22")->text(), "Data");
    EXPECT_EQ(Edit("edtMI2CAddr1")->text(), "60");
    EXPECT_EQ(Bar("srblen0")->minimum(), 1);
    EXPECT_EQ(Bar("srblen0")->maximum(), 5);
    EXPECT_EQ(Bar("srblen1")->value(), 1);
    EXPECT_EQ(Label("lbllendat")->text(), "1");
    EXPECT_TRUE(Edit("edtI2Ccmd0")->isEnabled());
    EXPECT_FALSE(Edit("edtI2Ccmd1")->isEnabled());
    EXPECT_FALSE(Edit("edtI2Cdat4")->isEnabled());
    EXPECT_EQ(Edit("edtI2Cdat4")->text(), "00");
}

// --- Status display ---

TEST_F(InformationPageTest, UpdateReadsTheThreeStatusRegistersInBank0) {
    ShowStatus(0x04, 0x01);
    EXPECT_EQ(rig.WritesTo(0x00), std::vector<int>{0x00});
    EXPECT_EQ(rig.ReadsOf(0xA4), 1);
    EXPECT_EQ(rig.ReadsOf(0xA5), 1);
    EXPECT_EQ(rig.ReadsOf(0xA6), 1);
    EXPECT_EQ(page.StatusBytes()[2], 0x01);
    EXPECT_FALSE(rig.usbLink.HasOpenHandle());
}

TEST_F(InformationPageTest, StatusDisplayFollowsConnectionMuteAndFormat) {
    ShowStatus(0x04, 0x01);
    EXPECT_EQ(Label("lblConnect")->text(), "USB connected");
    EXPECT_EQ(Label("lblMute")->text(), "Playing");
    EXPECT_EQ(Label("lblCurrentFormat1")->text(), "PCM");
    EXPECT_EQ(Label("lblCurrentFreq1")->text(), "176.4KHz");
    EXPECT_TRUE(FormatAndRateEnabled());

    ShowStatus(0x12, 0x03);
    EXPECT_EQ(Label("lblCurrentFormat1")->text(), "DSD");
    EXPECT_EQ(Label("lblCurrentFreq1")->text(), " DoP 256");
    ShowStatus(0x08, 0x03);
    EXPECT_EQ(Label("lblCurrentFreq1")->text(), " DSD  64");

    ShowStatus(0x08, 0x05);
    EXPECT_EQ(Label("lblConnect")->text(), "USB connected");
    EXPECT_EQ(Label("lblMute")->text(), "Mute");
    EXPECT_TRUE(Label("lblMute")->isEnabled());
    EXPECT_FALSE(FormatAndRateEnabled());
    EXPECT_EQ(Label("lblCurrentFreq1")->text(), " DSD  64");  // greyed, last text kept

    ShowStatus(0x08, 0x00);
    EXPECT_EQ(Label("lblConnect")->text(), "USB Disconnected");
    EXPECT_FALSE(Label("lblMute")->isEnabled());
    EXPECT_EQ(Label("lblMute")->text(), "Mute");
    EXPECT_FALSE(FormatAndRateEnabled());
    EXPECT_EQ(Label("lblCurrentFormat1")->text(), "DSD");
}

TEST_F(InformationPageTest, ARateIndexWithoutTextShowsBlanks) {
    ShowStatus(0x0C, 0x01);
    EXPECT_EQ(Label("lblCurrentFreq1")->text(), "        ");
}

TEST_F(InformationPageTest, TheRateKeepsItsColumnsAtTheStatusSize) {
    const QFont rate = Label("lblCurrentFreq1")->font();
    EXPECT_EQ(rate.pointSize(), 14);
    EXPECT_TRUE(rate.bold());
    const QFontMetrics metrics(rate);
    EXPECT_EQ(metrics.horizontalAdvance(' '), metrics.horizontalAdvance('K'));  // fixed pitch
    EXPECT_EQ(Label("lblConnect")->font().pointSize(), 14);
}

// --- HID keys ---

TEST_F(InformationPageTest, VolumeUpHandsKey01ToTheFirmwareAndWaitsForIt) {
    Click("btnHID3");
    const auto writes = rig.Writes();
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ((std::vector<int>{writes[0].reg, writes[0].value}), (std::vector<int>{0x00, 0x00}));
    EXPECT_EQ((std::vector<int>{writes[1].reg, writes[1].value}), (std::vector<int>{0x91, 0x01}));
    EXPECT_EQ((std::vector<int>{writes[2].reg, writes[2].value}), (std::vector<int>{0x90, 0x30}));
    EXPECT_EQ(rig.Chip().HidKeys(), std::vector<std::uint8_t>{0x01});
    EXPECT_GE(rig.ReadsOf(0x90), 1);
    EXPECT_LE(rig.ReadsOf(0x90), 10);
    // Every poll follows its own 10 ms pause.
    const auto events = rig.Events();
    for (std::size_t i = 1; i < events.size(); ++i) {
        if (events[i].kind == Event::Read && events[i].reg == 0x90) {
            EXPECT_EQ(events[i - 1].kind, Event::Sleep);
            EXPECT_EQ(events[i - 1].value, 10);
        }
    }
}

TEST_F(InformationPageTest, AKeyTheFirmwareNeverConfirmsIsPolledTenTimes) {
    rig.usbLink.OpenDevice();
    chip::IspMode(rig.usbLink, true);  // in ISP mode no firmware serves the mailbox
    rig.usbLink.CloseDevice();
    rig.trace.Clear();
    Click("btnHID0");
    EXPECT_EQ(rig.WritesTo(0x91), std::vector<int>{0x40});
    EXPECT_EQ(rig.ReadsOf(0x90), 10);
    EXPECT_EQ(rig.Sleeps(), std::vector<int>(10, 10));
    EXPECT_FALSE(rig.usbLink.HasOpenHandle());
}

TEST_F(InformationPageTest, EachHidButtonSendsItsKeyCode) {
    for (const char* name : {"btnHID0", "btnHID1", "btnHID2", "btnHID3", "btnHID4"})
        Click(name);
    EXPECT_EQ(rig.Chip().HidKeys(), (std::vector<std::uint8_t>{0x40, 0x02, 0x10, 0x01, 0x20}));
}

// --- Special I2C access ---

TEST_F(InformationPageTest, LengthBarsShowTheCountAndEnableThatManyEdits) {
    Bar("srblen0")->setValue(3);
    EXPECT_EQ(Label("lbllencmd")->text(), "3");
    EXPECT_TRUE(Edit("edtI2Ccmd2")->isEnabled());
    EXPECT_FALSE(Edit("edtI2Ccmd3")->isEnabled());
    EXPECT_FALSE(Edit("edtI2Ccmd4")->isEnabled());
    Bar("srblen1")->setValue(5);
    EXPECT_EQ(Label("lbllendat")->text(), "5");
    EXPECT_TRUE(Edit("edtI2Cdat4")->isEnabled());
    Bar("srblen1")->setValue(1);
    EXPECT_FALSE(Edit("edtI2Cdat1")->isEnabled());
}

TEST_F(InformationPageTest, WriteSendsTheChosenBytesToTheAddressLastTakenOver) {
    PrepareI2c();
    Bar("srblen0")->setValue(3);
    Bar("srblen1")->setValue(2);
    Edit("edtI2Ccmd0")->setText("10");
    Edit("edtI2Ccmd1")->setText("5");   // the missing digit counts as 0
    Edit("edtI2Ccmd2")->setText("1G");  // so does one that is no digit
    Edit("edtI2Ccmd3")->setText("77");  // beyond the length: not sent
    Edit("edtI2Cdat0")->setText("ab");
    Edit("edtI2Cdat1")->setText("XY");
    Click("btnWriteSpecI2C");

    // The edit shows "60", but the address is still the one of start-up.
    EXPECT_EQ(rig.WritesTo(chip::kRegI2cTxData),
              (std::vector<int>{0x20, 0x10, 0x50, 0x10, 0xAB, 0x00}));
    EXPECT_FALSE(rig.usbLink.HasOpenHandle());
}

TEST_F(InformationPageTest, EnterInTheAddressEditRedirectsTheGroupAndTheI2cPage) {
    PrepareI2c();
    Edit("edtMI2CAddr1")->setText("060");
    PressKey(Edit("edtMI2CAddr1"), Qt::Key_Return, "\r");
    EXPECT_EQ(rig.devicePages.i2cSlaveAddr, 0x60);
    EXPECT_EQ(Find<QLineEdit>(i2cPage, "edtMI2CAddr")->text(), "60");
    EXPECT_EQ(Edit("edtMI2CAddr1")->text(), "060");  // kept as typed

    Click("btnWriteSpecI2C");
    EXPECT_EQ(rig.WritesTo(chip::kRegI2cTxData), (std::vector<int>{0x60, 0x00, 0x00}));

    Edit("edtMI2CAddr1")->setText("zz");
    PressKey(Edit("edtMI2CAddr1"), Qt::Key_Return, "\r");
    EXPECT_EQ(rig.handlerErrors, QStringList{"'0xzz' is not a valid integer value"});
    EXPECT_EQ(rig.devicePages.i2cSlaveAddr, 0x60);
}

TEST_F(InformationPageTest, ReadShowsTheRepliedBytes) {
    PrepareI2c();
    rig.devicePages.i2cSlaveAddr = 0x60;  // the amplifier: ID 41, status 50 from register 0
    Bar("srblen1")->setValue(2);
    Click("btnReadSpecI2C");
    EXPECT_EQ(rig.WritesTo(chip::kRegI2cTxData), (std::vector<int>{0x60, 0x00, 0x61}));
    EXPECT_EQ(Edit("edtI2Cdat0")->text(), "41");
    EXPECT_EQ(Edit("edtI2Cdat1")->text(), "50");
    EXPECT_EQ(Edit("edtI2Cdat2")->text(), "00");
}

TEST_F(InformationPageTest, AReadWithoutAnswerLeavesTheDataEdits) {
    PrepareI2c();
    rig.devicePages.i2cSlaveAddr = 0x30;
    Edit("edtI2Cdat0")->setText("5A");
    Click("btnReadSpecI2C");
    EXPECT_EQ(Edit("edtI2Cdat0")->text(), "5A");
}

TEST_F(InformationPageTest, WithoutADeviceTheI2cButtonsDoNothing) {
    rig.usbLink.ClearFound();
    Click("btnWriteSpecI2C");
    Click("btnReadSpecI2C");
    EXPECT_TRUE(rig.trace.Lines().empty());
}

// --- Outcomes told ---

TEST_F(InformationPageTest, AnUpdateWithoutAnswerShowsTheStatusAsUnknown) {
    ShowStatus(0x04, 0x01);
    EXPECT_EQ(Label("lblInfoStatus")->text(), "Read from the device");
    ASSERT_EQ(Label("lblMute")->text(), "Playing");
    rig.Unplug();
    Click("btnUpdateStatus");
    EXPECT_EQ(Label("lblInfoStatus")->text(), "The device did not answer: nothing was changed");
    EXPECT_EQ(Label("lblConnect")->text(), "USB connection unknown");
    EXPECT_FALSE(Label("lblMute")->isEnabled());
    EXPECT_FALSE(FormatAndRateEnabled());
    EXPECT_FALSE(page.StatusKnown());
}

TEST_F(InformationPageTest, HidKeysAndTheSpecialI2cGroupSayHowTheyEnded) {
    Click("btnHID3");
    EXPECT_EQ(Label("lblInfoStatus")->text(), "Written");
    rig.devicePages.i2cSlaveAddr = 0x30;  // nobody there
    Click("btnWriteSpecI2C");
    EXPECT_EQ(Label("lblInfoStatus")->text(), "The device did not answer: nothing was changed");
    rig.devicePages.i2cSlaveAddr = 0x20;
    Click("btnWriteSpecI2C");
    EXPECT_EQ(Label("lblInfoStatus")->text(), "Written");
    rig.usbLink.OpenDevice();
    chip::IspMode(rig.usbLink, true);  // in ISP mode no firmware serves the mailbox
    rig.usbLink.CloseDevice();
    Click("btnHID3");
    EXPECT_EQ(Label("lblInfoStatus")->text(), "The device did not answer: nothing was changed");
}

// "Update" selects bank 0, where the I2C master's registers are not; the
// group sets the master up again before its transaction.
TEST_F(InformationPageTest, TheSpecialI2cGroupPreparesTheMasterAfterAnUpdate) {
    PrepareI2c();
    ShowStatus(0x04, 0x01);
    rig.trace.Clear();
    rig.devicePages.i2cSlaveAddr = 0x60;
    Bar("srblen1")->setValue(2);
    Click("btnReadSpecI2C");
    const auto writes = rig.Writes();
    ASSERT_GE(writes.size(), 2u);
    EXPECT_EQ(writes[0].reg, 0x00);
    EXPECT_EQ(writes[0].value, 0x0E);
    EXPECT_EQ(writes[1].reg, 0x11);
    EXPECT_EQ(Edit("edtI2Cdat0")->text(), "41");
    EXPECT_EQ(Edit("edtI2Cdat1")->text(), "50");
    EXPECT_EQ(Label("lblInfoStatus")->text(), "Read from the device");
}

TEST_F(InformationPageTest, NothingIsSentWhileATableReadHoldsTheLink) {
    const product::RunState::LinkHold heldElsewhere(rig.runState);
    for (const char* name : {"btnUpdateStatus", "btnHID2", "btnWriteSpecI2C", "btnReadSpecI2C"})
        Click(name);
    EXPECT_TRUE(rig.trace.Lines().empty());
}

}  // namespace
}  // namespace gui_test
