#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "isp_test_rig.h"
#include "modal_answerer.h"
#include "pages/isp_page_progress.h"
#include "pages/labeled_edit.h"
#include "product/run_state.h"
#include "sim/fault_plan.h"
#include "sim/firmware_layout.h"

// Failures show the texts, not their code units.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using gui_test::IspRig;
using gui_test::ModalAnswerer;
using sim::FlashModel;

constexpr char kEnterIspLine[] = "43 84 3b92 4e71 0 - ok";
constexpr char kLeaveIspLine[] = "43 85 29e6 1a9d 0 - ok";
constexpr char kWriteEnableLine[] = "43 80 0000 0001 1 06 ok";

QString Text(const IspRig& rig, const char* name) {
    return rig.Find<QLabel>(name)->text();
}
pages::LabeledEdit* Edit(const IspRig& rig, const char* name) {
    return rig.Find<pages::LabeledEdit>(name);
}

// A path in the rig's folder where no file is.
QString AbsentFile(const IspRig& rig, const char* name) {
    return QFileInfo(rig.WriteFile("present", {})).dir().filePath(name);
}

// The step texts with the erase dots folded into one entry and repeats dropped.
QStringList StepsSeen(const QStringList& texts) {
    QStringList steps;
    for (QString text : texts) {
        if (text.startsWith("Flash Erase All"))
            text = "Flash Erase All";
        if (steps.isEmpty() || steps.back() != text)
            steps << text;
    }
    return steps;
}

// ---------------------------------------------------------------- start-up

TEST(IspPageControls, CaptionsStartTextsAndDefaultsAreThoseOfTheTool) {
    IspRig rig;
    for (auto [name, caption] : std::initializer_list<std::pair<const char*, const char*>>{
             {"btnEnterISP", "Enter ISP"},
             {"btnUSBChipID", "Chip ID"},
             {"btnUSBReadStatus", "Read Status"},
             {"btnUSBWriteEnable", "Write Enable"},
             {"btnUSBWriteDisable", "Write Disable"},
             {"btnUSBErase", "Erase"},
             {"btnUSBBlank", "Blank Check"},
             {"btnUSBProgram", "Program"},
             {"btnUSBVerify", "Verify"},
             {"btnReadBack", "Read Flash"},
             {"Button1", " Save"},
             {"btnUSBISPAuto", "Auto"},
             {"USBLoadFileBitBtn", "File"}}) {
        ASSERT_NE(rig.Find<QPushButton>(name), nullptr) << name;
        EXPECT_EQ(rig.Find<QPushButton>(name)->text(), caption) << name;
    }
    EXPECT_EQ(rig.Page().objectName(), "PageISPCtrl");
    EXPECT_EQ(rig.Find<QGroupBox>("GroupBox1")->title(), "Function Test");
    EXPECT_EQ(rig.Find<QGroupBox>("gbxISPRange")->title(), "Flash Access Range");
    EXPECT_EQ(rig.Find<QGroupBox>("gbxFlashCMD")->title(), "Flash Instruction");
    EXPECT_EQ(Text(rig, "lblUSBChipID"), "0x00");
    EXPECT_EQ(Text(rig, "lblUSBProcessInfo"), "Status:");
    EXPECT_EQ(Text(rig, "lblUSBISPProcess"), "Process Addr: 0x000000");
    EXPECT_EQ(Text(rig, "lblUSBISPStatusReg"), "Status Register: 0x00");
    EXPECT_EQ(Text(rig, "lblUSBChecksum"), "Checksum :");
    EXPECT_TRUE(rig.Find<QLabel>("lblUSBChecksum")->font().bold());
    EXPECT_EQ(Edit(rig, "lbledtUSBWriteStatus")->label()->text(), "Write Status : 0x");
    EXPECT_EQ(Edit(rig, "lbledIspCmdWRSD")->label()->text(), "Write Status: ");
    EXPECT_EQ(Edit(rig, "lbledIspCmdPP")->text(), "02");
    EXPECT_EQ(Edit(rig, "lbledIspCmdERAL")->text(), "C7");

    for (const char* ticked :
         {"chkISPMode", "chkReadFile", "chkErase", "chkBlank", "chkProgram", "chkVerify"}) {
        EXPECT_TRUE(rig.Find<QCheckBox>(ticked)->isChecked()) << ticked;
    }
    EXPECT_FALSE(rig.Find<QCheckBox>("chkProtect")->isChecked());
    EXPECT_FALSE(rig.Find<QCheckBox>("chkChangedOnly")->isChecked());
    EXPECT_TRUE(rig.Find<QRadioButton>("rbnRange0")->isChecked());
    EXPECT_EQ(Edit(rig, "lbledISPStart")->text(), "64");
    EXPECT_EQ(Edit(rig, "lbledISPRange")->text(), "64");
    for (const char* off : {"lbledISPStart", "lbledISPRange", "Label20", "Label21"}) {
        EXPECT_FALSE(rig.Find<QWidget>(off)->isEnabled()) << off;
    }
    EXPECT_EQ(rig.flashState.rangeStart, 0u);
    EXPECT_EQ(rig.flashState.rangeSize, 0x8000u);
}

