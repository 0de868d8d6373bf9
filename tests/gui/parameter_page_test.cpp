#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <array>
#include <memory>

#include "chip/registers.h"
#include "modal_answerer.h"
#include "page_test_rig.h"
#include "pages/labeled_edit.h"
#include "pages/parameter_page.h"

namespace gui_test {
namespace {

using Event = TraceEvent;

// One parameter request as the mailbox registers received it.
struct MailboxRequest {
    int selector = -1;
    int argument = -1;
    std::vector<int> data;
};

std::vector<MailboxRequest> MailboxRequests(const PageRig& rig) {
    std::vector<MailboxRequest> requests;
    MailboxRequest next;
    for (const Event& write : rig.Writes()) {
        if (write.reg >= 0x93 && write.reg <= 0x9A)
            next.data.push_back(write.value);
        if (write.reg == 0x91)
            next.selector = write.value;
        if (write.reg == 0x92)
            next.argument = write.value;
        if (write.reg == 0x90 && write.value == 0x10) {
            requests.push_back(next);
            next = MailboxRequest{};
        }
    }
    return requests;
}

std::vector<int> Bytes(const std::string& text) {
    return std::vector<int>(text.begin(), text.end());
}

// The parameter page after the window's start-up: sysSetting A1 00 00 00 shown.
class ParameterPageTest : public ::testing::Test {
protected:
    ParameterPageTest() : page(rig.Show(std::make_unique<pages::ParameterPage>(rig.context))) {
        page.ShowSysSetting();
    }

    bool Checked(const char* name) const { return Find<QAbstractButton>(page, name)->isChecked(); }
    void Click(const char* name) const { Find<QAbstractButton>(page, name)->click(); }
    QString Eeprom() const { return Find<QLabel>(page, "lblEepAvail")->text(); }
    pages::LabeledEdit* Edit(const char* name) const {
        return Find<pages::LabeledEdit>(page, name);
    }
    QString Status() const { return Find<QLabel>(page, "lblParaStatus")->text(); }
    void SetIspMode(bool on) {
        rig.usbLink.OpenDevice();
        chip::IspMode(rig.usbLink, on);
        rig.usbLink.CloseDevice();
        rig.trace.Clear();
    }
    void EnterIn(const char* name, const QString& text) {
        Edit(name)->setText(text);
        PressKey(Edit(name)->edit(), Qt::Key_Return, QStringLiteral("\r"));
    }

