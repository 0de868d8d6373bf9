#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>

#include "form_test_rig.h"
#include "modal_answerer.h"

namespace {

using gui_test::FormRig;

TEST(UpdateFile, MissingFileIsRetriedOnEveryTickUntilItAppears) {
    FormRig rig;
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    // The line names the file and the folder it was looked for in.
    EXPECT_EQ(rig.Find<QLabel>("lblUpdaeFileStatus")->text(),
              "No Updated File !   Looked for PaleReed_f066.hex in:\n" +
                  QDir::toNativeSeparators(QDir(rig.WorkDir()).canonicalPath()));
    EXPECT_FALSE(rig.State().FileReady());
    EXPECT_TRUE(rig.programFile.programFileReady);
    EXPECT_TRUE(rig.programFile.programFilePath.endsWith("/PaleReed_f066.hex"));
    EXPECT_FALSE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());

    rig.WriteFile("PaleReed_f066.hex", gui_test::HexFileOf({0x01, 0x02, 0x03, 0x04}));
    rig.Tick();
    EXPECT_TRUE(rig.State().FileReady());
    EXPECT_EQ(rig.Find<QLabel>("lblUpdaeFileStatus")->text().section('\n', 0, 0),
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
    EXPECT_EQ(rig.Find<QLabel>("lblUpdaeFileStatus")->text().section('\n', 0, 0),
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
    EXPECT_FALSE(rig.State().FileReady());
    EXPECT_FALSE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());
    EXPECT_TRUE(std::equal(before.begin(), before.end(), rig.firmwareImage.Bytes().begin()));
    EXPECT_EQ(rig.firmwareImage.ImageLength(), 0u);
    EXPECT_EQ(rig.Find<QWidget>("pnlUSBExist")->palette().color(QPalette::Window), QColor(Qt::red));

    const QString refusalTip = rig.Find<QLabel>("lblUpdaeFileStatus")->toolTip();
    EXPECT_TRUE(refusalTip.contains("line 1")) << refusalTip.toStdString();
    QFile::remove(QDir(rig.WorkDir()).filePath("PaleReed_f066.hex"));
    rig.Tick();
    EXPECT_TRUE(rig.Find<QLabel>("lblUpdaeFileStatus")->text().startsWith("No Updated File !"));
    EXPECT_NE(rig.Find<QLabel>("lblUpdaeFileStatus")->toolTip(), refusalTip)
        << "the tool tip of the refusal goes with its text";
    EXPECT_EQ(rig.Find<QWidget>("pnlUSBExist")->palette().color(QPalette::Window),
              rig.Form().palette().color(QPalette::Button));
}

TEST(UpdateFile, NamesAreMatchedWithoutRegardToCase) {
    FormRig rig;
    sim::ProductConfig config;
    config.row = 4;
    rig.Plug(config);
    rig.WriteFile("PaleReed_f06a.hex", gui_test::HexFileOf({0x55}));
    ASSERT_GT(rig.TickUntilFound(), 0);
    EXPECT_EQ(rig.Find<QLabel>("lblUpdaeFileStatus")->text().section('\n', 0, 0),
              "Update Hex file   PaleReed_f06a.hex    is Ready!");
    EXPECT_TRUE(rig.State().FileReady());
    EXPECT_TRUE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());
}

TEST(UpdateFile, AFileCutOffBeforeItsEndRecordIsRefused) {
    FormRig rig;
    QByteArray text = gui_test::HexFileOf(std::vector<std::uint8_t>(64, 0x5A));
    text.chop(QByteArray(":00000001FF\r\n").size());
    ASSERT_FALSE(text.contains(":00000001FF"));
    rig.WriteFile("PaleReed_f066.hex", text);
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    EXPECT_EQ(rig.Find<QLabel>("lblUpdaeFileStatus")->text().section('\n', 0, 0),
              "Update Hex file   PaleReed_f066.hex    is invalid: the file ends without its "
              "end-of-file record; it may be incomplete");
    EXPECT_FALSE(rig.State().FileReady());
    EXPECT_FALSE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());
}

