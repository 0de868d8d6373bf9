#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "image/built_in_image.h"
#include "image/parameter_table.h"
#include "modal_answerer.h"
#include "page_test_rig.h"
#include "pages/binfile_page.h"
#include "pages/labeled_edit.h"

namespace gui_test {
namespace {

// Intel HEX text for `bytes` placed at address 0: data records of 16 bytes and
// the end record.
QByteArray HexText(const std::vector<std::uint8_t>& bytes) {
    QByteArray text;
    for (std::size_t at = 0; at < bytes.size(); at += 16) {
        const std::size_t count = std::min<std::size_t>(16, bytes.size() - at);
        std::vector<std::uint8_t> record = {static_cast<std::uint8_t>(count),
                                            static_cast<std::uint8_t>(at >> 8),
                                            static_cast<std::uint8_t>(at & 0xFF), 0x00};
        record.insert(record.end(), bytes.begin() + at, bytes.begin() + at + count);
        std::uint8_t sum = 0;
        for (std::uint8_t b : record)
            sum = static_cast<std::uint8_t>(sum + b);
        record.push_back(static_cast<std::uint8_t>(-sum));
        text += ':';
        for (std::uint8_t b : record)
            text += QByteArray::number(b + 0x100, 16).mid(1).toUpper();
        text += "\r\n";
    }
    return text + ":00000001FF\r\n";
}

// An image of erased bytes with `marker` written at each of `offsets`.
std::vector<std::uint8_t> ImageWith(const std::string& marker, std::vector<std::uint32_t> offsets,
                                    std::uint32_t length = 0x2000) {
    std::vector<std::uint8_t> bytes(length, 0xFF);
    for (std::uint32_t at : offsets)
        std::copy(marker.begin(), marker.end(), bytes.begin() + at);
    return bytes;
}

// The Gen. Bin File page with its file dialogs answered by the test.
class BinFilePageTest : public ::testing::Test {
protected:
    BinFilePageTest() : page(rig.Show(std::make_unique<pages::BinFilePage>(rig.context))) {
        page.SetFileChooser([this](QWidget*, const pages::FileDialogSetup& dialog) {
            dialogs.push_back(dialog);
            return answer;
        });
    }

    QString Write(const QString& name, const QByteArray& content) {
        const QString path = QDir(dir.path()).filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }
    void Load(const QString& path) {
        answer = path;
        Click("CurrentFileBitBtn");
    }
    void Click(const char* name) const { Find<QPushButton>(page, name)->click(); }
    bool Enabled(const char* name) const { return Find<QWidget>(page, name)->isEnabled(); }
    QString Text(const char* name) const { return Find<QLabel>(page, name)->text(); }