TEST(IspPageControls, AssignRangeEnablesTheEditsAndTakesTheirKilobytes) {
    IspRig rig;
    Edit(rig, "lbledISPStart")->setText("32");
    Edit(rig, "lbledISPRange")->setText("16");
    rig.Find<QRadioButton>("rbnRange1")->click();
    EXPECT_TRUE(rig.Find<QWidget>("lbledISPStart")->isEnabled());
    EXPECT_TRUE(rig.Find<QWidget>("Label21")->isEnabled());
    EXPECT_EQ(rig.flashState.rangeStart, 0x8000u);
    EXPECT_EQ(rig.flashState.rangeSize, 0x4000u);
}

TEST(IspPageControls, AssignRangeRefusesKilobytesOutsideTheFlash) {
    IspRig rig;
    auto assign = [&rig](const char* start, const char* size) {
        Edit(rig, "lbledISPStart")->setText(start);
        Edit(rig, "lbledISPRange")->setText(size);
        rig.Click("rbnRange1");
    };
    assign("-4", "32");
    EXPECT_EQ(rig.flashState.rangeStart, 0u) << "a bad start changes nothing";
    assign("16385", "32");
    assign("16384", "-4");
    EXPECT_EQ(rig.flashState.rangeStart, 0x1000000u) << "the start is taken before the size";
    EXPECT_EQ(rig.flashState.rangeSize, 0x8000u);
    assign("32", "4194304");  // 4 GiB, which wrapped to 0 bytes in 32 bits
    assign("32", "3 2");
    EXPECT_EQ(rig.handlerErrors, (QStringList{"Start Addr must be between 0 and 16384 KB",
                                              "Start Addr must be between 0 and 16384 KB",
                                              "Size must be between 0 and 16384 KB",
                                              "Size must be between 0 and 16384 KB",
                                              "'3 2' is not a valid integer value"}));
    rig.handlerErrors.clear();
    assign("0", "16384");
    EXPECT_TRUE(rig.handlerErrors.isEmpty());
    EXPECT_EQ(rig.flashState.rangeStart, 0u);
    EXPECT_EQ(rig.flashState.rangeSize, 0x1000000u);
    EXPECT_TRUE(rig.Lines().empty());
}

TEST(IspPageControls, CompactLayoutHidesAllButTheInstructionCodes) {
    IspRig rig;
    rig.Page().HideStartupControls();
    for (const char* hidden :
         {"gbxISPRange", "chkISPMode", "chkProtect", "chkReadFile", "chkErase", "chkBlank",
          "chkProgram", "chkVerify", "GroupBox1", "USBLoadFileBitBtn", "cbxReadISPFile"}) {
        EXPECT_TRUE(rig.Find<QWidget>(hidden)->isHidden()) << hidden;
    }
    EXPECT_FALSE(rig.Find<QWidget>("gbxFlashCMD")->isHidden());
}

// ----------------------------------------------------------- function test

TEST(IspFunctionTest, EnterIspTogglesTheModeAndTheCaption) {
    IspRig rig;
    rig.Click("btnEnterISP");
    EXPECT_EQ(rig.Lines(), (std::vector<std::string>{
                               "open ok", "43 90 0000 0000 1 0d ok", "43 90 0000 0001 1 03 ok",
                               kEnterIspLine, "43 90 0000 0000 1 0d ok", "43 90 0000 0007 1 10 ok",
                               "43 90 0000 0001 1 03 ok", "close"}));
    EXPECT_EQ(rig.Find<QPushButton>("btnEnterISP")->text(), "Exit ISP");
    EXPECT_TRUE(rig.Page().IspActive());
    EXPECT_TRUE(rig.Chip().InIspMode());

    rig.trace.Clear();
    rig.Click("btnEnterISP");
    EXPECT_EQ(rig.CountLines(kLeaveIspLine), 1);
    EXPECT_EQ(rig.CountLines(kEnterIspLine), 0);
    EXPECT_EQ(rig.Find<QPushButton>("btnEnterISP")->text(), "Enter ISP");
    EXPECT_FALSE(rig.Page().IspActive());
}

TEST(IspFunctionTest, EnterIspDoesNothingWithoutADevice) {
    IspRig rig(FlashModel::Sst25vf016b, false);
    rig.Click("btnEnterISP");
    EXPECT_TRUE(rig.Lines().empty());
    EXPECT_EQ(rig.Find<QPushButton>("btnEnterISP")->text(), "Enter ISP");
}

TEST(IspFunctionTest, ChipIdAndStatusShowWhatTheFlashAnswers) {
    IspRig rig;
    rig.PrepareBlankFlash();
    rig.Click("btnUSBChipID");
    EXPECT_EQ(Text(rig, "lblUSBChipID"), "0xBF,  0x25,  0x41,  ");
    EXPECT_EQ(rig.flashState.profile.pageSize, 0) << "the Chip ID button chooses no profile";
    rig.Click("btnUSBWriteEnable");
    rig.Click("btnUSBReadStatus");
    EXPECT_EQ(Text(rig, "lblUSBStatus"), "0x02");
    rig.Click("btnUSBWriteDisable");
    rig.Click("btnUSBReadStatus");
    EXPECT_EQ(Text(rig, "lblUSBStatus"), "0x00");
}

