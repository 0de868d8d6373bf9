#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <functional>
#include <memory>

#include "chip/registers.h"
#include "chip/request_codes.h"
#include "page_test_rig.h"
#include "pages/hex_byte.h"
#include "pages/i2c_page.h"
#include "pages/string_grid.h"
#include "sim/i2c_register_device.h"

namespace gui_test {
namespace {

using Event = TraceEvent;

// The I2C Access page as the window shows it: the page change has prepared
// the chip's I2C master. The plain device at 0x20 answers; nothing is at 0x30.
class I2cPageTest : public ::testing::Test {
protected:
    I2cPageTest() : page(rig.Show(std::make_unique<pages::I2cPage>(rig.context))) {
        page.FillGridHeadings();
        grid = Find<pages::StringGrid>(page, "StringGridMIIC");
        rig.usbLink.OpenDevice();
        chip::I2cPrepare(rig.usbLink);
        rig.usbLink.CloseDevice();
        for (int reg = 0; reg < 256; ++reg)
            Device().Set(reg, Pattern(reg));
        rig.trace.Clear();
    }

    sim::I2cRegisterDevice& Device() { return *rig.Chip().I2cDeviceAt(0x20); }
    static std::uint8_t Pattern(int reg) { return static_cast<std::uint8_t>(0xC3 ^ reg); }
    QPushButton* ReadButton() const { return Find<QPushButton>(page, "btnReadMI2C"); }
    QLineEdit* AddressEdit() const { return Find<QLineEdit>(page, "edtMI2CAddr"); }
    QString Label(const char* name) const { return Find<QLabel>(page, name)->text(); }
    QCheckBox* Bit(int i) const {
        return Find<QCheckBox>(page, QStringLiteral("chkMI2CBit%1").arg(i).toLatin1().constData());
    }
    void Select(int reg) {
        grid->FocusCell(reg % 16 + 1, reg / 16 + 1);
        rig.trace.Clear();
    }
    QString CellOf(int reg) const { return grid->Cell(reg % 16 + 1, reg / 16 + 1); }
    void Enter(QWidget* target) { PressKey(target, Qt::Key_Return, QStringLiteral("\r")); }
    void TakeAddress(const QString& text) {
        AddressEdit()->setText(text);
        Enter(AddressEdit());
    }

