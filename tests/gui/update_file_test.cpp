#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>

#include "form_test_rig.h"

namespace {

using gui_test::FormRig;

TEST(UpdateFile, MissingFileIsRetriedOnEveryTickUntilItAppears) {
    FormRig rig;
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    EXPECT_EQ(rig.Find<QLabel>("lblUpdaeFileStatus")->text(), "No Updated File !");
    EXPECT_FALSE(rig.shell.fileReady);
    EXPECT_TRUE(rig.programFile.programFileReady);
    EXPECT_TRUE(rig.programFile.programFilePath.endsWith("/PaleReed_f066.hex"));
    EXPECT_FALSE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());

    rig.WriteFile("PaleReed_f066.hex", gui_test::HexFileOf({0x01, 0x02, 0x03, 0x04}));
    rig.Tick();
    EXPECT_TRUE(rig.shell.fileReady);
    EXPECT_EQ(rig.Find<QLabel>("lblUpdaeFileStatus")->text(),
              "Update Hex file   PaleReed_f066.hex    is Ready!");
    EXPECT_TRUE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());
    EXPECT_EQ(rig.firmwareImage.ImageLength(), 4u);
    EXPECT_EQ(rig.firmwareImage.Bytes()[3], 0x04);
    EXPECT_EQ(rig.firmwareImage.Bytes()[4], 0xFF);
}

TEST(UpdateFile, TheFoundRowNamesTheFile) {
    FormRig rig;
    sim::ProductConfig config;
    config.row = 4;
    rig.Plug(config);
    rig.WriteFile("PaleReed_f06A.hex", gui_test::HexFileOf({0x55}));
    ASSERT_GT(rig.TickUntilFound(), 0);
    EXPECT_EQ(rig.Find<QLabel>("lblDetectDevice")->text(), "Find Device Pale Reed F06A");
    EXPECT_EQ(rig.Find<QLabel>("lblUpdaeFileStatus")->text(),
              "Update Hex file   PaleReed_f06A.hex    is Ready!");
}

TEST(UpdateFile, DamagedFileNeverReachesTheImageAndStartStaysOff) {
    FormRig rig;
    QByteArray text = gui_test::HexFileOf({0x10, 0x20, 0x30});
    text.replace(":03000000102030", ":03000000102031");  // checksum no longer fits
    rig.WriteFile("PaleReed_f066.hex", text);
    rig.Plug({});
    const std::vector<std::uint8_t> before(rig.firmwareImage.Bytes().begin(),
                                           rig.firmwareImage.Bytes().end());
    ASSERT_GT(rig.TickUntilFound(), 0);
    const QString status = rig.Find<QLabel>("lblUpdaeFileStatus")->text();
    EXPECT_TRUE(status.startsWith("Update Hex file   PaleReed_f066.hex    is invalid: line 1"))
        << status.toStdString();
    EXPECT_TRUE(status.contains("line 1")) << status.toStdString();
    EXPECT_FALSE(rig.shell.fileReady);
    EXPECT_FALSE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());
    EXPECT_TRUE(std::equal(before.begin(), before.end(), rig.firmwareImage.Bytes().begin()));
    EXPECT_EQ(rig.firmwareImage.ImageLength(), 0u);
    EXPECT_EQ(rig.Find<QWidget>("pnlUSBExist")->palette().color(QPalette::Window), QColor(Qt::red));

    QFile::remove(QDir(rig.WorkDir()).filePath("PaleReed_f066.hex"));
    rig.Tick();
    EXPECT_EQ(rig.Find<QLabel>("lblUpdaeFileStatus")->text(), "No Updated File !");
    EXPECT_EQ(rig.Find<QWidget>("pnlUSBExist")->palette().color(QPalette::Window),
              rig.Form().palette().color(QPalette::Button));
}

TEST(UpdateFile, AFileWithoutDataIsRefused) {
    FormRig rig;
    rig.WriteFile("PaleReed_f066.hex", ":00000001FF\r\n");
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    EXPECT_FALSE(rig.shell.fileReady);
    EXPECT_FALSE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());
    EXPECT_TRUE(rig.Find<QLabel>("lblUpdaeFileStatus")->text().contains("holds no data"));
}

}  // namespace