TEST(IspFunctionTest, AFailedChipIdReadLeavesThePreviousIdOnTheLabel) {
    IspRig rig;
    rig.PrepareBlankFlash();
    rig.Click("btnUSBChipID");
    ASSERT_EQ(Text(rig, "lblUSBChipID"), "0xBF,  0x25,  0x41,  ");
    sim::FaultPlan plan;
    plan.passThroughNeverReadyAfter = 0;
    rig.bus.SetFaultPlan(plan);
    rig.Click("btnUSBChipID");
    EXPECT_EQ(Text(rig, "lblUSBChipID"), "0xBF,  0x25,  0x41,  ");
    EXPECT_EQ(rig.flashState.chipId[0], 0xBF);
}

TEST(IspFunctionTest, WriteStatusSendsTheTypedHexValueOnEnterOnly) {
    IspRig rig;
    rig.PrepareBlankFlash();
    pages::LabeledEdit* edit = Edit(rig, "lbledtUSBWriteStatus");
    edit->setText("9C");
    rig.Page().lbledtUSBWriteStatusKeyDown(Qt::Key_A);
    EXPECT_TRUE(rig.Lines().empty());
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(edit->edit(), &enter);
    EXPECT_EQ(rig.Lines(),
              (std::vector<std::string>{"open ok", "43 80 0000 0001 2 019c ok", "close"}));

    rig.trace.Clear();
    edit->setText("0x9C");
    QCoreApplication::sendEvent(edit->edit(), &enter);
    EXPECT_EQ(rig.handlerErrors, QStringList{"'0x0x9C' is not a valid integer value"});
    EXPECT_TRUE(rig.Lines().empty());
}

TEST(IspFunctionTest, EraseAllShowsOneMoreDotEveryTwentyPolls) {
    IspRig rig(FlashModel::W25q80);
    rig.PrepareBlankFlash();
    // Stuck from the erase on, after the flash has been identified.
    QObject::connect(&rig.Page().ProgressLabels(), &pages::IspPageProgress::stepTextShown,
                     [&rig](const QString& text) {
                         if (text != "Flash Erase All " || rig.stepTexts.size() != 1)
                             return;
                         sim::FaultPlan stuck;
                         stuck.flashStuckBusyAfter = 0;
                         rig.bus.SetFaultPlan(stuck);
                     });
    rig.Click("btnUSBErase");
    // The first text, then one per poll; the count of dots starts over after nine.
    ASSERT_EQ(rig.stepTexts.size(), 1 + 1000 + 1);
    for (int poll = 0; poll < 1000; ++poll) {
        const QString dots(poll / 20 % 10, '.');
        ASSERT_EQ(rig.stepTexts[1 + poll], "Flash Erase All " + dots) << poll;
    }
    EXPECT_EQ(rig.stepTexts.back(), "Erase Flash Fail");
    EXPECT_EQ(Text(rig, "lblUSBProcessInfo"), "Erase Flash Fail");
    const std::uint8_t status = rig.Chip().Flash().StatusRegister(rig.clock.NowUs());
    EXPECT_EQ(status & 0x01, 0x01);
    EXPECT_EQ(rig.statusRegisterTexts.back(), QString::asprintf("Status Register: 0x%02X", status));
    EXPECT_TRUE(rig.flashState.sequenceFailed);
}

TEST(IspFunctionTest, EraseAllEndsWhenTheFlashIsReady) {
    IspRig rig(FlashModel::W25q80);
    rig.PrepareBlankFlash();
    rig.Chip().Flash().Load(0x100, std::vector<std::uint8_t>(16, 0x00));
    rig.Click("btnUSBErase");
    EXPECT_TRUE(rig.stepTexts.contains("Flash Erase All ........."));
    EXPECT_EQ(rig.statusRegisterTexts.back(), "Status Register: 0x00");
    EXPECT_FALSE(rig.flashState.sequenceFailed);
    EXPECT_EQ(rig.Chip().Flash().Contents()[0x100], 0xFF);
}

TEST(IspFunctionTest, AssignedRangeErasesEachSectorAfterWriteEnable) {
    IspRig rig;
    rig.PrepareBlankFlash();
    Edit(rig, "lbledISPStart")->setText("32");
    Edit(rig, "lbledISPRange")->setText("32");
    rig.Click("rbnRange1");
    rig.Click("btnUSBErase");
    std::vector<std::string> expected;
    for (int sector = 0x8; sector <= 0xF; ++sector) {
        expected.push_back(kWriteEnableLine);
        expected.push_back("43 80 0000 0001 4 2000" + std::string(1, "0123456789abcdef"[sector]) +
                           "000 ok");
    }
    std::vector<std::string> sent;
    for (const std::string& line : rig.Lines()) {
        if (line == kWriteEnableLine || line.starts_with("43 80 0000 0001 4 20"))
            sent.push_back(line);
    }
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(rig.stepTexts.front(), "Flash Sector Erase");
    EXPECT_EQ(Text(rig, "lblUSBProcessInfo"), "Flash Sector Erase: 0x 00F000");
}