    PageRig rig;
    pages::I2cPage& page;
    pages::StringGrid* grid = nullptr;
};

TEST_F(I2cPageTest, ShowsItsControlsAsBuilt) {
    EXPECT_EQ(page.objectName(), "PageMI2CCtrl");
    EXPECT_EQ(page.windowTitle(), "I2C Access");
    EXPECT_EQ(ReadButton()->text(), "Read");
    EXPECT_EQ(Label("Label6"), "Slave Address: 0x");
    EXPECT_EQ(AddressEdit()->text(), "20");
    EXPECT_EQ(Label("Label15"), "(enter)");
    EXPECT_EQ(Label("Label3"), "7 6 5 4 3 2 1 0");
    EXPECT_EQ(Label("lblMI2CRegAddr"), "Reg 0x00");
    EXPECT_EQ(Label("lblMI2CRegData"), "= 0x00");
    ASSERT_NE(Find<QWidget>(page, "Panel3"), nullptr);
    EXPECT_EQ(grid->Cell(1, 0), "00");
    EXPECT_EQ(grid->Cell(0, 2), "10");
    EXPECT_EQ(rig.devicePages.i2cSlaveAddr, 0x20);
}

// --- Slave address ---

TEST_F(I2cPageTest, EnterTakesTheAddressOverAsAByte) {
    TakeAddress("1a4");
    EXPECT_EQ(rig.devicePages.i2cSlaveAddr, 0xA4);
    EXPECT_EQ(AddressEdit()->text(), "A4");
    EXPECT_TRUE(rig.trace.Lines().empty());

    TakeAddress("");
    EXPECT_EQ(rig.handlerErrors, QStringList{"'0x' is not a valid integer value"});
    EXPECT_EQ(rig.devicePages.i2cSlaveAddr, 0xA4);
}

// --- The table read ---

TEST_F(I2cPageTest, ReadFillsTheGridFromTheDevice) {
    ReadButton()->click();
    for (int reg = 0; reg < 256; ++reg)
        ASSERT_EQ(CellOf(reg), pages::HexByte(Pattern(reg))) << reg;
    EXPECT_EQ(page.I2cShadow()[0x7E], Pattern(0x7E));
    EXPECT_EQ(ReadButton()->text(), "Read");
    EXPECT_FALSE(rig.runState.LinkBusy());
    const auto events = rig.Events();
    EXPECT_EQ(events.front().kind, Event::Open);
    EXPECT_EQ(events.back().kind, Event::Close);
    // Each register: the address, the register number, the read address.
    const std::vector<int> bus = rig.WritesTo(chip::kRegI2cTxData);
    ASSERT_EQ(bus.size(), 3u * 256u);
    EXPECT_EQ((std::vector<int>{bus[3], bus[4], bus[5]}), (std::vector<int>{0x20, 0x01, 0x21}));
}

TEST_F(I2cPageTest, StopEndsTheReadBeforeTheNextRegister) {
    for (int reg = 0; reg < 256; ++reg)
        grid->SetCell(reg % 16 + 1, reg / 16 + 1, "--");
    // The received byte of each register is read from the master's register 0x13.
    rig.OnRead(0x13, 5, [&] { ReadButton()->click(); });
    ReadButton()->click();
    EXPECT_EQ(rig.ReadsOf(0x13), 5);
    EXPECT_EQ(CellOf(4), pages::HexByte(Pattern(4)));
    EXPECT_EQ(CellOf(5), "--");
    EXPECT_EQ(ReadButton()->text(), "Read");
    EXPECT_FALSE(rig.usbLink.HasOpenHandle());
}

TEST_F(I2cPageTest, AnAbsentAddressLeavesTheShadowAndSaysSo) {
    ReadButton()->click();
    EXPECT_EQ(Label("lblMI2CStatus"), "Read from the device");
    TakeAddress("30");
    for (int reg = 0; reg < 256; ++reg)
        Device().Set(reg, 0x00);
    rig.trace.Clear();

    ReadButton()->click();
    EXPECT_EQ(CellOf(0x42), pages::HexByte(Pattern(0x42)));
    EXPECT_EQ(Label("lblMI2CStatus"),
              "The device did not answer for 256 registers: their cells keep the values read "
              "before");
    grid->FocusCell(3, 3);
    EXPECT_EQ(Label("lblMI2CStatus"), "The device did not answer: the value shown was read before");
    EXPECT_EQ(page.I2cShadow()[0x22], Pattern(0x22));
    EXPECT_EQ(CellOf(0x22), pages::HexByte(Pattern(0x22)));
    EXPECT_EQ(Label("lblMI2CRegData"), "= 0x" + pages::HexByte(Pattern(0x22)));
}

TEST_F(I2cPageTest, WithoutADeviceReadDoesNothing) {
    rig.usbLink.ClearFound();
    ReadButton()->click();
    EXPECT_TRUE(rig.trace.Lines().empty());
}

// --- Selecting and editing cells ---

TEST_F(I2cPageTest, SelectingACellReadsTheDeviceRegister) {
    ClickAt(grid, grid->CellRect(6, 2).center());
    EXPECT_EQ(rig.WritesTo(chip::kRegI2cTxData), (std::vector<int>{0x20, 0x15, 0x21}));
    EXPECT_EQ(CellOf(0x15), pages::HexByte(Pattern(0x15)));
    EXPECT_EQ(Label("lblMI2CRegAddr"), "Reg 0x15");
    EXPECT_EQ(Label("lblMI2CRegData"), "= 0x" + pages::HexByte(Pattern(0x15)));
    EXPECT_EQ(grid->HighlightedCol(), 6);
    EXPECT_EQ(grid->HighlightedRow(), 2);
    PressKey(grid, Qt::Key_Down);
    EXPECT_EQ(Label("lblMI2CRegAddr"), "Reg 0x25");
}

TEST_F(I2cPageTest, EnterWritesTheDeviceAndShowsTheReadBack) {
    Select(0x10);
    TypeIntoGrid(*grid, "15A");
    Enter(grid->Editor());
    EXPECT_EQ(Device().Get(0x10), 0x5A);
    EXPECT_EQ(CellOf(0x10), "5A");
    const std::vector<int> bus = rig.WritesTo(chip::kRegI2cTxData);
    // Write: address, register, value; read back: address, register, read address.
    EXPECT_EQ(bus, (std::vector<int>{0x20, 0x10, 0x5A, 0x20, 0x10, 0x21}));
    EXPECT_EQ(rig.Sleeps(), std::vector<int>{1});
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Bit(i)->isChecked(), ((0x5A >> i) & 1) != 0) << i;
}

TEST_F(I2cPageTest, InsertAndDeleteStartFromWhatTheCellShows) {
    Select(0x30);
    TypeIntoGrid(*grid, "7F");
    PressKey(grid->Editor(), Qt::Key_Insert);
    EXPECT_EQ(Device().Get(0x30), 0x80);
    EXPECT_EQ(CellOf(0x30), "80");

    Select(0x31);
    TypeIntoGrid(*grid, "FF");
    PressKey(grid->Editor(), Qt::Key_Insert);
    EXPECT_TRUE(rig.trace.Lines().empty());
    EXPECT_EQ(page.I2cShadow()[0x31], 0xFF);  // the typed text was taken all the same

    Select(0x32);
    TypeIntoGrid(*grid, "0");
    PressKey(grid->Editor(), Qt::Key_Delete);
    EXPECT_TRUE(rig.trace.Lines().empty());
    PressKey(grid->Editor(), Qt::Key_Insert);
    EXPECT_EQ(Device().Get(0x32), 0x01);
}

TEST_F(I2cPageTest, TextThatIsNoNumberIsRefusedAndNothingIsSent) {
    Select(0x40);
    TypeIntoGrid(*grid, "X");
    PressKey(grid->Editor(), Qt::Key_Delete);
    EXPECT_EQ(rig.handlerErrors, QStringList{"'0xX' is not a valid integer value"});
    EXPECT_TRUE(rig.trace.Lines().empty());
    EXPECT_EQ(page.I2cShadow()[0x40], Pattern(0x40));
}

TEST_F(I2cPageTest, AFailedWriteShowsTheValueThatWasToBeWritten) {
    Select(0x50);
    TakeAddress("30");
    rig.trace.Clear();
    TypeIntoGrid(*grid, "11");
    Enter(grid->Editor());
    EXPECT_EQ(CellOf(0x50), "11");
    EXPECT_EQ(Device().Get(0x50), Pattern(0x50));
    EXPECT_EQ(Label("lblMI2CStatus"), "The device did not answer: nothing was changed");
    TakeAddress("20");
    Enter(grid);
    EXPECT_EQ(Label("lblMI2CStatus"), "Written");
    EXPECT_EQ(Device().Get(0x50), 0x11);
}

TEST_F(I2cPageTest, ABitBoxReleaseWritesTheWholeByteAndWaits30ms) {
    Device().Set(0x60, 0x81);
    Select(0x60);
    ClickAt(Bit(4), Bit(4)->rect().center());
    EXPECT_EQ(Device().Get(0x60), 0x91);
    EXPECT_EQ(rig.Sleeps(), std::vector<int>{30});
    EXPECT_EQ(CellOf(0x60), "91");
    EXPECT_EQ(Label("lblMI2CRegAddr"), "Reg 0x60");
    EXPECT_EQ(Label("lblMI2CRegData"), "= 0x91");
}

TEST_F(I2cPageTest, OperationsDuringATableReadLeaveTheLinkAlone) {
    rig.OnRead(0x13, 10, [&] {
        grid->FocusCell(9, 9);
        Enter(grid);
        ClickAt(Bit(0), Bit(0)->rect().center());
    });
    ReadButton()->click();
    const auto events = rig.Events();
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [](const Event& e) { return e.kind == Event::Open; }),
              1);
    EXPECT_EQ(rig.WritesTo(chip::kRegI2cTxData).size(), 3u * 256u);
    // The selection was refused; the boxes show the current register as read.
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 1);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Bit(i)->isChecked(), ((Pattern(0) >> i) & 1) != 0) << i;
}

