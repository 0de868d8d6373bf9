#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <memory>

#include "page_test_rig.h"
#include "pages/hex_byte.h"
#include "pages/register_page.h"
#include "pages/string_grid.h"

namespace gui_test {
namespace {

using Event = TraceEvent;

// The register page as the window leaves it at start-up, over the simulated product.
class RegisterPageTest : public ::testing::Test {
protected:
    RegisterPageTest() : page(rig.Show(std::make_unique<pages::RegisterPage>(rig.context))) {
        page.FillGridHeadings();
        grid = Find<pages::StringGrid>(page, "RegStringGrid1");
    }

    QPushButton* ReadButton() const { return Find<QPushButton>(page, "btnReadAll"); }
    QString Label(const char* name) const { return Find<QLabel>(page, name)->text(); }
    QCheckBox* Bit(int i) const {
        return Find<QCheckBox>(page, QStringLiteral("chkBit%1").arg(i).toLatin1().constData());
    }
    // A register of bank 3, chosen so that no register of the mailbox or
    // the status answers in place of the plain register file.
    void UseBank3WithPattern() {
        rig.Chip().SetRegister(0, 0, 3);
        for (int reg = 1; reg < 256; ++reg)
            rig.Chip().SetRegister(3, reg, Pattern(reg));
    }
    static std::uint8_t Pattern(int reg) { return static_cast<std::uint8_t>(reg * 7 + 0x5A); }
    // Makes the register current as a click would, then forgets that read.
    void Select(int reg) {
        grid->FocusCell(reg % 16 + 1, reg / 16 + 1);
        rig.trace.Clear();
    }
    QString CellOf(int reg) const { return grid->Cell(reg % 16 + 1, reg / 16 + 1); }
    void Enter(QWidget* target) { PressKey(target, Qt::Key_Return, QStringLiteral("\r")); }