// The ISP page's "File" reloads the update file; when that is refused, the
// next tick tries again, so a file mended on disk is taken without unplugging.
TEST(UpdateFile, ARefusedReloadIsRetriedOnTheNextTick) {
    FormRig rig;
    rig.WriteFile("PaleReed_f066.hex", gui_test::HexFileOf({1, 2, 3, 4}));
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    ASSERT_TRUE(rig.State().FileReady());
    rig.WriteFile("PaleReed_f066.hex", ":0400000001020304F3\r\n:00000001FF\r\n");
    rig.Find<QPushButton>("USBLoadFileBitBtn")->click();
    EXPECT_FALSE(rig.State().FileReady());
    EXPECT_FALSE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());

    rig.WriteFile("PaleReed_f066.hex", gui_test::HexFileOf({9, 8, 7}));
    rig.Tick();
    EXPECT_TRUE(rig.State().FileReady());
    EXPECT_EQ(rig.firmwareImage.ImageLength(), 3u);
    EXPECT_TRUE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());
}

// A loaded file is not read again while fileReady stays set.
TEST(UpdateFile, TheFileIsLoadedOnlyWhileFileReadyIsClear) {
    FormRig rig;
    rig.WriteFile("PaleReed_f066.hex", gui_test::HexFileOf({1, 2, 3, 4}));
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    rig.WriteFile("PaleReed_f066.hex", gui_test::HexFileOf({9, 8, 7}));
    rig.Tick();
    EXPECT_EQ(rig.firmwareImage.ImageLength(), 4u);
    rig.State().FileLoaded(false);
    rig.Tick();
    EXPECT_EQ(rig.firmwareImage.ImageLength(), 3u);
}

// " Save" on the ISP page once overwrote the loaded image with the built-in
// block, so "Start" flashed a mix of two images.
TEST(UpdateFile, SaveOnTheIspPageLeavesTheLoadedImageAsItIs) {
    FormRig rig(96, true);
    const std::vector<std::uint8_t> file(0x9000, 0x3C);
    rig.WriteFile("PaleReed_f066.hex", gui_test::HexFileOf(file));
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    ASSERT_EQ(rig.firmwareImage.ImageLength(), 0x9000u);
    gui_test::ModalAnswerer boxes;
    boxes.Answer(QMessageBox::Ok);
    rig.Find<QPushButton>("Button1")->click();
    EXPECT_EQ(boxes.Titles(), QStringList{"Warning"});
    EXPECT_EQ(rig.firmwareImage.ImageLength(), 0x9000u);
    EXPECT_TRUE(std::equal(file.begin(), file.end(), rig.firmwareImage.Bytes().begin()));
}

TEST(UpdateFile, AFileWithoutDataIsRefused) {
    FormRig rig;
    rig.WriteFile("PaleReed_f066.hex", ":00000001FF\r\n");
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    EXPECT_FALSE(rig.State().FileReady());
    EXPECT_FALSE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());
    EXPECT_TRUE(rig.Find<QLabel>("lblUpdaeFileStatus")->text().contains("holds no data"));
}

// A file given on the command line stands in for the product's own, HEX or
// binary, under the same checks.
TEST(UpdateFile, AGivenFileIsUsedForTheProductFound) {
    QTemporaryDir elsewhere;
    const QString given = elsewhere.filePath("release.bin");
    QFile file(given);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(3, '\x42'));
    file.close();
    TForm1::Options options;
    options.updateFile = given;
    FormRig rig(options);
    rig.WriteFile("PaleReed_f066.hex", gui_test::HexFileOf({1, 2, 3, 4, 5}));
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    EXPECT_EQ(rig.Find<QLabel>("lblUpdaeFileStatus")->text().section('\n', 0, 0),
              "Update Hex file   release.bin    is Ready!");
    EXPECT_EQ(rig.programFile.programFilePath, given);
    EXPECT_EQ(rig.firmwareImage.ImageLength(), 3u);
    EXPECT_TRUE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());
}

