#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <cstdint>

#include "pages/page_context.h"

namespace pages {

class BitBoxRow;
class StringGrid;

// The "I2C Access" page: the 256 registers of one device on the chip's I2C
// bus as a 16 x 16 table, read whole or cell by cell and written by value, by
// a step up or down, or bit by bit, each write read back from the device.
class I2cPage : public QWidget {
    Q_OBJECT

public:
    explicit I2cPage(PageContext& context, QWidget* parent = nullptr);

    // Start-up: the hexadecimal row and column headings of the table.
    void FillGridHeadings();
    // Shows a slave address taken over elsewhere (the special I2C group).
    void ShowSlaveAddress(std::uint8_t address);

    // Handlers.
    void edtMI2CAddrKeyDown(int key);
    void btnReadMI2CClick();
    void StringGridMIICKeyDown(int key);
    void StringGridMIICSelectCell(int col, int row);
    void chkMI2CBitMouseUp();

    bool ReadRunning() const { return readRunning_; }
    const std::array<std::uint8_t, 256>& I2cShadow() const { return i2cShadow_; }

private:
    QWidget* BuildAddressRow();
    void BuildLayout();
    void ReadTable();
    std::uint8_t CurrentRegister() const;
    void TakeCellIntoShadow(std::uint8_t reg);
    void ReadIntoShadow(std::uint8_t reg);
    void WriteAndReadBack(std::uint8_t reg, std::uint32_t settleMs);
    void ShowCurrentValue(std::uint8_t reg);

    PageContext& context_;
    std::array<std::uint8_t, 256> i2cShadow_{};
    bool readRunning_ = false;

    QPushButton* btnReadMI2C_;
    QLineEdit* edtMI2CAddr_;
    StringGrid* grid_;
    QLabel* lblMI2CRegAddr_;
    QLabel* lblMI2CRegData_;
    BitBoxRow* bits_;
};

}  // namespace pages