    PageRig rig;
    pages::RegisterPage& page;
    pages::StringGrid* grid = nullptr;
};

TEST_F(RegisterPageTest, ShowsItsControlsAsBuilt) {
    EXPECT_EQ(page.objectName(), "TabSheet1");
    EXPECT_EQ(page.windowTitle(), "Register");
    EXPECT_EQ(ReadButton()->text(), "Read Bank");
    EXPECT_EQ(Label("lblRegAddr"), "Reg 0x00");
    EXPECT_EQ(Label("lblRegData"), "= 0x00");
    EXPECT_EQ(Label("Label1"), "7 6 5 4 3 2 1 0");
    const QFontMetrics digits(Find<QLabel>(page, "Label1")->font());
    EXPECT_EQ(digits.horizontalAdvance('1'), digits.horizontalAdvance('W'));  // fixed pitch
    ASSERT_NE(Find<QWidget>(page, "Panel2"), nullptr);
    // Bit 7 stands on the left, bit 0 on the right.
    for (int i = 0; i < 7; ++i)
        EXPECT_GT(Bit(i)->x(), Bit(i + 1)->x()) << i;
    EXPECT_EQ(grid->ColCount(), 17);
    EXPECT_EQ(grid->Cell(16, 0), "0F");
    EXPECT_EQ(grid->Cell(0, 16), "F0");
    EXPECT_EQ(grid->Cell(0, 0), "");
    EXPECT_EQ(grid->Cell(1, 1), "");
}

// --- The bank read ---

TEST_F(RegisterPageTest, BankReadFillsTheGridFromTheChip) {
    UseBank3WithPattern();
    ReadButton()->click();

    EXPECT_EQ(CellOf(0), "03");  // register 0 answers with the bank it selects
    for (int reg = 1; reg < 256; ++reg)
        ASSERT_EQ(CellOf(reg), pages::HexByte(Pattern(reg))) << reg;
    EXPECT_EQ(ReadButton()->text(), "Read Bank");
    EXPECT_FALSE(page.ReadRunning());
    EXPECT_FALSE(rig.runState.LinkBusy());
    const auto events = rig.Events();
    ASSERT_EQ(events.size(), 258u);  // one open, 256 reads in address order, one close
    EXPECT_EQ(events.front().kind, Event::Open);
    EXPECT_EQ(events.back().kind, Event::Close);
    for (int reg = 0; reg < 256; ++reg)
        EXPECT_EQ(events[reg + 1].reg, reg);
    EXPECT_FALSE(rig.usbLink.HasOpenHandle());
}

TEST_F(RegisterPageTest, StopEndsTheReadBeforeTheNextRegister) {
    UseBank3WithPattern();
    for (int reg = 0; reg < 256; ++reg)
        grid->SetCell(reg % 16 + 1, reg / 16 + 1, "--");
    QString captionWhileRunning;
    rig.OnRead(0x13, 1, [&] {
        captionWhileRunning = ReadButton()->text();
        ReadButton()->click();
    });
    ReadButton()->click();

    EXPECT_EQ(captionWhileRunning, "Stop");
    EXPECT_EQ(CellOf(0x13), pages::HexByte(Pattern(0x13)));  // the register being read lands
    EXPECT_EQ(CellOf(0x14), "--");
    EXPECT_EQ(CellOf(0xFF), "--");
    EXPECT_EQ(rig.ReadsOf(0x14), 0);
    EXPECT_EQ(ReadButton()->text(), "Read Bank");
    EXPECT_FALSE(rig.runState.LinkBusy());
    EXPECT_FALSE(rig.usbLink.HasOpenHandle());
}

TEST_F(RegisterPageTest, WithoutADeviceReadBankDoesNothing) {
    rig.usbLink.ClearFound();
    ReadButton()->click();
    EXPECT_TRUE(rig.trace.Lines().empty());
    EXPECT_EQ(ReadButton()->text(), "Read Bank");
}

TEST_F(RegisterPageTest, StopDoesNothingOnceTheDeviceIsNoLongerFound) {
    rig.OnRead(0x20, 1, [&] {
        rig.usbLink.ClearFound();  // as a detection tick may do meanwhile
        ReadButton()->click();
    });
    ReadButton()->click();
    EXPECT_EQ(rig.ReadsOf(0xFF), 1);
    EXPECT_EQ(ReadButton()->text(), "Read Bank");
}

TEST_F(RegisterPageTest, OperationsDuringTheBankReadLeaveTheLinkAlone) {
    rig.OnRead(0x40, 1, [&] {
        grid->FocusCell(5, 5);
        PressKey(grid, Qt::Key_Insert);
        Enter(grid);
        ClickAt(Bit(3), Bit(3)->rect().center());
    });
    ReadButton()->click();

    const auto events = rig.Events();
    EXPECT_EQ(rig.RequestCount(), 256);
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [](const Event& e) { return e.kind == Event::Open; }),
              1);
    EXPECT_TRUE(rig.Writes().empty());
    EXPECT_FALSE(Bit(3)->isChecked());  // the refused click does not stay on screen
}

// A selection during the read could not read its register, so the current
// cell stays; afterwards the boxes and labels show the current register as
// read, and a bit box writes from that value to that register.
TEST_F(RegisterPageTest, ASelectionDuringTheBankReadKeepsTheCurrentCell) {
    UseBank3WithPattern();
    Select(0x10);
    rig.Chip().SetRegister(3, 0x10, 0xA4);
    rig.Chip().SetRegister(3, 0x33, 0x00);
    rig.OnRead(0x40, 1, [&] { grid->FocusCell(4, 4); });
    ReadButton()->click();
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(Label("lblRegAddr"), "Reg 0x10");
    EXPECT_EQ(Label("lblRegData"), "= 0xA4");
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Bit(i)->isChecked(), ((0xA4 >> i) & 1) != 0) << i;

    rig.trace.Clear();
    ClickAt(Bit(0), Bit(0)->rect().center());
    EXPECT_EQ(rig.WritesTo(0x10), std::vector<int>{0xA5});
    EXPECT_TRUE(rig.WritesTo(0x33).empty());
}

TEST_F(RegisterPageTest, ASecondReadCannotStartWhileAnotherTableReadHoldsTheLink) {
    const product::RunState::LinkHold heldElsewhere(rig.runState);
    ReadButton()->click();
    EXPECT_TRUE(rig.trace.Lines().empty());
    EXPECT_EQ(ReadButton()->text(), "Read Bank");
}