    PageRig rig;
    pages::ParameterPage& page;
};

TEST_F(ParameterPageTest, ShowsItsControlsAsBuilt) {
    EXPECT_EQ(page.objectName(), "Parameter");
    EXPECT_EQ(Find<QGroupBox>(page, "GroupBox2")->title(), "Output when  DSD in");
    EXPECT_EQ(Find<QGroupBox>(page, "GroupBox3")->title(), "I2S Output length");
    EXPECT_EQ(Find<QGroupBox>(page, "GroupBox4")->title(), "SPDIF Output length");
    EXPECT_EQ(Find<QGroupBox>(page, "GroupBox5")->title(), "I2S MCLK Output Frequency");
    EXPECT_EQ(Find<QGroupBox>(page, "GroupBox6")->title(), "I2S Format ");
    EXPECT_EQ(Find<QLabel>(page, "Label8")->text(), "System General Setting");
    EXPECT_EQ(Find<QLabel>(page, "Label2")->text(),
              "Prodcut Information String (Max. 31 character)");
    EXPECT_TRUE(Find<QLabel>(page, "lblEepAvail")->font().bold());
    EXPECT_EQ(Find<QAbstractButton>(page, "btnReadPara")->text(), "Read back");
    EXPECT_EQ(Find<QAbstractButton>(page, "btnSetPara")->text(), "Set");
    EXPECT_EQ(Find<QAbstractButton>(page, "rbnMCLKOutFreq3")->text(), "1024 Fs");
    EXPECT_EQ(Edit("lbledSysVID")->label()->text(), "VID:");
    EXPECT_EQ(Edit("lbledSysVID")->text(), "2fc0");
    EXPECT_EQ(Edit("lbledSysPID")->text(), "6012");
    EXPECT_EQ(Edit("lbledSysStr1")->label()->text(), "String 1:");
    EXPECT_EQ(Edit("lbledSysStr1")->text(), "Quorvex-inc");
    EXPECT_EQ(Edit("lbledSysStr2")->text(), "Quorvex-inc UAC2 22");
    EXPECT_EQ(Edit("lbledSysStr3")->text(), "QVUA170203");
}

// The page as built, before the window shows sysSetting on it: every radio
// group holds its own form default, not only the last one set.
TEST(ParameterPageFormDefaults, EachRadioGroupKeepsItsDefault) {
    PageRig rig;
    const auto& page = rig.Show(std::make_unique<pages::ParameterPage>(rig.context));
    for (const char* name :
         {"rbnDSDOut0", "rbnI2Slen0", "rbnSPDIFlen1", "rbnI2SFormat0", "rbnMCLKOutFreq0"}) {
        EXPECT_TRUE(Find<QRadioButton>(page, name)->isChecked()) << name;
    }
    for (const char* name : {"rbnDSDOut1", "rbnI2Slen1", "rbnSPDIFlen0", "rbnI2SFormat1",
                             "rbnMCLKOutFreq1", "rbnMCLKOutFreq2", "rbnMCLKOutFreq3"}) {
        EXPECT_FALSE(Find<QRadioButton>(page, name)->isChecked()) << name;
    }
    // Checking a default is no click: the setting in memory stays as it was.
    EXPECT_EQ(rig.devicePages.sysSetting, (std::array<std::uint8_t, 4>{0xA1, 0, 0, 0}));
}

// --- The system setting ---

TEST_F(ParameterPageTest, StartUpShowsA1000000WhateverTheFormDefaultsSay) {
    EXPECT_TRUE(Checked("rbnI2Slen0"));
    EXPECT_TRUE(Checked("rbnSPDIFlen1"));
    EXPECT_TRUE(Checked("rbnMCLKOutFreq2"));
    EXPECT_FALSE(Checked("rbnMCLKOutFreq0"));
    EXPECT_TRUE(Checked("rbnI2SFormat0"));
    EXPECT_TRUE(Checked("rbnDSDOut0"));
    for (const char* box :
         {"chkI2SLRSwap", "chkDSDLRSwap", "chkMCLKOutOff", "chkI2SOutOff", "chkSPDIFOutOff"}) {
        EXPECT_FALSE(Checked(box)) << box;
    }
    EXPECT_EQ(Eeprom(), "EEPROM not Available");
    EXPECT_EQ(rig.devicePages.sysSetting, (std::array<std::uint8_t, 4>{0xA1, 0, 0, 0}));
    EXPECT_TRUE(rig.trace.Lines().empty());
}

TEST_F(ParameterPageTest, EachOptionChangesItsBitsInMemoryOnly) {
    Click("rbnI2Slen1");       // bit 0 off
    Click("rbnSPDIFlen0");     // bit 1 on
    Click("chkI2SLRSwap");     // bit 2 on
    Click("chkDSDLRSwap");     // bit 3 on
    Click("rbnMCLKOutFreq3");  // bits 5-4 = 3
    Click("rbnI2SFormat1");    // bit 6 on
    Click("rbnDSDOut1");       // bit 7 off
    Click("chkMCLKOutOff");
    Click("chkI2SOutOff");
    Click("chkSPDIFOutOff");
    EXPECT_EQ(rig.devicePages.sysSetting, (std::array<std::uint8_t, 4>{0x7E, 0xE0, 0, 0}));
    EXPECT_TRUE(rig.trace.Lines().empty());

    Click("rbnMCLKOutFreq1");
    Click("chkI2SOutOff");
    EXPECT_EQ(rig.devicePages.sysSetting, (std::array<std::uint8_t, 4>{0x5E, 0xA0, 0, 0}));
}

TEST_F(ParameterPageTest, ReadBackShowsTheDevicesSetting) {
    rig.Chip().Params().SetSysSetting({0x4E, 0x7F, 0x33, 0x80});
    Click("rbnI2Slen0");
    Click("btnReadPara");

    EXPECT_EQ(rig.devicePages.sysSetting, (std::array<std::uint8_t, 4>{0x4E, 0x7F, 0x33, 0x80}));
    EXPECT_TRUE(Checked("rbnI2Slen1"));
    EXPECT_TRUE(Checked("rbnSPDIFlen0"));
    EXPECT_TRUE(Checked("chkI2SLRSwap"));
    EXPECT_TRUE(Checked("chkDSDLRSwap"));
    EXPECT_TRUE(Checked("rbnMCLKOutFreq0"));
    EXPECT_TRUE(Checked("rbnI2SFormat1"));
    EXPECT_TRUE(Checked("rbnDSDOut1"));
    EXPECT_FALSE(Checked("chkMCLKOutOff"));
    EXPECT_TRUE(Checked("chkI2SOutOff"));
    EXPECT_TRUE(Checked("chkSPDIFOutOff"));
    EXPECT_EQ(Eeprom(), "EEPROM Exist");
    const auto requests = MailboxRequests(rig);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].selector, 0x21);
    EXPECT_TRUE(requests[0].data.empty());
}