TEST(IspFunctionTest, RangeEraseReachingPastTheFlashSendsNothing) {
    IspRig rig;
    rig.PrepareBlankFlash();
    Edit(rig, "lbledISPStart")->setText("16380");
    Edit(rig, "lbledISPRange")->setText("8");  // its second sector would land on 0x000000
    rig.Click("rbnRange1");
    rig.Click("btnUSBErase");
    EXPECT_TRUE(rig.Lines().empty());
    EXPECT_EQ(Text(rig, "lblUSBProcessInfo"), "Range reaches past the 16 MiB flash: nothing done");
    EXPECT_TRUE(rig.flashState.sequenceFailed);
}

TEST(IspFunctionTest, EmptyRangeEraseShowsOnlyThatNothingWasErased) {
    IspRig rig;
    rig.PrepareBlankFlash();
    Edit(rig, "lbledISPRange")->setText("0");
    rig.Click("rbnRange1");
    rig.Click("btnUSBErase");
    EXPECT_EQ(rig.stepTexts, QStringList{"Flash Sector Erase: empty range, nothing erased"});
    // Once to identify the flash, once for the (empty) erase.
    EXPECT_EQ(rig.OpenCloseLines(),
              (std::vector<std::string>{"open ok", "close", "open ok", "close"}));
}

// ------------------------------------------------------------ range loops

class IspRangeButtons : public testing::TestWithParam<FlashModel> {};

TEST_P(IspRangeButtons, ProgramWithoutAChipIdReadThenVerifyLeavesTheImage) {
    IspRig rig(GetParam());
    rig.PrepareBlankFlash();
    const auto image = rig.LoadFirmware(0x2345);
    ASSERT_EQ(rig.flashState.profile.pageSize, 0);

    rig.Click("btnUSBBlank");
    EXPECT_EQ(Text(rig, "lblUSBProcessInfo"), "Blanking Success");
    rig.Click("btnUSBProgram");
    EXPECT_EQ(rig.stepTexts.mid(rig.stepTexts.size() - 2),
              (QStringList{"Start Programming...", "Programming Success"}));
    EXPECT_NE(rig.flashState.profile.pageSize, 0);
    EXPECT_TRUE(rig.FlashHolds(image));
    rig.Click("btnUSBVerify");
    EXPECT_EQ(Text(rig, "lblUSBProcessInfo"), "Verifying Success");
    EXPECT_EQ(Text(rig, "lblUSBISPProcess"), "Verifying Addr: 0x002340");

    rig.Click("btnUSBBlank");
    EXPECT_EQ(Text(rig, "lblUSBProcessInfo"), "Blanking Fail at 0x000000");
}

INSTANTIATE_TEST_SUITE_P(EachFlash, IspRangeButtons,
                         testing::Values(FlashModel::Sst25vf016b, FlashModel::Mx25l1021e,
                                         FlashModel::W25q80));

TEST(IspReadFlash, WritesTheDumpThroughTheSaveDialog) {
    IspRig rig;
    rig.Click("btnEnterISP");
    QString asked;
    const QString path = rig.WriteFile("dump.bin", {});
    rig.Page().SetFileChooser([&](QWidget*, const pages::FileDialogSetup& dialog) {
        asked = dialog.name + "|" + dialog.filter;
        return path;
    });
    rig.Click("btnReadBack");
    EXPECT_EQ(asked, "SaveBinFIleDialog|Binary File (*.bin)");
    EXPECT_EQ(Text(rig, "lblUSBProcessInfo"), "Read Flash content Success");

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray dump = file.readAll();
    EXPECT_FALSE(dump.contains('\n'));
    const QList<QByteArray> lines = dump.split('\r');
    ASSERT_EQ(lines.size(), 2048 + 1);  // the last line end leaves an empty tail
    EXPECT_TRUE(lines.back().isEmpty());
    const auto flash = rig.Chip().Flash().Contents();
    QByteArray expected;
    for (int i = 0; i < 16; ++i) {
        expected += "0x" +
                    QByteArray::number(flash[0x7FF0 + i], 16).rightJustified(2, '0').toUpper() +
                    ", ";
    }
    EXPECT_EQ(lines[2047], expected);
}

TEST(IspReadFlash, TheDumpIsWrittenAlsoAfterAFailedRead) {
    IspRig rig;
    rig.Click("btnEnterISP");
    sim::FaultPlan plan;
    plan.passThroughNeverReadyAfter = 0;
    rig.bus.SetFaultPlan(plan);
    const QString path = rig.WriteFile("dump.bin", {});
    rig.Page().SetFileChooser([&](QWidget*, const pages::FileDialogSetup&) { return path; });
    rig.Click("btnReadBack");
    EXPECT_TRUE(Text(rig, "lblUSBProcessInfo").startsWith("Verifying Fail at 0x"))
        << Text(rig, "lblUSBProcessInfo").toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\r');
    ASSERT_EQ(lines.size(), 2048 + 1);
    // Nothing was read: the buffer shows the fill it started with.
    EXPECT_EQ(lines[0], QByteArray("0x5A, ").repeated(16));
}