// --- Selecting a cell ---

TEST_F(RegisterPageTest, ClickingACellReadsItsRegisterAndShowsIt) {
    rig.Chip().SetRegister(0, 0x2B, 0xA5);
    ClickAt(grid, grid->CellRect(12, 3).center());

    EXPECT_EQ(rig.Events().size(), 3u);
    EXPECT_EQ(rig.ReadsOf(0x2B), 1);
    EXPECT_EQ(CellOf(0x2B), "A5");
    EXPECT_EQ(Label("lblRegAddr"), "Reg 0x2B");
    EXPECT_EQ(Label("lblRegData"), "= 0xA5");
    EXPECT_EQ(page.RegShadow()[0x2B], 0xA5);
    EXPECT_EQ(grid->HighlightedCol(), 12);
    EXPECT_EQ(grid->HighlightedRow(), 3);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Bit(i)->isChecked(), ((0xA5 >> i) & 1) != 0) << i;
}

TEST_F(RegisterPageTest, ArrowKeysReadTheRegisterOfTheNewCell) {
    Select(0x11);
    PressKey(grid, Qt::Key_Right);
    PressKey(grid, Qt::Key_Down);
    PressKey(grid, Qt::Key_Left);
    EXPECT_EQ(rig.ReadsOf(0x12), 1);
    EXPECT_EQ(rig.ReadsOf(0x22), 1);
    EXPECT_EQ(rig.ReadsOf(0x21), 1);
    EXPECT_EQ(Label("lblRegAddr"), "Reg 0x21");
}

TEST_F(RegisterPageTest, SelectingAgainReadsAgainAndAFailedReadKeepsTheShadow) {
    rig.Chip().SetRegister(0, 0x31, 0x44);
    Select(0x31);
    Select(0x32);
    rig.Chip().SetRegister(0, 0x31, 0x45);
    grid->FocusCell(2, 4);
    EXPECT_EQ(CellOf(0x31), "45");

    Select(0x32);
    rig.Unplug();
    grid->FocusCell(2, 4);
    EXPECT_EQ(page.RegShadow()[0x31], 0x45);
    EXPECT_EQ(CellOf(0x31), "45");
    EXPECT_EQ(Label("lblRegData"), "= 0x45");
}

// --- Keys in the grid ---

TEST_F(RegisterPageTest, EnterOn1FFWritesFFAndShowsTheReadBack) {
    Select(0x35);
    TypeIntoGrid(*grid, "1FF");
    Enter(grid->Editor());

    const auto events = rig.Events();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].kind, Event::Open);
    EXPECT_EQ(events[1].kind, Event::Write);
    EXPECT_EQ(events[1].reg, 0x35);
    EXPECT_EQ(events[1].value, 0xFF);
    EXPECT_EQ(events[2].kind, Event::Sleep);
    EXPECT_EQ(events[2].value, 1);
    EXPECT_EQ(events[3].kind, Event::Read);
    EXPECT_EQ(events[3].reg, 0x35);
    EXPECT_EQ(events[4].kind, Event::Close);
    EXPECT_EQ(CellOf(0x35), "FF");
    EXPECT_FALSE(grid->IsEditing());
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(Bit(i)->isChecked());
    // The labels follow the key write.
    EXPECT_EQ(Label("lblRegAddr"), "Reg 0x35");
    EXPECT_EQ(Label("lblRegData"), "= 0xFF");
}

TEST_F(RegisterPageTest, TheCellShowsWhatTheChipReadsBackNotWhatWasTyped) {
    // The connection flags of the status register belong to the firmware.
    Select(0xA6);
    TypeIntoGrid(*grid, "1FF");
    Enter(grid->Editor());
    EXPECT_EQ(rig.WritesTo(0xA6), std::vector<int>{0xFF});
    EXPECT_EQ(CellOf(0xA6), "01");
    EXPECT_EQ(page.RegShadow()[0xA6], 0x01);
}