// Whatever selected another bank since the page was shown (here a parameter
// request, which selects bank 0), every access sets the I2C master up again.
TEST_F(I2cPageTest, EveryAccessPreparesTheI2cMasterInBank14First) {
    rig.usbLink.OpenDevice();
    chip::RegSelectBank(rig.usbLink, 0x00);
    rig.usbLink.CloseDevice();
    rig.trace.Clear();
    ReadButton()->click();
    const auto writes = rig.Writes();
    ASSERT_GE(writes.size(), 2u);
    EXPECT_EQ(writes[0].reg, 0x00);
    EXPECT_EQ(writes[0].value, 0x0E);
    EXPECT_EQ(writes[1].reg, 0x11);
    EXPECT_EQ(writes[1].value, 0x04);
    EXPECT_EQ(CellOf(0x42), pages::HexByte(Pattern(0x42)));
    EXPECT_EQ(rig.Chip().SelectedBank(), 0x0E);

    for (const auto& select : {std::function<void()>([&] { grid->FocusCell(3, 3); }),
                               std::function<void()>([&] { Enter(grid); })}) {
        rig.usbLink.OpenDevice();
        chip::RegSelectBank(rig.usbLink, 0x00);
        rig.usbLink.CloseDevice();
        rig.trace.Clear();
        select();
        ASSERT_FALSE(rig.Writes().empty());
        EXPECT_EQ(rig.Writes()[0].reg, 0x00);
        EXPECT_EQ(rig.Writes()[0].value, 0x0E);
        EXPECT_EQ(Device().Get(0x22), Pattern(0x22));  // nothing written in bank 0's stead
    }
}

}  // namespace
}  // namespace gui_test
