#include "pages/string_grid.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <algorithm>

#include "pages/accessible.h"
#include "pages/hex_byte.h"
#include "pages/page_keys.h"

namespace pages {

namespace {

constexpr int kLineWidth = 1;
constexpr int kTextInset = 2;  // header and value texts start this far into their cell
const QColor kHeaderHighlight(0xC0, 0xC0, 0xC0);

}  // namespace

StringGrid::StringGrid(const QString& objectName, int colCount, int rowCount, QWidget* parent)
    : QWidget(parent),
      colCount_(colCount),
      rowCount_(rowCount),
      cells_(static_cast<qsizetype>(colCount) * rowCount),
      editor_(new QLineEdit(this)) {
    setObjectName(objectName);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
    editor_->setObjectName(objectName + QStringLiteral("Editor"));
    editor_->setFrame(false);
    SetAccessibleTexts(editor_, QStringLiteral("Cell value"),
                       QStringLiteral("The value being typed into the current cell"));
    editor_->hide();
    editor_->installEventFilter(this);
    // The cell follows every keystroke, so a value typed but not yet entered
    // is what the key handlers read, as with the classic in-place editor.
    connect(editor_, &QLineEdit::textEdited, this,
            [this](const QString& text) { cells_[row_ * colCount_ + col_] = text; });
    UpdateMetrics();
}

QString StringGrid::Cell(int col, int row) const {
    if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_)
        return QString();
    return cells_[row * colCount_ + col];
}

void StringGrid::SetCell(int col, int row, const QString& text) {
    if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_)
        return;
    cells_[row * colCount_ + col] = text;
    if (IsEditing() && col == col_ && row == row_)
        editor_->setText(text);
    update(CellRect(col, row));
}

void StringGrid::FocusCell(int col, int row) {
    if (IsValueCell(col, row))
        MoveTo(col, row, false);
}

void StringGrid::FillHexHeadings() {
    for (int col = 1; col < colCount_; ++col)
        SetCell(col, 0, HexByte(col - 1));
    for (int row = 1; row < rowCount_; ++row)
        SetCell(0, row, HexByte((row - 1) * 16));
}

void StringGrid::HighlightHeaders(int col, int row) {
    highlightCol_ = col;
    highlightRow_ = row;
    update();
}

void StringGrid::StartEditing() {
    if (!IsValueCell(col_, row_))
        return;
    textBeforeEdit_ = Cell(col_, row_);
    editor_->setText(textBeforeEdit_);
    editor_->setGeometry(CellRect(col_, row_));
    editor_->show();
    editor_->setFocus();
    editor_->end(false);
}

QRect StringGrid::CellRect(int col, int row) const {
    return QRect(kLineWidth + col * (cellWidth_ + kLineWidth),
                 kLineWidth + row * (cellHeight_ + kLineWidth), cellWidth_, cellHeight_);
}

QSize StringGrid::sizeHint() const {
    return QSize(kLineWidth + colCount_ * (cellWidth_ + kLineWidth),
                 kLineWidth + rowCount_ * (cellHeight_ + kLineWidth));
}

bool StringGrid::IsValueCell(int col, int row) const {
    return col >= 1 && col < colCount_ && row >= 1 && row < rowCount_;
}

bool StringGrid::CellAt(const QPoint& pos, int& col, int& row) const {
    col = (pos.x() - kLineWidth) / (cellWidth_ + kLineWidth);
    row = (pos.y() - kLineWidth) / (cellHeight_ + kLineWidth);
    return pos.x() >= kLineWidth && pos.y() >= kLineWidth && IsValueCell(col, row);
}

void StringGrid::MoveTo(int col, int row, bool keepAnchor) {
    if (selectionGate_ && !selectionGate_())
        return;
    if (col != col_ || row != row_) {
        CloseEditor(false);
        emit selectCell(col, row);
        col_ = col;
        row_ = row;
    }
    if (!keepAnchor) {
        anchorCol_ = col;
        anchorRow_ = row;
    }
    update();
}

bool StringGrid::Navigate(QKeyEvent* event) {
    const bool extend = (event->modifiers() & Qt::ShiftModifier) != 0;
    const bool whole = (event->modifiers() & Qt::ControlModifier) != 0;
    const int lastCol = colCount_ - 1;
    const int lastRow = rowCount_ - 1;
    int col = col_;
    int row = row_;
    switch (event->key()) {
        case Qt::Key_Left:
            col = std::max(1, col - 1);
            break;
        case Qt::Key_Right:
            col = std::min(lastCol, col + 1);
            break;
        case Qt::Key_Up:
            row = std::max(1, row - 1);
            break;
        case Qt::Key_Down:
            row = std::min(lastRow, row + 1);
            break;
        case Qt::Key_PageUp:
            row = 1;
            break;
        case Qt::Key_PageDown:
            row = lastRow;
            break;
        case Qt::Key_Home:
            col = 1;
            row = whole ? 1 : row;
            break;
        case Qt::Key_End:
            col = lastCol;
            row = whole ? lastRow : row;
            break;
        default:
            return false;
    }
    MoveTo(col, row, extend);
    event->accept();
    return true;
}