TEST_F(RegisterPageTest, InsertAndDeleteStepTheShadowAndStopAtTheEnds) {
    rig.Chip().SetRegister(0, 0x50, 0xFF);
    Select(0x50);
    PressKey(grid, Qt::Key_Insert);
    EXPECT_TRUE(rig.trace.Lines().empty());

    PressKey(grid, Qt::Key_Delete);
    EXPECT_EQ(rig.WritesTo(0x50), std::vector<int>{0xFE});
    EXPECT_EQ(CellOf(0x50), "FE");

    rig.Chip().SetRegister(0, 0x51, 0x00);
    Select(0x51);
    PressKey(grid, Qt::Key_Delete);
    EXPECT_TRUE(rig.trace.Lines().empty());
    PressKey(grid, Qt::Key_Insert);
    EXPECT_EQ(rig.WritesTo(0x51), std::vector<int>{0x01});
}

TEST_F(RegisterPageTest, InsertStartsFromTheShadowNotFromTypedText) {
    rig.Chip().SetRegister(0, 0x60, 0x20);
    Select(0x60);
    TypeIntoGrid(*grid, "7F");
    PressKey(grid->Editor(), Qt::Key_Insert);
    EXPECT_EQ(rig.WritesTo(0x60), std::vector<int>{0x21});
    EXPECT_EQ(CellOf(0x60), "21");
}

TEST_F(RegisterPageTest, TextThatIsNoNumberIsRefusedAndNothingIsSent) {
    // Before any selection the current cell is register 0x00, still empty.
    Enter(grid);
    ASSERT_EQ(rig.handlerErrors.size(), 1);
    EXPECT_EQ(rig.handlerErrors[0], "'0x' is not a valid integer value");
    EXPECT_TRUE(rig.trace.Lines().empty());

    rig.Chip().SetRegister(0, 0x70, 0x12);
    Select(0x70);
    TypeIntoGrid(*grid, "G1");
    Enter(grid->Editor());
    EXPECT_EQ(rig.handlerErrors.value(1), "'0xG1' is not a valid integer value");
    EXPECT_TRUE(rig.trace.Lines().empty());
    EXPECT_EQ(page.RegShadow()[0x70], 0x12);
}

TEST_F(RegisterPageTest, ValuesWiderThanAByteKeepTheirLowBits) {
    Select(0x36);
    TypeIntoGrid(*grid, "100");
    Enter(grid->Editor());
    EXPECT_EQ(rig.WritesTo(0x36), std::vector<int>{0x00});
}

// --- Bit boxes ---

TEST_F(RegisterPageTest, ABitBoxReleaseWritesTheWholeByte) {
    rig.Chip().SetRegister(0, 0x40, 0x81);
    Select(0x40);
    ClickAt(Bit(1), Bit(1)->rect().center());

    const auto events = rig.Events();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[1].kind, Event::Write);
    EXPECT_EQ(events[1].reg, 0x40);
    EXPECT_EQ(events[1].value, 0x83);
    EXPECT_EQ(events[2].value, 3);  // the pause before the read-back
    EXPECT_EQ(events[3].reg, 0x40);
    EXPECT_EQ(CellOf(0x40), "83");
    EXPECT_EQ(Label("lblRegAddr"), "Reg 0x40");
    EXPECT_EQ(Label("lblRegData"), "= 0x83");
}

TEST_F(RegisterPageTest, BitBoxesBeforeAnySelectionWriteRegister00) {
    ClickAt(Bit(0), Bit(0)->rect().center());
    EXPECT_EQ(rig.WritesTo(0x00), std::vector<int>{0x01});
    EXPECT_EQ(rig.Chip().SelectedBank(), 1);  // register 0 selects the bank
}

TEST_F(RegisterPageTest, ABitBoxToggledFromTheKeyboardWritesNothing) {
    Select(0x40);
    PressKey(Bit(2), Qt::Key_Space, " ");
    EXPECT_TRUE(Bit(2)->isChecked());
    EXPECT_TRUE(rig.trace.Lines().empty());
}

}  // namespace
}  // namespace gui_test