TEST(IspReadFlash, CancelWritesNothingAndAnUnwritableNameIsReported) {
    IspRig rig;
    rig.Click("btnEnterISP");
    ModalAnswerer boxes;
    boxes.Answer(QMessageBox::Ok);
    rig.Page().SetFileChooser([](QWidget*, const pages::FileDialogSetup&) { return QString(); });
    rig.Click("btnReadBack");
    const QString unwritable = rig.WriteFile("not-a-folder", {}) + "/folder/dump.bin";
    rig.Page().SetFileChooser([&](QWidget*, const pages::FileDialogSetup&) { return unwritable; });
    rig.Click("btnReadBack");
    ASSERT_EQ(boxes.Titles(), QStringList{"Dialog"}) << "only the failed write is reported";
    EXPECT_TRUE(boxes.Texts().value(0).contains(QDir::toNativeSeparators("folder/dump.bin")))
        << boxes.Texts().value(0).toStdString();
}

// ------------------------------------------------------------ program file

TEST(IspProgramFile, ShowsTheChecksumAndListsEachFileOnce) {
    IspRig rig;
    rig.programFile.programFilePath =
        rig.WriteFile("two.hex", ":0400000001020304F2\r\n:00000001FF\r\n");
    rig.Page().ReadProgramFile();
    rig.Page().ReadProgramFile();
    EXPECT_EQ(Text(rig, "lblUSBChecksum"), "Checksum : 0x000A");
    EXPECT_EQ(rig.firmwareImage.ImageLength(), 4u);
    EXPECT_TRUE(rig.programFile.programFileReady);
    auto* files = rig.Find<QComboBox>("cbxReadISPFile");
    EXPECT_EQ(files->count(), 1);
    EXPECT_EQ(files->currentText(), rig.programFile.programFilePath);
}

TEST(IspProgramFile, RefusedFileIsExplainedAndLeavesTheImageAlone) {
    IspRig rig;
    const auto image = rig.LoadFirmware(0x100);
    ModalAnswerer boxes;
    boxes.Answer(QMessageBox::Ok);
    rig.programFile.programFilePath = rig.WriteFile("bad.hex", ":0400000001020304F3\r\n");
    rig.Page().ReadProgramFile();
    ASSERT_EQ(boxes.Titles(), QStringList{"Dialog"});
    EXPECT_EQ(boxes.Icons().value(0), QMessageBox::NoIcon);
    EXPECT_TRUE(boxes.Texts().value(0).contains("bad.hex")) << boxes.Texts().value(0).toStdString();
    EXPECT_EQ(rig.firmwareImage.ImageLength(), 0x100u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), rig.firmwareImage.Bytes().begin()));
}

TEST(IspProgramFile, FileThatCannotBeOpenedOrPicksNoLoaderIsExplained) {
    IspRig rig;
    const auto image = rig.LoadFirmware(0x100);
    ModalAnswerer boxes;
    boxes.Answer(QMessageBox::Ok);
    boxes.Answer(QMessageBox::Ok);
    rig.programFile.programFilePath = AbsentFile(rig, "fw.hex");
    EXPECT_FALSE(rig.Page().ReadProgramFile());
    EXPECT_EQ(Text(rig, "lblUSBChecksum"), "Checksum : 0x0000");
    EXPECT_TRUE(rig.programFile.programFileReady);
    rig.programFile.programFilePath = rig.WriteFile("fw.txt", "text");
    EXPECT_FALSE(rig.Page().ReadProgramFile());
    rig.programFile.programFilePath =
        rig.WriteFile("two.hex", ":0400000001020304F2\r\n:00000001FF\r\n");
    EXPECT_TRUE(rig.Page().ReadProgramFile());

    ASSERT_EQ(boxes.Titles(), (QStringList{"Dialog", "Dialog"})) << "none for the loaded file";
    EXPECT_EQ(boxes.Icons(), (QList<QMessageBox::Icon>{QMessageBox::NoIcon, QMessageBox::NoIcon}));
    EXPECT_TRUE(boxes.Texts().value(0).startsWith("Cannot open"))
        << boxes.Texts().value(0).toStdString();
    EXPECT_TRUE(boxes.Texts().value(0).contains("fw.hex")) << boxes.Texts().value(0).toStdString();
    EXPECT_TRUE(boxes.Texts().value(1).contains("fw.txt")) << boxes.Texts().value(1).toStdString();
    EXPECT_TRUE(boxes.Texts().value(1).contains("nothing was loaded"))
        << boxes.Texts().value(1).toStdString();
    EXPECT_EQ(Text(rig, "lblUSBChecksum"), "Checksum : 0x000A");
}

TEST(IspProgramFile, EmptyPathIsNotReady) {
    IspRig rig;
    rig.programFile.programFileReady = true;
    ModalAnswerer boxes;
    boxes.Answer(QMessageBox::Ok);
    rig.Page().ReadProgramFile();
    EXPECT_EQ(boxes.Texts(), QStringList{"Program File Not Ready !!    "});
    EXPECT_EQ(boxes.Titles(), QStringList{"Dialog"});
    EXPECT_FALSE(rig.programFile.programFileReady);
}

