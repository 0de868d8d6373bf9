#pragma once

#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "pages/page_context.h"

namespace pages {

class BitBoxRow;
class StringGrid;

// Where the register page and the I2C page part ways; the rest of their
// behaviour is one.
struct ByteTableSetup {
    QString pageName;
    QString title;
    QString gridName;
    QString readButtonName;
    QString readCaption;
    QString addressLabelName;
    QString dataLabelName;
    QString bitPanelName;
    QString bitNumbersName;
    QString bitBoxPrefix;
    QString statusLabelName;  // the line that says how the last exchange ended
    // A bit change usually reaches a control register, which may need longer
    // to settle than a plain value before it reads back.
    std::uint32_t bitWriteSettleMs = 0;
    // Insert and Delete step from the shadow, so a typed value counts only with
    // Enter, or from what the cell shows, a value typed but not entered included.
    enum class StepFrom { Shadow, CellText };
    StepFrom stepFrom = StepFrom::Shadow;
    // The table read closes the link after "Read" is back on the button
    // instead of before it.
    bool closeLinkAfterCaption = false;
};

// The handlers a page names for its table; each runs under the handler guard.
struct ByteTableHandlers {
    std::function<void()> readClick;
    std::function<void(int key)> keyDown;
    std::function<void(int col, int row)> selectCell;
    std::function<void()> bitBoxMouseUp;
};

// A page that shows 256 one-byte registers as a 16 x 16 table, with the
// selected register's address, value and bits beside it. It reads the whole
// table (with "Stop" while that runs), reads a register when its cell is
// selected, and writes one on Enter, Insert, Delete or a bit-box click, always
// reading it back so the table shows what the device answered. A page gives
// the read and the write of one register and the shadow of its values.
class ByteTablePage : public QWidget {
    Q_OBJECT

public:
    // Start-up: the hexadecimal row and column headings of the table.
    void FillGridHeadings();
    bool ReadRunning() const { return readRunning_; }

protected:
    ByteTablePage(PageContext& context, ByteTableSetup setup, QWidget* parent);

    // Runs right after every opening of the link, before the first register
    // access: whatever else used the chip in between may have left it set up
    // for something else.
    virtual void PrepareAccess() {}
    // One register over the link, which the caller has opened and prepared.
    virtual bool ReadRegister(std::uint8_t reg, std::uint8_t& value) = 0;
    virtual bool WriteRegister(std::uint8_t reg, std::uint8_t value) = 0;
    // The value last read from or written to a register.
    virtual std::uint8_t& Shadow(std::uint8_t reg) = 0;

    void ConnectHandlers(const ByteTableHandlers& handlers);
    // For controls of the page's own, above the read button.
    void AddAboveReadButton(QWidget* widget);

    // Each page's named handlers pass on to these, so the two tables behave as one.
    void ReadTableClick();
    void TableKeyDown(int key);
    void TableSelectCell(int col, int row);
    void BitBoxMouseUp();

    PageContext& context_;

private:
    void BuildLayout();
    bool ReadOnOpenDevice(std::uint8_t reg);
    void ReadTable();
    std::uint8_t CurrentRegister() const;
    bool ReadIntoShadow(std::uint8_t reg);
    void WriteAndReadBack(std::uint8_t reg, std::uint32_t settleMs);
    void ShowOutcome(const QString& text);
    void ShowCurrentValue(std::uint8_t reg);
    void ShowLabels(std::uint8_t reg);

    const ByteTableSetup setup_;
    bool readRunning_ = false;

    QPushButton* readButton_;
    StringGrid* grid_;
    QLabel* addressLabel_;
    QLabel* dataLabel_;
    BitBoxRow* bits_;
    QLabel* statusLabel_;
    QVBoxLayout* side_ = nullptr;
};

}  // namespace pages