TEST_F(ParameterPageTest, ReadBackThenSetSendsTheUnshownBytesUnchanged) {
    rig.Chip().Params().SetSysSetting({0xA1, 0x1D, 0x77, 0x85});
    Click("btnReadPara");
    Click("chkSPDIFOutOff");
    Click("rbnSPDIFlen0");
    rig.trace.Clear();
    Click("btnSetPara");

    const auto requests = MailboxRequests(rig);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].selector, 0x20);
    EXPECT_EQ(requests[0].argument, 0);
    EXPECT_EQ(requests[0].data, (std::vector<int>{0xA3, 0x3D, 0x77, 0x85}));
    EXPECT_EQ(rig.Chip().Params().SysSetting(),
              (std::array<std::uint8_t, 4>{0xA3, 0x3D, 0x77, 0x85}));
}

TEST_F(ParameterPageTest, OptionsWithoutSetLeaveTheDeviceAndReadBackRestoresThem) {
    Click("rbnDSDOut1");
    Click("chkMCLKOutOff");
    Click("btnReadPara");
    EXPECT_TRUE(Checked("rbnDSDOut0"));
    EXPECT_FALSE(Checked("chkMCLKOutOff"));
    EXPECT_EQ(rig.Chip().Params().SysSetting(), (std::array<std::uint8_t, 4>{0xA1, 0, 0, 0}));
}

// --- IDs and strings ---

TEST_F(ParameterPageTest, EnterInAnIdEditSendsItsFourCharacters) {
    EnterIn("lbledSysVID", "2fc0");
    EnterIn("lbledSysPID", "7");
    const auto requests = MailboxRequests(rig);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].selector, 0x08);
    EXPECT_EQ(requests[0].data, (std::vector<int>{0x32, 0x66, 0x63, 0x30}));
    EXPECT_EQ(requests[1].selector, 0x0A);
    EXPECT_EQ(requests[1].data, (std::vector<int>{0x37, 0x00, 0x00, 0x00}));
    EXPECT_EQ(rig.Chip().Params().Vid(), "2fc0");
}