TEST(IspProgramFile, FileAndSaveButtonsRunWhatTheWindowHandsIn) {
    IspRig rig;
    int loads = 0;
    int saves = 0;
    rig.Page().SetUpdateFileLoader([&] { ++loads; });
    rig.Page().SetSaveHandler([&] { ++saves; });
    rig.Click("USBLoadFileBitBtn");
    rig.Click("Button1");
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(saves, 1);
}

// ------------------------------------------------------------------- Auto

TEST(IspAuto, RefusesWithoutDeviceOrProgramFileAndSendsNothing) {
    IspRig absent(FlashModel::Sst25vf016b, false);
    ModalAnswerer boxes;
    boxes.Answer(QMessageBox::Ok);
    absent.Click("btnUSBISPAuto");

    IspRig present;
    boxes.Answer(QMessageBox::Ok);
    present.Click("btnUSBISPAuto");

    EXPECT_EQ(boxes.Texts(),
              (QStringList{"USB device is NOT available !!    ", "Program File Not Ready !!    "}));
    EXPECT_EQ(boxes.Titles(), (QStringList{"Dialog", "Dialog"}));
    for (IspRig* rig : {&absent, &present}) {
        EXPECT_TRUE(rig->Lines().empty());
        EXPECT_EQ(rig->Find<QPushButton>("btnUSBISPAuto")->text(), "Auto");
        EXPECT_FALSE(rig->runState.LinkBusy());
    }
}

TEST(IspAuto, AReloadedFileThatIsRefusedStopsTheRunBeforeAnyRequest) {
    IspRig rig;
    rig.LoadFirmware(0x100);
    rig.programFile.programFileReady = true;
    auto* files = rig.Find<QComboBox>("cbxReadISPFile");
    files->setEditText(rig.WriteFile("bad.hex", ":0400000001020304F3\r\n"));
    ModalAnswerer boxes;
    boxes.Answer(QMessageBox::Ok);
    rig.Click("btnUSBISPAuto");
    ASSERT_EQ(boxes.Titles(), QStringList{"Dialog"});
    EXPECT_TRUE(rig.Lines().empty());
    EXPECT_EQ(rig.Find<QLabel>("lblUSBProcessInfo")->text(), "Reload File Fail");
    EXPECT_EQ(rig.Find<QPushButton>("btnUSBISPAuto")->text(), "Auto");
    EXPECT_FALSE(rig.runState.LinkBusy());
}

TEST(IspAuto, AReloadedFileThatIsMissingStopsTheRunBeforeAnyRequest) {
    IspRig rig;
    rig.LoadFirmware(0x100);
    rig.programFile.programFileReady = true;
    rig.Find<QComboBox>("cbxReadISPFile")->setEditText(AbsentFile(rig, "fw.bin"));
    ModalAnswerer boxes;
    boxes.Answer(QMessageBox::Ok);
    rig.Click("btnUSBISPAuto");
    ASSERT_EQ(boxes.Titles(), QStringList{"Dialog"});
    EXPECT_TRUE(boxes.Texts().value(0).startsWith("Cannot open"))
        << boxes.Texts().value(0).toStdString();
    EXPECT_TRUE(rig.Lines().empty());
    EXPECT_EQ(Text(rig, "lblUSBProcessInfo"), "Reload File Fail");
    EXPECT_EQ(rig.Find<QPushButton>("btnUSBISPAuto")->text(), "Auto");
}

TEST(IspAuto, AnEmptyFileNameStopsTheRunBeforeAnyRequest) {
    IspRig rig;
    rig.LoadFirmware(0x100);
    rig.programFile.programFileReady = true;  // as the update file's search leaves it
    ModalAnswerer boxes;
    boxes.Answer(QMessageBox::Ok);
    rig.Click("btnUSBISPAuto");
    EXPECT_EQ(boxes.Texts(), QStringList{"Program File Not Ready !!    "});
    EXPECT_TRUE(rig.Lines().empty());
    EXPECT_EQ(Text(rig, "lblUSBProcessInfo"), "Reload File Fail");
    EXPECT_FALSE(rig.runState.LinkBusy());
}

TEST(IspAuto, AnEmptyBinaryFileStopsTheRunBeforeAnyRequest) {
    IspRig rig;
    rig.LoadFirmware(0x100);
    rig.Find<QComboBox>("cbxReadISPFile")->setEditText(rig.WriteFile("empty.bin", {}));
    ModalAnswerer boxes;
    boxes.Answer(QMessageBox::Ok);
    rig.Click("btnUSBISPAuto");
    ASSERT_EQ(boxes.Titles(), QStringList{"Dialog"});
    EXPECT_TRUE(boxes.Texts().value(0).contains("empty")) << boxes.Texts().value(0).toStdString();
    EXPECT_TRUE(rig.Lines().empty());
    EXPECT_EQ(rig.firmwareImage.ImageLength(), 0x100u);
}

