#include <gtest/gtest.h>

#include <QImage>
#include <utility>
#include <vector>

#include "page_test_rig.h"
#include "pages/string_grid.h"

namespace gui_test {
namespace {

// The grid alone, recording its notifications: each selection together with
// the cell that was current while it was announced.
class StringGridTest : public ::testing::Test {
protected:
    StringGridTest() {
        grid.FillHexHeadings();
        grid.show();
        QObject::connect(&grid, &pages::StringGrid::selectCell, [this](int col, int row) {
            selections.push_back({col, row});
            currentWhileSelecting.push_back({grid.Col(), grid.Row()});
        });
        QObject::connect(&grid, &pages::StringGrid::keyDown,
                         [this](int key) { keys.push_back(key); });
    }

    pages::StringGrid grid{"TestGrid", 17, 17};
    std::vector<std::pair<int, int>> selections;
    std::vector<std::pair<int, int>> currentWhileSelecting;
    std::vector<int> keys;
};

TEST_F(StringGridTest, ShowsAllCellsWithoutScrollBars) {
    const QRect last = grid.CellRect(16, 16);
    EXPECT_TRUE(grid.rect().contains(last));
    EXPECT_EQ(grid.size(), grid.sizeHint());
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Cell(1, 0), "00");
    EXPECT_EQ(grid.Cell(16, 0), "0F");
    EXPECT_EQ(grid.Cell(0, 16), "F0");
}

TEST_F(StringGridTest, SelectionIsAnnouncedBeforeTheCellBecomesCurrent) {
    ClickAt(&grid, grid.CellRect(4, 2).center());
    PressKey(&grid, Qt::Key_Down);
    PressKey(&grid, Qt::Key_Left);
    EXPECT_EQ(selections, (std::vector<std::pair<int, int>>{{4, 2}, {4, 3}, {3, 3}}));
    EXPECT_EQ(currentWhileSelecting, (std::vector<std::pair<int, int>>{{1, 1}, {4, 2}, {4, 3}}));
    EXPECT_EQ(grid.Col(), 3);
    EXPECT_EQ(grid.Row(), 3);
}

TEST_F(StringGridTest, HeaderCellsAndEdgesDoNotMoveTheCurrentCell) {
    ClickAt(&grid, grid.CellRect(0, 5).center());
    ClickAt(&grid, grid.CellRect(5, 0).center());
    PressKey(&grid, Qt::Key_Up);
    PressKey(&grid, Qt::Key_Left);
    ClickAt(&grid, grid.CellRect(1, 1).center());  // already current
    EXPECT_TRUE(selections.empty());
    PressKey(&grid, Qt::Key_End, QString(), Qt::ControlModifier);
    EXPECT_EQ(selections, (std::vector<std::pair<int, int>>{{16, 16}}));
}

TEST_F(StringGridTest, TypingEditsTheCellAndEnterOrEscapeEndsTheEdit) {
    grid.SetCell(2, 1, "AB");
    grid.FocusCell(2, 1);
    TypeIntoGrid(grid, "7F");
    EXPECT_TRUE(grid.IsEditing());
    EXPECT_EQ(grid.Cell(2, 1), "7F");  // the cell follows every keystroke
    PressKey(grid.Editor(), Qt::Key_Return, "\r");
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_EQ(grid.Cell(2, 1), "7F");

    TypeIntoGrid(grid, "12");
    PressKey(grid.Editor(), Qt::Key_Escape);
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_EQ(grid.Cell(2, 1), "7F");
}

TEST_F(StringGridTest, KeysAreReportedAlsoWhileEditing) {
    grid.SetReservedKeys({Qt::Key_Delete});
    DoubleClickAt(&grid, grid.CellRect(1, 1).center());
    ASSERT_TRUE(grid.IsEditing());
    grid.Editor()->setText("55");
    PressKey(grid.Editor(), Qt::Key_Delete);
    PressKey(grid.Editor(), Qt::Key_Return, "\r");
    EXPECT_EQ(keys, (std::vector<int>{Qt::Key_Delete, Qt::Key_Return}));
    EXPECT_EQ(grid.Editor()->text(), "55");  // a reserved key does not reach the text
}

TEST_F(StringGridTest, SettingTheEditedCellUpdatesTheEditor) {
    grid.StartEditing();
    grid.SetCell(1, 1, "FE");
    EXPECT_EQ(grid.Editor()->text(), "FE");
}

TEST_F(StringGridTest, MovingAwayEndsTheEditAndKeepsTheText) {
    TypeIntoGrid(grid, "3C");
    PressKey(grid.Editor(), Qt::Key_Down);
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_EQ(grid.Cell(1, 1), "3C");
    EXPECT_EQ(grid.Row(), 2);
}

TEST_F(StringGridTest, HighlightedHeadersArePaintedSilver) {
    grid.HighlightHeaders(3, 5);
    const QImage image = grid.grab().toImage();
    // Sample just inside the bevel, below the text.
    const QPoint inside(grid.CellRect(3, 0).left() + 1, grid.CellRect(3, 0).bottom() - 1);
    EXPECT_EQ(image.pixelColor(inside), QColor(0xC0, 0xC0, 0xC0));
    const QPoint row(grid.CellRect(0, 5).left() + 1, grid.CellRect(0, 5).bottom() - 1);
    EXPECT_EQ(image.pixelColor(row), QColor(0xC0, 0xC0, 0xC0));
    const QPoint plain(grid.CellRect(4, 0).left() + 1, grid.CellRect(4, 0).bottom() - 1);
    EXPECT_NE(image.pixelColor(plain), QColor(0xC0, 0xC0, 0xC0));
}

}  // namespace
}  // namespace gui_test