TEST_F(ParameterPageTest, AnElevenCharacterStringGoesOutAsTwoChunks50msApart) {
    EnterIn("lbledSysStr1", "Quorvex-inc");
    const auto requests = MailboxRequests(rig);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].selector, 0x10);
    EXPECT_EQ(requests[0].argument, 0);
    std::vector<int> first{11};
    for (int c : Bytes("Quorvex"))
        first.push_back(c);
    EXPECT_EQ(requests[0].data, first);
    EXPECT_EQ(requests[1].argument, 1);
    EXPECT_EQ(requests[1].data, Bytes("-inc"));
    EXPECT_EQ(rig.Chip().Params().String(1), "Quorvex-inc");

    // Each chunk's request closes the link, then the pause, then the next chunk.
    const auto events = rig.Events();
    std::vector<int> pausesAfterClose;
    for (std::size_t i = 0; i + 1 < events.size(); ++i) {
        if (events[i].kind == Event::Close && events[i + 1].kind == Event::Sleep)
            pausesAfterClose.push_back(events[i + 1].value);
    }
    EXPECT_EQ(pausesAfterClose, (std::vector<int>{50, 50}));
}

TEST_F(ParameterPageTest, ChunksFollowTheStringLength) {
    EnterIn("lbledSysStr2", "ABCDEFG");
    auto requests = MailboxRequests(rig);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].selector, 0x14);
    EXPECT_EQ(requests[0].data.size(), 8u);

    rig.trace.Clear();
    EnterIn("lbledSysStr3", "ABCDEFGH");
    requests = MailboxRequests(rig);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].selector, 0x18);
    EXPECT_EQ(requests[1].data, std::vector<int>{'H'});

    rig.trace.Clear();
    EnterIn("lbledSysStr1", "");
    requests = MailboxRequests(rig);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].data, std::vector<int>{0});

    rig.trace.Clear();
    EnterIn("lbledSysStr1", QString(31, 'x'));
    requests = MailboxRequests(rig);
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[3].argument, 3);
    EXPECT_EQ(requests[3].data.size(), 8u);
}

TEST_F(ParameterPageTest, AStringOfMoreThan31CharactersIsRefusedWithAMessage) {
    ModalAnswerer answerer;
    answerer.Answer(QMessageBox::Ok);
    EnterIn("lbledSysStr2", QString(32, 'y'));
    EXPECT_EQ(answerer.Titles(), QStringList{"Warning"});
    ASSERT_EQ(answerer.Texts().size(), 1);
    EXPECT_TRUE(answerer.Texts()[0].contains("32 characters")) << answerer.Texts()[0].toStdString();
    EXPECT_TRUE(answerer.Texts()[0].contains("at most 31"));
    EXPECT_TRUE(rig.trace.Lines().empty());
}

// --- Outcomes told ---

TEST_F(ParameterPageTest, SetSendsOnlyASettingReadFromTheDeviceAndSaysHowItEnded) {
    Click("btnSetPara");  // the start-up value is no reading
    EXPECT_TRUE(MailboxRequests(rig).empty());
    EXPECT_TRUE(Status().startsWith("Read back the setting first")) << Status().toStdString();

    rig.Chip().Params().SetSysSetting({0x4E, 0x7F, 0x33, 0x80});
    Click("btnReadPara");
    EXPECT_EQ(Status(), "Read from the device");
    Click("btnSetPara");
    EXPECT_EQ(Status(), "Written");
    EXPECT_EQ(MailboxRequests(rig).back().selector, 0x20);
}