TEST(IspAuto, WithoutReloadAnImageThatWasNeverLoadedIsNotWritten) {
    IspRig rig;
    rig.programFile.programFileReady = true;
    rig.Find<QCheckBox>("chkReadFile")->setChecked(false);
    ModalAnswerer boxes;
    boxes.Answer(QMessageBox::Ok);
    rig.Click("btnUSBISPAuto");
    EXPECT_EQ(boxes.Texts(), QStringList{"Program File Not Ready !!    "});
    EXPECT_TRUE(rig.Lines().empty());
    EXPECT_EQ(rig.Find<QPushButton>("btnUSBISPAuto")->text(), "Auto");
    EXPECT_FALSE(rig.runState.LinkBusy());
}

TEST(IspAuto, EveryStepTickedRunsThroughTheTextsAndLeavesTheImage) {
    IspRig rig;
    rig.Find<QCheckBox>("chkProtect")->setChecked(true);
    const auto image = sim::MakeFirmwareImage(0x3000, 7);
    const QString path = rig.WriteFile(
        "fw.bin", QByteArray(reinterpret_cast<const char*>(image.data()), image.size()));
    rig.Find<QComboBox>("cbxReadISPFile")->setEditText(path);
    QStringList captions;
    QObject::connect(&rig.Page().ProgressLabels(), &pages::IspPageProgress::stepTextShown, [&] {
        captions << rig.Find<QPushButton>("btnUSBISPAuto")->text() +
                        (rig.runState.Running() ? "+" : "-");
    });
    rig.Click("btnUSBISPAuto");

    EXPECT_EQ(StepsSeen(rig.stepTexts),
              (QStringList{"Enter ISP Mode", "Clear Status register", "Flash Erase All",
                           "Start Blanking Check", "Blanking Success", "Start Programming",
                           "Programming Success", "Start Verifying Check", "Verifying Success"}));
    captions.removeDuplicates();
    EXPECT_EQ(captions, QStringList{"Stop+"}) << "caption and detection pause during the run";
    EXPECT_EQ(rig.Find<QPushButton>("btnUSBISPAuto")->text(), "Auto");
    EXPECT_FALSE(rig.runState.LinkBusy());
    EXPECT_EQ(rig.programFile.programFilePath, path);
    EXPECT_TRUE(rig.FlashHolds(image));
    EXPECT_EQ(rig.CountLines(kEnterIspLine), 1);
    EXPECT_EQ(rig.CountLines("43 80 0000 0001 2 017f ok"), 1) << "SST protection value";
    EXPECT_EQ(rig.CountLinesStartingWith("43 85 29e6 1a9d 0 -"), 1);
    EXPECT_FALSE(rig.Chip().InIspMode());
}

TEST(IspAuto, OnlyProgramTickedOpensTwiceAndSkipsModeStatusAndErase) {
    IspRig rig;
    rig.PrepareBlankFlash();
    const auto image = rig.LoadFirmware(0x1000);
    rig.programFile.programFileReady = true;
    for (const char* step :
         {"chkISPMode", "chkErase", "chkBlank", "chkVerify", "chkProtect", "chkReadFile"}) {
        rig.Find<QCheckBox>(step)->setChecked(false);
    }
    rig.Click("btnUSBISPAuto");

    EXPECT_TRUE(rig.FlashHolds(image));
    EXPECT_EQ(rig.CountLinesStartingWith("43 84"), 0);
    EXPECT_EQ(rig.CountLinesStartingWith("43 85"), 0);
    EXPECT_EQ(rig.CountLinesStartingWith("43 80 0000 0001 2 01"), 0) << "status write";
    EXPECT_EQ(rig.CountLines("43 80 0000 0001 1 c7 ok"), 0) << "chip erase";
    // The second open releases the handle still open from the first itself.
    EXPECT_EQ(rig.OpenCloseLines(),
              (std::vector<std::string>{"open ok", "close", "open ok", "close"}));
    EXPECT_EQ(rig.Lines().back(), "close");
    EXPECT_EQ(StepsSeen(rig.stepTexts),
              (QStringList{"Enter ISP Mode", "Start Programming", "Programming Success"}));
}

// "Changed Only": the sectors that differ are erased one by one (the boot
// sector first), no chip erase, and the image verified; with "Assign Range"
// the run is refused before anything is sent.
TEST(IspAuto, ChangedOnlyRewritesTheChangedSectorsAndNeedsAll) {
    IspRig rig;
    rig.PrepareBlankFlash();
    const auto image = rig.LoadFirmware(0x1800);
    rig.programFile.programFileReady = true;
    rig.Find<QCheckBox>("chkReadFile")->setChecked(false);
    rig.Find<QCheckBox>("chkChangedOnly")->setChecked(true);
    rig.Click("btnUSBISPAuto");

    EXPECT_TRUE(rig.FlashHolds(image));
    EXPECT_EQ(rig.CountLines("43 80 0000 0001 1 c7 ok"), 0) << "chip erase";
    EXPECT_EQ(rig.CountLinesStartingWith("43 80 0000 0001 4 20"), 2);
    EXPECT_EQ(rig.CountLines("43 80 0000 0001 4 20000000 ok"), 1);
    EXPECT_EQ(Text(rig, "lblUSBProcessInfo"), "Verifying Success");

    rig.Find<QRadioButton>("rbnRange1")->setChecked(true);
    const std::size_t before = rig.Lines().size();
    rig.Click("btnUSBISPAuto");
    EXPECT_EQ(rig.Lines().size(), before);
    EXPECT_EQ(Text(rig, "lblUSBProcessInfo"), "Changed Only works with \"All\": nothing done");
}

