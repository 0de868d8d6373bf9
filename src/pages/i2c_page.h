#pragma once

#include <QLineEdit>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>

#include "pages/byte_table_page.h"

namespace pages {

// The "I2C Access" page: the 256 registers of one device on the chip's I2C
// bus, at the slave address the page and the special I2C group share.
class I2cPage : public ByteTablePage {
    Q_OBJECT

public:
    explicit I2cPage(PageContext& context, QWidget* parent = nullptr);

    // Makes a typed address the shared slave address and shows it here; the
    // special I2C group takes its address over the same way.
    void TakeSlaveAddress(const QString& text);

    void edtMI2CAddrKeyDown(int key);
    void btnReadMI2CClick();
    void StringGridMIICKeyDown(int key);
    void StringGridMIICSelectCell(int col, int row);
    void chkMI2CBitMouseUp();

    const std::array<std::uint8_t, 256>& I2cShadow() const { return i2cShadow_; }

private:
    QWidget* BuildAddressRow();
    void PrepareAccess() override;
    bool ReadRegister(std::uint8_t reg, std::uint8_t& value) override;
    bool WriteRegister(std::uint8_t reg, std::uint8_t value) override;
    std::uint8_t& Shadow(std::uint8_t reg) override { return i2cShadow_[reg]; }

    std::array<std::uint8_t, 256> i2cShadow_{};
    QLineEdit* edtMI2CAddr_;
};

}  // namespace pages