    PageRig rig;
    pages::BinFilePage& page;
    QTemporaryDir dir;
    QString answer;
    std::vector<pages::FileDialogSetup> dialogs;
};

TEST_F(BinFilePageTest, ShowsItsControlsAsBuilt) {
    EXPECT_EQ(page.objectName(), "BinFile");
    EXPECT_EQ(page.windowTitle(), "Gen. Bin File");
    EXPECT_EQ(Text("Label13"), "Modify User parameter and save to new Binary File");
    EXPECT_EQ(Find<QLabel>(page, "Label13")->font().pointSize(), 12);
    EXPECT_EQ(Find<QGroupBox>(page, "GroupBox9")->title(), "User information New Setting ");
    EXPECT_EQ(Find<QPushButton>(page, "btnSaveBin")->text(), " Save");
    EXPECT_EQ(Text("lblCurrentFilePath"), "...");
    EXPECT_TRUE(Enabled("CurrentFileBitBtn"));
    for (const char* name : {"btnCheck", "GroupBox9", "btnSaveBitBin", "btnSaveBin"})
        EXPECT_FALSE(Enabled(name)) << name;
    EXPECT_EQ(Text("Label14"), "Record Port:");
}

// --- Loading and the marker ---

TEST_F(BinFilePageTest, AMarkerAt1234MakesTheFileReadyForModifying) {
    const QString path = Write("fw.hex", HexText(ImageWith("QVUSB_Table01", {0x1234})));
    Load(path);

    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].name, "OpenBinFileDialog");
    EXPECT_EQ(dialogs[0].defaultSuffix, "hex");
    EXPECT_EQ(dialogs[0].filter, "Hex File (*.hex *.h00);;Binary File (*.bin)");
    EXPECT_EQ(Text("lblStatusReport"), "Load file ready");
    EXPECT_EQ(page.TableOffset(), 0x1234u);
    EXPECT_EQ(page.ModifyLength(), 0x2000u);
    EXPECT_TRUE(Enabled("GroupBox9"));
    EXPECT_TRUE(Enabled("btnSaveBitBin"));
    EXPECT_TRUE(Enabled("btnCheck"));
    EXPECT_EQ(Text("lblCurrentFilePath"), QDir::toNativeSeparators(path));
    // The load also replaced the image the flash operations use.
    EXPECT_EQ(rig.firmwareImage.ImageLength(), 0x2000u);
    EXPECT_EQ(rig.firmwareImage.Bytes()[0x1234], 'Q');
    EXPECT_EQ(page.ModifyImage().Bytes()[0x1235], 'V');
}

TEST_F(BinFilePageTest, TenMarkerCharactersAreEnoughAndNineAreNot) {
    Load(Write("ten.bin", QByteArray::fromStdString(std::string(0x100, '\0') + "QVUSB_Tabl--")));
    EXPECT_EQ(Text("lblStatusReport"), "Load file ready");
    EXPECT_EQ(page.TableOffset(), 0x100u);

    Load(Write("nine.bin", QByteArray::fromStdString(std::string(0x80, '\0') + "QVUSB_Tab---")));
    EXPECT_EQ(Text("lblStatusReport"), "Load file is invalid for modify");
    EXPECT_EQ(page.TableOffset(), 0u);
    // What one load opened stays open.
    EXPECT_TRUE(Enabled("GroupBox9"));
}

TEST_F(BinFilePageTest, TheLowerOfTwoMarkersWins) {
    Load(Write("two.hex", HexText(ImageWith("QVUSB_Table01", {0x1800, 0x0400}))));
    EXPECT_EQ(page.TableOffset(), 0x0400u);
}

TEST_F(BinFilePageTest, AnEmptyBinaryFileFindsNothingButEnablesCheck) {
    Load(Write("empty.bin", QByteArray()));
    EXPECT_EQ(page.ModifyLength(), 0u);
    EXPECT_EQ(Text("lblStatusReport"), "Load file is invalid for modify");
    EXPECT_TRUE(Enabled("btnCheck"));
    EXPECT_FALSE(Enabled("GroupBox9"));
}

TEST_F(BinFilePageTest, AFileOfAnotherKindSearchesTheEarlierImage) {
    Load(Write("fw.hex", HexText(ImageWith("QVUSB_Table01", {0x0600}))));
    Load(Write("fw.txt", "QVUSB_Table01"));
    EXPECT_EQ(page.ModifyFilePath(), QDir::toNativeSeparators(QDir(dir.path()).filePath("fw.txt")));
    EXPECT_EQ(page.ModifyLength(), 0x2000u);
    EXPECT_EQ(page.TableOffset(), 0x0600u);
}

