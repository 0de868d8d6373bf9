// The window and the ISP page replayed from a recording: "Start", "Auto" and
// every ISP page button send the recorded requests in the recorded order and
// show what they showed; a run that parts from the recording says where on
// the panel.

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <string>
#include <vector>

#include "form_test_rig.h"
#include "isp_test_rig.h"
#include "modal_answerer.h"
#include "sim/firmware_layout.h"
#include "support/product_image.h"

namespace {

using gui_test::FormRig;
using gui_test::IspRig;
using gui_test::ModalAnswerer;
using sim::FlashModel;

constexpr std::uint32_t kReplayImageLength = 0x2345;

// What one window run left: its trace from the first tick on, and the panel.
struct WindowRun {
    std::vector<std::string> lines;
    QString status;
    std::string replayStop;
};

// Detection finds the product, then "Start" is pressed and confirmed.
// `recording` empty: a simulated product is plugged and the run recorded;
// else the recording is replayed instead of any product.
WindowRun RunStart(FlashModel model, const std::vector<std::uint8_t>& image,
                   const std::vector<std::string>& recording = {}) {
    gui_test::ProgramBus* device = nullptr;
    TForm1::Options options;
    options.replayStop = [&device] { return device->ReplayStop(); };
    FormRig rig(options);
    device = &rig.device;
    if (recording.empty()) {
        sim::ProductConfig config;
        config.flash = model;
        rig.Plug(config);
        rig.device.Record(rig.trace);
    } else {
        std::string error;
        EXPECT_TRUE(rig.device.Replay(recording, rig.trace, error)) << error;
    }
    rig.trace.Clear();
    rig.WriteFile("PaleReed_f066.hex", gui_test::HexFileOf(image));
    EXPECT_GT(rig.TickUntilFound(), 0);
    ModalAnswerer boxes;
    boxes.Answer(QMessageBox::Ok);
    rig.Find<QPushButton>("btnSimpleAuto")->click();
    return {rig.trace.Lines(), rig.Find<QLabel>("lblISPProcStatus")->text(),
            rig.device.ReplayStop()};
}

class ReplayedStart : public testing::TestWithParam<FlashModel> {};

TEST_P(ReplayedStart, ReproducesTheRecordedRun) {
    const auto image = test_support::ProductImage(0x2FC6, 0xF066, kReplayImageLength, 0x5A);
    const WindowRun recorded = RunStart(GetParam(), image);
    ASSERT_EQ(recorded.status, "Firmware update success!");

    const WindowRun replayed = RunStart(GetParam(), image, recorded.lines);
    EXPECT_EQ(replayed.replayStop, "");
    EXPECT_EQ(replayed.status, recorded.status);
    EXPECT_EQ(replayed.lines, recorded.lines);
}

INSTANTIATE_TEST_SUITE_P(EachFlash, ReplayedStart,
                         testing::Values(FlashModel::Sst25vf016b, FlashModel::Mx25l1021e,
                                         FlashModel::W25q80));

// The line numbers are the trace file's: its version line is line 1.
TEST(ReplayedStartOfAnotherImage, StopsAndSaysWhereOnThePanel) {
    const auto image = test_support::ProductImage(0x2FC6, 0xF066, kReplayImageLength, 0x5A);
    const WindowRun recorded = RunStart(FlashModel::W25q80, image);
    auto other = image;
    other[0x1234] ^= 0x80;

    const WindowRun replayed = RunStart(FlashModel::W25q80, other, recorded.lines);
    std::size_t differing = 0;
    while (differing < recorded.lines.size() && differing < replayed.lines.size() &&
           recorded.lines[differing] == replayed.lines[differing])
        ++differing;
    ASSERT_LT(differing, recorded.lines.size());
    EXPECT_EQ(recorded.lines[differing].rfind("43 80 0000 0001 256 ", 0), 0U);
    const std::string expected = "replay stopped at trace line " + std::to_string(differing + 2) +
                                 ": expected \"" + recorded.lines[differing] + "\"";
    EXPECT_EQ(replayed.replayStop.rfind(expected, 0), 0U) << replayed.replayStop;
    EXPECT_EQ(replayed.status.toStdString(), replayed.replayStop);
}

// Everything the ISP page showed, and the trace, while its buttons ran.
struct PageRun {
    std::vector<std::string> lines;
    QStringList texts;
};

// Each ISP page button once, in a user's order, then "Auto" with a program
// file: on a simulated product (recording empty, the run recorded) or on the
// replay of a recording.
PageRun RunIspButtons(FlashModel model, const std::vector<std::string>& recording = {}) {
    IspRig rig(model, recording.empty());
    if (recording.empty()) {
        rig.device.Record(rig.trace);
    } else {
        std::string error;
        EXPECT_TRUE(rig.device.Replay(recording, rig.trace, error)) << error;
    }
    rig.trace.Clear();
    rig.usbLink.SetAudioDriver(true);
    rig.usbLink.SetMatchString("vid_2fc6&pid_f066");
    rig.usbLink.FindDevice();
    const auto image = sim::MakeFirmwareImage(0x3000, 7);
    const QString autoFile =
        rig.WriteFile("fw.bin", QByteArray(reinterpret_cast<const char*>(image.data()),
                                           static_cast<qsizetype>(image.size())));
    QString dump = rig.WriteFile("dump.bin", {});
    rig.Page().SetFileChooser([&](QWidget*, const pages::FileDialogSetup&) { return dump; });
    rig.LoadFirmware(kReplayImageLength);
    PageRun run;
    for (const char* button :
         {"btnEnterISP", "btnUSBChipID", "btnUSBReadStatus", "btnUSBWriteEnable",
          "btnUSBWriteDisable", "btnUSBErase", "btnUSBBlank", "btnUSBProgram", "btnUSBVerify",
          "btnReadBack", "btnEnterISP"}) {
        rig.Click(button);
        run.texts << QString::fromLatin1(button) + ": " +
                         rig.Find<QLabel>("lblUSBProcessInfo")->text() + " | " +
                         rig.Find<QLabel>("lblUSBChipID")->text();
    }
    rig.Find<QComboBox>("cbxReadISPFile")->setEditText(autoFile);
    rig.Click("btnUSBISPAuto");
    run.texts << rig.stepTexts << rig.addressTexts << rig.statusRegisterTexts << rig.handlerErrors;
    run.lines = rig.Lines();
    return run;
}

class ReplayedIspButtons : public testing::TestWithParam<FlashModel> {};

TEST_P(ReplayedIspButtons, ReproduceTheRecordedRuns) {
    const PageRun recorded = RunIspButtons(GetParam());
    ASSERT_TRUE(recorded.texts.contains("Verifying Success"));

    const PageRun replayed = RunIspButtons(GetParam(), recorded.lines);
    EXPECT_EQ(replayed.texts, recorded.texts);
    EXPECT_EQ(replayed.lines, recorded.lines);
}

INSTANTIATE_TEST_SUITE_P(EachFlash, ReplayedIspButtons,
                         testing::Values(FlashModel::Sst25vf016b, FlashModel::Mx25l1021e,
                                         FlashModel::W25q80));

}  // namespace