TEST_F(ParameterPageTest, AReadBackWithoutAnswerShowsTheSettingAsUnknownAndSetSendsNothing) {
    rig.Chip().Params().SetSysSetting({0x4E, 0x7F, 0x33, 0x80});
    Click("btnReadPara");
    SetIspMode(true);  // in ISP mode no firmware serves the mailbox
    Click("btnReadPara");
    EXPECT_EQ(Status(), "The device did not answer: nothing was changed");
    EXPECT_EQ(Eeprom(), "EEPROM unknown");
    for (const char* name : {"rbnI2Slen0", "rbnI2Slen1", "rbnMCLKOutFreq0", "rbnDSDOut1",
                             "chkI2SOutOff", "chkSPDIFOutOff"}) {
        EXPECT_FALSE(Checked(name)) << name;
        EXPECT_FALSE(Find<QWidget>(page, name)->isEnabled()) << name;
    }
    SetIspMode(false);
    Click("btnSetPara");
    EXPECT_TRUE(MailboxRequests(rig).empty());
    EXPECT_TRUE(Status().startsWith("Read back the setting first")) << Status().toStdString();
    EXPECT_EQ(rig.Chip().Params().SysSetting(),
              (std::array<std::uint8_t, 4>{0x4E, 0x7F, 0x33, 0x80}));

    Click("btnReadPara");
    EXPECT_TRUE(Checked("rbnI2Slen1"));
    EXPECT_TRUE(Find<QWidget>(page, "rbnI2Slen1")->isEnabled());
}

TEST_F(ParameterPageTest, EnterSaysWhetherTheDeviceTookTheField) {
    EnterIn("lbledSysStr1", "Pale Reed");
    EXPECT_EQ(Status(), "Written");
    SetIspMode(true);
    EnterIn("lbledSysVID", "2fc0");
    EXPECT_EQ(Status(), "The device did not answer: nothing was changed");
    EnterIn("lbledSysStr1", "Pale Reed F066 in a long name");
    EXPECT_EQ(Status(), "The device did not answer: nothing was changed");
    // The VID and the first of the string's four chunks; none after the one not answered.
    EXPECT_EQ(MailboxRequests(rig).size(), 2u);
}

TEST_F(ParameterPageTest, AStringLostAfterItsFirstChunkIsToldAsMaybeIncomplete) {
    // The first chunk is confirmed on the second poll; the third poll is the second chunk's.
    rig.OnRead(0x90, 3, [this] { rig.Unplug(); });
    EnterIn("lbledSysStr1", "Quorvex-inc");
    EXPECT_EQ(MailboxRequests(rig).size(), 2u);
    EXPECT_TRUE(Status().startsWith("The device stopped answering part-way"))
        << Status().toStdString();
}

TEST_F(ParameterPageTest, TextWithoutSingleByteCodesIsRefusedBeforeAnythingIsSent) {
    ModalAnswerer answerer;
    answerer.Answer(QMessageBox::Ok);
    answerer.Answer(QMessageBox::Ok);
    EnterIn("lbledSysStr1", QStringLiteral("Caf\u00E9 \u03A9\u20AC"));
    EnterIn("lbledSysPID", QStringLiteral("\u20AC12"));
    EXPECT_EQ(answerer.Titles(), (QStringList{"Warning", "Warning"}));
    EXPECT_TRUE(answerer.Texts().value(0).startsWith("String 1"))
        << answerer.Texts().value(0).toStdString();
    EXPECT_TRUE(answerer.Texts().value(1).startsWith("PID"))
        << answerer.Texts().value(1).toStdString();
    EXPECT_TRUE(rig.trace.Lines().empty());

    EnterIn("lbledSysStr1", QStringLiteral("Caf\u00E9"));  // Latin-1 goes out as it is
    ASSERT_EQ(MailboxRequests(rig).size(), 1u);
    EXPECT_EQ(MailboxRequests(rig)[0].data, (std::vector<int>{4, 'C', 'a', 'f', 0xE9}));
}

TEST_F(ParameterPageTest, NothingIsSentWhileATableReadHoldsTheLink) {
    Click("btnReadPara");  // "Set" would refuse anyway before a read
    ASSERT_EQ(Status(), "Read from the device");
    rig.trace.Clear();
    const product::RunState::LinkHold heldElsewhere(rig.runState);
    Click("btnSetPara");
    Click("btnReadPara");
    EnterIn("lbledSysVID", "1234");
    EnterIn("lbledSysStr1", "abc");
    EXPECT_TRUE(rig.trace.Lines().empty());
}

}  // namespace
}  // namespace gui_test