TEST_F(BinFilePageTest, ARefusedHexFileIsInvalidAndTheEarlierImageIsNotSearched) {
    Load(Write("fw.hex", HexText(ImageWith("QVUSB_Table01", {0x0600}))));
    ASSERT_EQ(Text("lblStatusReport"), "Load file ready");
    ASSERT_TRUE(Find<QLabel>(page, "lblStatusReport")->toolTip().isEmpty());

    const QString bad = Write("bad.hex", ":0400000001020304F1\r\n:00000001FF\r\n");
    Load(bad);
    EXPECT_EQ(Text("lblCurrentFilePath"), QDir::toNativeSeparators(bad));
    EXPECT_EQ(Text("lblStatusReport"), "Load file is invalid for modify");
    EXPECT_TRUE(Find<QLabel>(page, "lblStatusReport")->toolTip().contains("is invalid"));
    EXPECT_EQ(page.TableOffset(), 0u);
    EXPECT_EQ(page.ModifyLength(), 0u);
    // The loader left the earlier file in the image; "Check" does not find it there either.
    EXPECT_EQ(rig.firmwareImage.Bytes()[0x0600], 'Q');
    Click("btnCheck");
    EXPECT_EQ(page.TableOffset(), 0u);
    EXPECT_EQ(Text("lblStatusReport"), "Load file is invalid for modify");

    Load(Write("again.hex", HexText(ImageWith("QVUSB_Table01", {0x0700}))));
    EXPECT_EQ(Text("lblStatusReport"), "Load file ready");
    EXPECT_TRUE(Find<QLabel>(page, "lblStatusReport")->toolTip().isEmpty());
}

TEST_F(BinFilePageTest, ABinaryFileLargerThanTheImageIsInvalid) {
    Load(Write("fw.hex", HexText(ImageWith("QVUSB_Table01", {0x0600}))));
    Load(Write("big.bin", QByteArray("QVUSB_Table01") + QByteArray(0x40000, '\0')));
    EXPECT_EQ(Text("lblStatusReport"), "Load file is invalid for modify");
    EXPECT_TRUE(Find<QLabel>(page, "lblStatusReport")->toolTip().contains("262144"));
    EXPECT_EQ(page.TableOffset(), 0u);
    EXPECT_EQ(rig.firmwareImage.ImageLength(), 0x2000u);
}

TEST_F(BinFilePageTest, AFileThatCannotBeOpenedIsInvalid) {
    Load(Write("fw.hex", HexText(ImageWith("QVUSB_Table01", {0x0600}))));
    Load(QDir(dir.path()).filePath("missing.bin"));
    EXPECT_EQ(Text("lblStatusReport"), "Load file is invalid for modify");
    EXPECT_FALSE(Find<QLabel>(page, "lblStatusReport")->toolTip().isEmpty());
    EXPECT_EQ(page.TableOffset(), 0u);
    EXPECT_TRUE(Enabled("btnCheck"));
}

TEST_F(BinFilePageTest, ACancelledDialogChangesNothing) {
    Load(QString());
    EXPECT_EQ(Text("lblCurrentFilePath"), "...");
    EXPECT_FALSE(Enabled("btnCheck"));
    EXPECT_EQ(Text("lblStatusReport"), "");
}

TEST_F(BinFilePageTest, CheckSearchesAgainAndEnablesTheSettings) {
    Load(Write("none.bin", QByteArray(64, 'x')));
    EXPECT_FALSE(Enabled("GroupBox9"));
    Find<QLabel>(page, "lblSaveDone")->setText("done");
    Click("btnCheck");
    EXPECT_EQ(Text("lblSaveDone"), "");
    EXPECT_FALSE(Enabled("GroupBox9"));
    EXPECT_EQ(Text("lblStatusReport"), "Load file is invalid for modify");
}

// --- New file and Save ---

TEST_F(BinFilePageTest, NewFileTakesTheChosenNameAndEnablesSave) {
    Load(Write("fw.hex", HexText(ImageWith("QVUSB_Table01", {0x20}))));
    answer = QDir(dir.path()).filePath("new.bin");
    Click("btnSaveBitBin");
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[1].name, "SaveBinFIleDialog");
    EXPECT_EQ(dialogs[1].filter, "Binary File (*.bin)");
    EXPECT_TRUE(dialogs[1].save);
    EXPECT_EQ(Text("lblSaveBinPath"), QDir::toNativeSeparators(answer));
    EXPECT_TRUE(Enabled("btnSaveBin"));
    EXPECT_FALSE(QFile::exists(answer));  // choosing the name creates no file
}

