#include "pages/i2c_page.h"

#include <QGroupBox>
#include <QHBoxLayout>

#include "chip/i2c_commands.h"
#include "chip/registers.h"
#include "pages/accessible.h"
#include "pages/handler_guard.h"
#include "pages/hex_byte.h"
#include "pages/integer_text.h"
#include "pages/labeled_edit.h"
#include "pages/named_widgets.h"
#include "pages/page_fonts.h"
#include "pages/page_keys.h"

namespace pages {

namespace {

ByteTableSetup I2cTableSetup() {
    return {
        .pageName = QStringLiteral("PageMI2CCtrl"),
        .title = QStringLiteral("I2C Access"),
        .gridName = QStringLiteral("StringGridMIIC"),
        .readButtonName = QStringLiteral("btnReadMI2C"),
        .readCaption = QStringLiteral("Read"),
        .addressLabelName = QStringLiteral("lblMI2CRegAddr"),
        .dataLabelName = QStringLiteral("lblMI2CRegData"),
        .bitPanelName = QStringLiteral("Panel3"),
        .bitNumbersName = QStringLiteral("Label3"),
        .bitBoxPrefix = QStringLiteral("chkMI2CBit"),
        .statusLabelName = QStringLiteral("lblMI2CStatus"),
        // A bus device may need its internal write cycle before it reads back the new value.
        .bitWriteSettleMs = 30,
        .stepFrom = ByteTableSetup::StepFrom::CellText,
        .closeLinkAfterCaption = true,
    };
}

}  // namespace

I2cPage::I2cPage(PageContext& context, QWidget* parent)
    : ByteTablePage(context, I2cTableSetup(), parent),
      edtMI2CAddr_(Named<QLineEdit>(QStringLiteral("edtMI2CAddr"), QStringLiteral("20"), this)) {
    SetAccessibleTexts(edtMI2CAddr_, QStringLiteral("Slave Address"),
                       QStringLiteral("Hexadecimal address of the I2C device whose registers "
                                      "the table shows"));
    AddAboveReadButton(BuildAddressRow());
    ConnectHandlers({.readClick = [this] { btnReadMI2CClick(); },
                     .keyDown = [this](int key) { StringGridMIICKeyDown(key); },
                     .selectCell = [this](int col, int row) { StringGridMIICSelectCell(col, row); },
                     .bitBoxMouseUp = [this] { chkMI2CBitMouseUp(); }});
    auto* addressKeys = new KeyDownFilter(edtMI2CAddr_);
    connect(addressKeys, &KeyDownFilter::keyDown, this,
            Guarded([this](int key) { edtMI2CAddrKeyDown(key); }));
}

QWidget* I2cPage::BuildAddressRow() {
    auto* device = new QGroupBox(QStringLiteral("I2C device"), this);
    FitFixedPitch(*edtMI2CAddr_, 4);
    auto* row = new QHBoxLayout(device);
    row->addWidget(NamedLabel(QStringLiteral("Label6"), QStringLiteral("Slave Address: 0x"), this));
    row->addWidget(edtMI2CAddr_);
    row->addWidget(NamedLabel(QStringLiteral("Label15"), QStringLiteral("(enter)"), this));
    row->addStretch();
    return device;
}

void I2cPage::TakeSlaveAddress(const QString& text) {
    context_.devicePages.i2cSlaveAddr = static_cast<std::uint8_t>(HexTextToInt(text));
    edtMI2CAddr_->setText(HexByte(context_.devicePages.i2cSlaveAddr));
}

void I2cPage::edtMI2CAddrKeyDown(int key) {
    if (IsEnterKey(key))
        TakeSlaveAddress(edtMI2CAddr_->text());
}

void I2cPage::btnReadMI2CClick() {
    ReadTableClick();
}

void I2cPage::StringGridMIICKeyDown(int key) {
    TableKeyDown(key);
}

void I2cPage::StringGridMIICSelectCell(int col, int row) {
    TableSelectCell(col, row);
}

void I2cPage::chkMI2CBitMouseUp() {
    BitBoxMouseUp();
}

// The register page, the parameter mailbox, the status update and the ISP
// commands all select other banks, and a page change that found the link
// held could not set the master up: every access makes sure of it itself.
void I2cPage::PrepareAccess() {
    chip::I2cPrepare(context_.usbLink);
}

bool I2cPage::ReadRegister(std::uint8_t reg, std::uint8_t& value) {
    return chip::I2cRead(context_.usbLink, context_.devicePages.i2cSlaveAddr, reg, 1, &value);
}

bool I2cPage::WriteRegister(std::uint8_t reg, std::uint8_t value) {
    return chip::I2cWrite(context_.usbLink, context_.devicePages.i2cSlaveAddr, reg, 1, &value);
}

}  // namespace pages