void StringGrid::keyPressEvent(QKeyEvent* event) {
    emit keyDown(event->key());
    if (reservedKeys_.contains(event->key())) {
        event->accept();
        return;
    }
    if (Navigate(event))
        return;
    if (event->key() == Qt::Key_F2) {
        StartEditing();
        return;
    }
    // Enter belongs to the page's key handler; it must not reach a default button.
    if (IsEnterKey(event->key())) {
        event->accept();
        return;
    }
    const QString text = event->text();
    const bool plain = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
    if (plain && !text.isEmpty() && text.at(0).isPrint()) {
        // A typed character opens the editor and replaces the cell's text.
        StartEditing();
        editor_->selectAll();
        forwardingKey_ = true;
        QApplication::sendEvent(editor_, event);
        forwardingKey_ = false;
        return;
    }
    QWidget::keyPressEvent(event);
}

bool StringGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_ && event->type() == QEvent::KeyPress && !forwardingKey_) {
        return HandleEditorKey(static_cast<QKeyEvent*>(event));
    }
    return QWidget::eventFilter(watched, event);
}

bool StringGrid::HandleEditorKey(QKeyEvent* event) {
    const int key = event->key();
    emit keyDown(key);
    if (reservedKeys_.contains(key))
        return true;
    if (IsEnterKey(key) || key == Qt::Key_Escape) {
        CloseEditor(key == Qt::Key_Escape);
        return true;
    }
    // Left and right stay inside the text; the vertical moves leave the cell.
    if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
        key == Qt::Key_PageDown) {
        CloseEditor(false);
        return Navigate(event);
    }
    return false;
}

void StringGrid::CloseEditor(bool revert) {
    if (!IsEditing())
        return;
    if (revert)
        cells_[row_ * colCount_ + col_] = textBeforeEdit_;
    const bool hadFocus = editor_->hasFocus();
    editor_->hide();
    if (hadFocus)
        setFocus();
    update();
}

void StringGrid::mousePressEvent(QMouseEvent* event) {
    setFocus();
    int col = 0;
    int row = 0;
    if (!CellAt(event->position().toPoint(), col, row))
        return;
    const bool extend = (event->modifiers() & Qt::ShiftModifier) != 0;
    MoveTo(col, row, extend && event->button() == Qt::LeftButton);
}

void StringGrid::mouseMoveEvent(QMouseEvent* event) {
    int col = 0;
    int row = 0;
    if ((event->buttons() & Qt::LeftButton) && CellAt(event->position().toPoint(), col, row)) {
        MoveTo(col, row, true);
    }
}

void StringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    int col = 0;
    int row = 0;
    if (CellAt(event->position().toPoint(), col, row) && col == col_ && row == row_)
        StartEditing();
}

void StringGrid::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void StringGrid::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void StringGrid::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        UpdateMetrics();
}

void StringGrid::UpdateMetrics() {
    const QFontMetrics metrics(font());
    cellWidth_ = std::max(metrics.horizontalAdvance(QStringLiteral("00")) + 3 * kTextInset + 4, 24);
    cellHeight_ = metrics.height() + 2 * kTextInset;
    editor_->setFont(font());
    if (IsEditing())
        editor_->setGeometry(CellRect(col_, row_));
    setFixedSize(sizeHint());
    updateGeometry();
}

bool StringGrid::InSelection(int col, int row) const {
    return col >= std::min(col_, anchorCol_) && col <= std::max(col_, anchorCol_) &&
           row >= std::min(row_, anchorRow_) && row <= std::max(row_, anchorRow_);
}

void StringGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Mid));
    for (int row = 0; row < rowCount_; ++row) {
        for (int col = 0; col < colCount_; ++col) {
            if (!event->rect().intersects(CellRect(col, row)))
                continue;
            if (col == 0 || row == 0) {
                PaintFixedCell(painter, col, row);
            } else {
                PaintValueCell(painter, col, row);
            }
        }
    }
}

void StringGrid::PaintFixedCell(QPainter& painter, int col, int row) const {
    const QRect cell = CellRect(col, row);
    const bool lit = (col == 0 && row != 0 && row == highlightRow_) ||
                     (row == 0 && col != 0 && col == highlightCol_);
    painter.fillRect(cell, lit ? kHeaderHighlight : palette().color(QPalette::Button));
    // A raised bevel, so the headers read as headers and not as values.
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(cell.topLeft(), cell.topRight());
    painter.drawLine(cell.topLeft(), cell.bottomLeft());
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(cell.bottomLeft(), cell.bottomRight());
    painter.drawLine(cell.topRight(), cell.bottomRight());
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(cell.adjusted(kTextInset, kTextInset, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     Cell(col, row));
}

void StringGrid::PaintValueCell(QPainter& painter, int col, int row) const {
    const QRect cell = CellRect(col, row);
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    const bool selected = InSelection(col, row);
    painter.fillRect(cell, palette().color(group, selected ? QPalette::Highlight : QPalette::Base));
    painter.setPen(palette().color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter.drawText(cell.adjusted(kTextInset + 2, kTextInset, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     Cell(col, row));
    if (col == col_ && row == row_ && hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = cell;
        option.backgroundColor = palette().color(QPalette::Highlight);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

}  // namespace pages
