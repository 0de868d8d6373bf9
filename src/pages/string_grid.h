#pragma once

#include <QLineEdit>
#include <QList>
#include <QString>
#include <QVector>
#include <QWidget>
#include <functional>

namespace pages {

// A table of text cells with one fixed header row and one fixed header column,
// addressed (column, row) like the string grids of classic desktop toolkits.
// The register tables need things a QTableView does not give as such: the
// notification for the cell about to become current, key-down notification
// that also fires while a cell is edited, header cells whose highlight the
// page decides, and cell text that always equals what the in-place editor
// shows, so a value typed but not yet entered is what a key handler reads.
class StringGrid : public QWidget {
    Q_OBJECT

public:
    StringGrid(const QString& objectName, int colCount, int rowCount, QWidget* parent = nullptr);

    int ColCount() const { return colCount_; }
    int RowCount() const { return rowCount_; }

    QString Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text);

    // The current cell; it starts at the first value cell (1, 1).
    int Col() const { return col_; }
    int Row() const { return row_; }
    // Moves the current cell as a click would: selectCell first, then the move.
    void FocusCell(int col, int row);
    // Asked before every move of the current cell; while it says no, the
    // current cell stays where it is and selectCell is not raised.
    void SetSelectionGate(std::function<bool()> gate) { selectionGate_ = std::move(gate); }

    // Header row "00".."0F" across, header column "00".."F0" down: the layout
    // of a 256-byte register table.
    void FillHexHeadings();
    // Draws the header cells of this column and row in silver, all others plain.
    void HighlightHeaders(int col, int row);
    int HighlightedCol() const { return highlightCol_; }
    int HighlightedRow() const { return highlightRow_; }

    // Keys that are only reported through keyDown: the grid neither moves on
    // them nor passes them to the in-place editor.
    void SetReservedKeys(const QList<int>& keys) { reservedKeys_ = keys; }

    bool IsEditing() const { return !editor_->isHidden(); }
    void StartEditing();
    QLineEdit* Editor() const { return editor_; }

    // Where a cell lies, for mouse-driven tests and for the editor.
    QRect CellRect(int col, int row) const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // The cell (col, row) is about to become current; selection is always allowed.
    void selectCell(int col, int row);
    // Every key pressed in the grid or its editor, before either handles it.
    void keyDown(int key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsValueCell(int col, int row) const;
    bool CellAt(const QPoint& pos, int& col, int& row) const;
    void MoveTo(int col, int row, bool keepAnchor);
    bool Navigate(QKeyEvent* event);
    bool HandleEditorKey(QKeyEvent* event);
    void CloseEditor(bool revert);
    void UpdateMetrics();
    void PaintFixedCell(QPainter& painter, int col, int row) const;
    void PaintValueCell(QPainter& painter, int col, int row) const;
    bool InSelection(int col, int row) const;

    int colCount_;
    int rowCount_;
    QVector<QString> cells_;
    int col_ = 1;
    int row_ = 1;
    int anchorCol_ = 1;
    int anchorRow_ = 1;
    int highlightCol_ = -1;
    int highlightRow_ = -1;
    int cellWidth_ = 0;
    int cellHeight_ = 0;
    QList<int> reservedKeys_;
    QLineEdit* editor_;
    QString textBeforeEdit_;
    bool forwardingKey_ = false;
    std::function<bool()> selectionGate_;
};

}  // namespace pages