// --- Saving the new file ---

// A file of erased bytes with a parameter table of our layout at `table`:
// the marker, IDs 2FC6:6012, five empty string slots.
std::vector<std::uint8_t> ImageWithTable(std::uint32_t table, std::uint32_t length = 0x2000) {
    std::vector<std::uint8_t> bytes = ImageWith("QVUSB_Table01", {table}, length);
    std::fill_n(bytes.begin() + table + 13, image::kTableSize - 13, 0x00);
    bytes[table + image::kTableVidOffset] = 0xC6;
    bytes[table + image::kTableVidOffset + 1] = 0x2F;
    bytes[table + image::kTableStringCountOffset] = image::kTableStringCount;
    return bytes;
}

QByteArray AsBytes(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

class SaveTest : public BinFilePageTest {
protected:
    // Loads `content`, chooses the new file and types the seven edits.
    void Prepare(const std::vector<std::uint8_t>& content) {
        Load(Write("fw.bin", AsBytes(content)));
        newFile = QDir(dir.path()).filePath("new.bin");
        answer = newFile;
        Click("btnSaveBitBin");
        Find<pages::LabeledEdit>(page, "labedtNewVID")->setText("1A2b");
        Find<pages::LabeledEdit>(page, "labedtNewPID")->setText(" f06 ");
        const char* strings[] = {"Pale Reed", "Pale Reed F066", "SN0042", "Play", "Rec"};
        for (int i = 0; i < 5; ++i)
            Edit(i)->setText(QString::fromLatin1(strings[i]));
    }
    void SetField(const char* name, const QString& text) const {
        if (auto* labeled = Find<pages::LabeledEdit>(page, name))
            labeled->setText(text);
        else
            Find<QLineEdit>(page, name)->setText(text);
    }
    QLineEdit* Edit(int i) const {
        return Find<QLineEdit>(page, QStringLiteral("edtNewStr%1").arg(i).toLatin1().constData());
    }
    // Clicks " Save" with every box answered; true when no file was written.
    bool SaveRefused() {
        Click("btnSaveBin");
        return !QFile::exists(newFile);
    }

    ModalAnswerer boxes;
    QString newFile;
};

TEST_F(SaveTest, WritesTheWorkingCopyWithTheEditsInItsTableAndLeavesTheImageAlone) {
    const std::vector<std::uint8_t> original = ImageWithTable(0x1000);
    Prepare(original);
    const std::vector<std::uint8_t> image(rig.firmwareImage.Bytes().begin(),
                                          rig.firmwareImage.Bytes().end());
    Click("btnSaveBin");

    QFile file(newFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    ASSERT_EQ(written.size(), 0x2000);
    std::vector<std::uint8_t> expected = original;
    const auto put = [&](std::uint32_t at, std::initializer_list<std::uint8_t> bytes) {
        std::copy(bytes.begin(), bytes.end(), expected.begin() + 0x1000 + at);
    };
    put(image::kTableVidOffset, {0x2B, 0x1A, 0x06, 0x0F});
    put(image::TableStringOffset(image::TableString::Manufacturer),
        {9, 'P', 'a', 'l', 'e', ' ', 'R', 'e', 'e', 'd'});
    put(image::TableStringOffset(image::TableString::Product),
        {14, 'P', 'a', 'l', 'e', ' ', 'R', 'e', 'e', 'd', ' ', 'F', '0', '6', '6'});
    put(image::TableStringOffset(image::TableString::SerialNumber),
        {6, 'S', 'N', '0', '0', '4', '2'});
    put(image::TableStringOffset(image::TableString::PlayPort), {4, 'P', 'l', 'a', 'y'});
    put(image::TableStringOffset(image::TableString::RecordPort), {3, 'R', 'e', 'c'});
    EXPECT_EQ(written, AsBytes(expected));
    EXPECT_EQ(Text("lblSaveDone"), "Saved to " + QDir::toNativeSeparators(newFile));
    EXPECT_TRUE(boxes.Titles().isEmpty());
    EXPECT_TRUE(std::equal(image.begin(), image.end(), rig.firmwareImage.Bytes().begin()));
}

// The shipped demo file: Pale Reed F066, its table at 0xB000 (PID at 0xB012).
TEST_F(SaveTest, TheEditsShowTheLoadedTableAndAnUntouchedSaveGivesBackTheSameImage) {
    Load(QStringLiteral(PALEREED_SOURCE_DIR "/data/demo/PaleReed_f066.hex"));
    ASSERT_EQ(page.TableOffset(), 0xB000u);
    EXPECT_EQ(Find<pages::LabeledEdit>(page, "labedtNewVID")->text(), "2FC6");
    EXPECT_EQ(Find<pages::LabeledEdit>(page, "labedtNewPID")->text(), "F066");
    const QStringList strings = {"Quorvex-inc", "Quorvex-inc UAC22", "QVUA170405",
                                 "Primary Play Interface", "Record Interface"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Edit(i)->text(), strings[i]);

    newFile = QDir(dir.path()).filePath("same.bin");
    answer = newFile;
    Click("btnSaveBitBin");
    Click("btnSaveBin");
    QFile file(newFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    const auto loaded = rig.firmwareImage.Bytes().first(rig.firmwareImage.ImageLength());
    EXPECT_EQ(written, AsBytes({loaded.begin(), loaded.end()}));
    EXPECT_EQ(written.mid(0xB012, 2), QByteArray("\x66\xF0"));
    EXPECT_TRUE(boxes.Titles().isEmpty());
}

// Bytes after a slot's text are the file's own: a slot whose text stays keeps
// them; the slot that changes is written afresh.
TEST_F(SaveTest, OnlyTheChangedFieldsAreRewritten) {
    std::vector<std::uint8_t> original = ImageWithTable(0x100);
    const std::uint32_t serial = 0x100 + image::TableStringOffset(image::TableString::SerialNumber);
    const std::uint32_t product = 0x100 + image::TableStringOffset(image::TableString::Product);
    for (std::uint32_t slot : {serial, product}) {
        original[slot] = 2;
        std::fill_n(original.begin() + slot + 1, 2, 'A');
        std::fill_n(original.begin() + slot + 3, image::kTableStringSlotSize - 3, 0xEE);
    }
    Load(Write("fw.bin", AsBytes(original)));
    newFile = QDir(dir.path()).filePath("new.bin");
    answer = newFile;
    Click("btnSaveBitBin");
    SetField("labedtNewPID", "f067");
    Edit(1)->setText("B");
    Click("btnSaveBin");

    std::vector<std::uint8_t> expected = original;
    expected[0x100 + image::kTablePidOffset] = 0x67;
    expected[0x100 + image::kTablePidOffset + 1] = 0xF0;
    std::fill_n(expected.begin() + product, image::kTableStringSlotSize, 0x00);
    expected[product] = 1;
    expected[product + 1] = 'B';
    QFile file(newFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), AsBytes(expected));
}

TEST_F(SaveTest, ATableOfAnotherLayoutIsRefusedWithTheReason) {
    struct Case {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"revision", [](auto& b) { b[0x100 + 12] = '2'; }, "marker"},
        {"slot count", [](auto& b) { b[0x100 + image::kTableStringCountOffset] = 7; },
         "7 string slots"},
        {"slot length",
         [](auto& b) { b[0x100 + image::TableStringOffset(image::TableString::PlayPort)] = 32; },
         "string slot 4"},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> content = ImageWithTable(0x100);
        c.damage(content);
        // Its values cannot be read, so none are shown, not even the defaults.
        Load(Write("other.bin", AsBytes(content)));
        EXPECT_EQ(Find<pages::LabeledEdit>(page, "labedtNewPID")->text(), "") << c.name;
        EXPECT_EQ(Edit(0)->text(), "") << c.name;
        Prepare(content);
        EXPECT_TRUE(SaveRefused()) << c.name;
        EXPECT_TRUE(boxes.Texts().back().contains(c.reason)) << boxes.Texts().back().toStdString();
        EXPECT_EQ(Text("lblSaveDone"), "");
    }
    EXPECT_EQ(boxes.Titles(), QStringList(3, "Warning"));
}

TEST_F(SaveTest, ATableCutOffByTheEndOfTheFileIsRefused) {
    std::vector<std::uint8_t> content = ImageWithTable(0x1F80, 0x2100);
    content.resize(0x2000);
    Prepare(content);
    EXPECT_TRUE(SaveRefused());
    EXPECT_TRUE(boxes.Texts().value(0).contains("past the end"))
        << boxes.Texts().value(0).toStdString();
}

TEST_F(SaveTest, EditsThatDoNotFitAreRefusedNamingTheField) {
    struct Case {
        const char* control;
        QString text;
        const char* field;
    };
    const std::vector<Case> cases = {
        {"labedtNewVID", "12345", "VID"},
        {"labedtNewVID", "2FG6", "VID"},
        {"labedtNewPID", "", "PID"},
        {"edtNewStr1", QString(32, 'x'), "Product Name"},
        {"edtNewStr4", QStringLiteral("Caf\u00E9 \u03A9\u20AC"), "Record Port"},
    };
    for (const Case& c : cases) {
        Prepare(ImageWithTable(0x100));
        SetField(c.control, c.text);
        EXPECT_TRUE(SaveRefused()) << c.field;
        EXPECT_TRUE(boxes.Texts().back().startsWith(c.field)) << boxes.Texts().back().toStdString();
    }
    // Thirty-one characters fill a slot exactly; Latin-1 letters have their single-byte codes.
    Prepare(ImageWithTable(0x100));
    Edit(1)->setText(QString(31, 'x'));
    Edit(4)->setText(QStringLiteral("Caf\u00E9"));
    EXPECT_FALSE(SaveRefused());
}

TEST_F(SaveTest, NothingIsWrittenBeforeBothFilesAreChosen) {
    Load(Write("fw.bin", AsBytes(ImageWithTable(0x100))));
    answer.clear();
    Click("btnSaveBitBin");  // cancelled
    page.btnSaveBinClick();  // the ISP page's " Save" is always enabled
    ASSERT_EQ(boxes.Titles(), QStringList{"Warning"});
    EXPECT_TRUE(boxes.Texts().value(0).contains("New File"));
}

TEST_F(BinFilePageTest, AtStartUpTheBuiltInBlockFillsBothImages) {
    page.CopyBuiltInBlock();
    const auto builtIn = image::BuiltInImage();
    EXPECT_TRUE(std::equal(builtIn.begin(), builtIn.end(), rig.firmwareImage.Bytes().begin()));
    EXPECT_TRUE(std::equal(builtIn.begin(), builtIn.end(), page.ModifyImage().Bytes().begin()));
    EXPECT_EQ(rig.firmwareImage.ImageLength(), 0u);
    EXPECT_EQ(page.ModifyImage().Bytes()[0x8000], 0x00);
}

TEST_F(BinFilePageTest, NothingTouchesTheImageWhileAnUpdateRuns) {
    const product::RunState::Run update(rig.runState);
    page.btnSaveBinClick();
    Load(Write("fw.hex", HexText(ImageWith("QVUSB_Table01", {0x10}))));
    EXPECT_EQ(rig.firmwareImage.Bytes()[0], 0x00);
    EXPECT_TRUE(dialogs.empty());
}

}  // namespace
}  // namespace gui_test