// A tool unpacked from an archive finds the file beside itself.
TEST(UpdateFile, TheSecondFolderIsSearchedAfterTheCurrentOne) {
    QTemporaryDir beside;
    TForm1::Options options;
    options.secondFolder = beside.path();
    FormRig rig(options);
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    EXPECT_EQ(rig.Find<QLabel>("lblUpdaeFileStatus")->text(),
              "No Updated File !   Looked for PaleReed_f066.hex in:\n" +
                  QDir::toNativeSeparators(QDir::currentPath()) + "\n" +
                  QDir::toNativeSeparators(beside.path()));
    QFile file(QDir(beside.path()).filePath("PaleReed_f066.hex"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(gui_test::HexFileOf({6, 6}));
    file.close();
    rig.Tick();
    EXPECT_TRUE(rig.State().FileReady());
    EXPECT_EQ(rig.programFile.programFilePath, QDir(beside.path()).filePath("PaleReed_f066.hex"));
}

TEST(UpdateFile, AFileDroppedOnTheWindowIsUsedForTheProductFound) {
    FormRig rig;
    rig.WriteFile("PaleReed_f066.hex", gui_test::HexFileOf({1, 2, 3, 4, 5}));
    rig.WriteFile("dropped.hex", gui_test::HexFileOf({8, 8}));
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QDir(rig.WorkDir()).filePath("dropped.hex"))});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject&>(rig.Form()).event(&drop);  // as the drag that brought it would end
    EXPECT_EQ(rig.Find<QLabel>("lblUpdaeFileStatus")->text().section('\n', 0, 0),
              "Update Hex file   dropped.hex    is Ready!");
    EXPECT_EQ(rig.firmwareImage.ImageLength(), 2u);
}

// Taken at once, not when a device turns up: the panel shows it through the
// searches that follow, and "Start" waits for a device.
TEST(UpdateFile, AFileDroppedWithNoDeviceIsLoadedAndShownAtOnce) {
    FormRig rig;
    rig.WriteFile("dropped.hex", gui_test::HexFileOf({8, 8, 8}));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QDir(rig.WorkDir()).filePath("dropped.hex"))});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject&>(rig.Form()).event(&drop);
    EXPECT_EQ(rig.firmwareImage.ImageLength(), 3u);
    EXPECT_EQ(rig.Find<QLabel>("lblUpdaeFileStatus")->text().section('\n', 0, 0),
              "Update Hex file   dropped.hex    is Ready!");
    rig.Tick();
    EXPECT_EQ(rig.Find<QLabel>("lblUpdaeFileStatus")->text().section('\n', 0, 0),
              "Update Hex file   dropped.hex    is Ready!");
    EXPECT_FALSE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());
}

TEST(UpdateFile, AFileDroppedWhileAnOperationHoldsTheLinkIsNotTaken) {
    FormRig rig;
    rig.WriteFile("PaleReed_f066.hex", gui_test::HexFileOf({1, 2, 3, 4, 5}));
    rig.WriteFile("dropped.hex", gui_test::HexFileOf({8, 8}));
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    const product::RunState::LinkHold held(rig.runState);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QDir(rig.WorkDir()).filePath("dropped.hex"))});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject&>(rig.Form()).event(&drop);
    EXPECT_EQ(rig.firmwareImage.ImageLength(), 5u);
    EXPECT_EQ(rig.Find<QLabel>("lblUpdaeFileStatus")->text().section('\n', 0, 0),
              "Update Hex file   PaleReed_f066.hex    is Ready!");
}

#ifndef _WIN32
// A FIFO under the update file's name, with nothing writing to it, would
// block the window for ever if it were opened; it is refused at once, with
// the reason the command line gives too.
TEST(UpdateFile, AFifoUnderTheFilesNameIsRefusedWithItsReason) {
    FormRig rig;
    ASSERT_EQ(::mkfifo(QFile::encodeName(rig.WorkDir() + "/PaleReed_f066.hex").constData(), 0600),
              0);
    rig.Plug({});
    ASSERT_GT(rig.TickUntilFound(), 0);
    EXPECT_EQ(rig.Find<QLabel>("lblUpdaeFileStatus")->text().section('\n', 0, 0),
              "Update Hex file   PaleReed_f066.hex    cannot be read: not a regular file but a "
              "FIFO");
    EXPECT_FALSE(rig.State().FileReady());
    EXPECT_FALSE(rig.Find<QPushButton>("btnSimpleAuto")->isEnabled());
}
#endif

}  // namespace