TEST(IspAuto, AssignedRangePlacesTheImageAtTheStartAddress) {
    IspRig rig;
    rig.PrepareBlankFlash();
    const auto image = rig.LoadFirmware(0x1800);
    rig.programFile.programFileReady = true;
    rig.Find<QCheckBox>("chkReadFile")->setChecked(false);
    rig.Find<QRadioButton>("rbnRange1")->setChecked(true);
    rig.Click("btnUSBISPAuto");

    EXPECT_EQ(rig.flashState.rangeStart, 0x10000u);
    EXPECT_EQ(rig.flashState.rangeSize, 0x10000u);
    EXPECT_EQ(rig.CountLinesStartingWith("43 80 0000 0001 4 20"), 16);
    EXPECT_TRUE(rig.FlashHolds(image, 0x10000));
    EXPECT_EQ(Text(rig, "lblUSBProcessInfo"), "Verifying Success");
}

// "Auto" with "Assign Range" and these edit texts: the click stops with
// `error` before the caption, the flags or the device have changed.
void ExpectAutoStopsOnRange(const char* start, const char* size, const QString& error) {
    IspRig rig;
    rig.programFile.programFileReady = true;
    rig.Find<QRadioButton>("rbnRange1")->setChecked(true);
    Edit(rig, "lbledISPStart")->setText(start);
    Edit(rig, "lbledISPRange")->setText(size);
    rig.Click("btnUSBISPAuto");
    EXPECT_EQ(rig.handlerErrors, QStringList{error});
    EXPECT_TRUE(rig.Lines().empty());
    EXPECT_TRUE(rig.stepTexts.isEmpty());
    EXPECT_EQ(rig.Find<QPushButton>("btnUSBISPAuto")->text(), "Auto");
    EXPECT_FALSE(rig.runState.LinkBusy());
}

TEST(IspAuto, RangeTextThatIsNoNumberStopsTheClickBeforeAnything) {
    ExpectAutoStopsOnRange("64", "6 4", "'6 4' is not a valid integer value");
}

TEST(IspAuto, RangeOutsideTheFlashStopsTheClickBeforeAnything) {
    ExpectAutoStopsOnRange("-4", "64", "Start Addr must be between 0 and 16384 KB");
    ExpectAutoStopsOnRange("64", "16385", "Size must be between 0 and 16384 KB");
}

TEST(IspAuto, AnImageReachingPastTheFlashIsNeitherErasedNorWritten) {
    IspRig rig;
    rig.PrepareBlankFlash();
    rig.LoadFirmware(0x1800);
    rig.programFile.programFileReady = true;
    rig.Find<QCheckBox>("chkReadFile")->setChecked(false);
    rig.Find<QCheckBox>("chkErase")->setChecked(false);
    rig.Find<QRadioButton>("rbnRange1")->setChecked(true);
    Edit(rig, "lbledISPStart")->setText("16383");  // the image's second KB lies past the flash
    rig.Click("btnUSBISPAuto");
    EXPECT_TRUE(rig.handlerErrors.isEmpty());
    EXPECT_EQ(rig.CountLinesStartingWith("43 81 0040"), 0) << "block read";
    EXPECT_EQ(rig.CountLinesStartingWith("43 80 0000 0001 6 ad"), 0) << "word program";
    EXPECT_EQ(Text(rig, "lblUSBProcessInfo"),
              "The range up to 16389 KiB reaches past the flash of this device (2048 KiB); "
              "nothing was changed.");
    EXPECT_EQ(rig.runState.Phase(), product::RunPhase::Failed);
    EXPECT_EQ(rig.CountLines(kLeaveIspLine), 1);
}

TEST(IspAuto, ClickDuringTheRunResetsTheCaptionAndTheRunGoesOn) {
    IspRig rig;
    rig.PrepareBlankFlash();
    const auto image = rig.LoadFirmware(0x2000);
    rig.programFile.programFileReady = true;
    rig.Find<QCheckBox>("chkReadFile")->setChecked(false);
    auto* button = rig.Find<QPushButton>("btnUSBISPAuto");
    QString captionAfterClick;
    bool stopAskedAfterClick = false;
    QTimer::singleShot(0, [&] {
        button->click();
        captionAfterClick = button->text();
        stopAskedAfterClick = rig.runState.StopAsked();
        rig.Click("btnUSBProgram");  // held off while the run holds the device
    });
    rig.Click("btnUSBISPAuto");

    EXPECT_EQ(captionAfterClick, "Auto");
    EXPECT_FALSE(stopAskedAfterClick);
    EXPECT_EQ(rig.CountLines(kEnterIspLine), 1);
    EXPECT_FALSE(rig.stepTexts.contains("Start Programming..."));
    EXPECT_EQ(Text(rig, "lblUSBProcessInfo"), "Verifying Success");
    EXPECT_TRUE(rig.FlashHolds(image));
    EXPECT_EQ(button->text(), "Auto");
    EXPECT_FALSE(rig.runState.LinkBusy());
}

}  // namespace
