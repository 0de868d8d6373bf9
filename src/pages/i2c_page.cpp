#include "pages/i2c_page.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "chip/i2c_commands.h"
#include "pages/bit_box_row.h"
#include "pages/handler_guard.h"
#include "pages/hex_byte.h"
#include "pages/integer_text.h"
#include "pages/labeled_edit.h"
#include "pages/page_fonts.h"
#include "pages/page_keys.h"
#include "pages/string_grid.h"
#include "usb/quorvex_usb.h"

namespace pages {

namespace {

constexpr int kGridSize = 17;
// A bus device may need its internal write cycle before it reads back the new
// value; a bit change waits longer since it usually reaches a control register.
constexpr std::uint32_t kKeyWriteSettleMs = 1;
constexpr std::uint32_t kBitWriteSettleMs = 30;

const QString kReadCaption = QStringLiteral("Read");
const QString kStopCaption = QStringLiteral("Stop");

QLabel* NamedLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QLabel* ValueLabel(const QString& name, const QString& text, QWidget* parent) {
    QLabel* label = NamedLabel(name, text, parent);
    label->setFont(FixedPitchFont(2, true));
    return label;
}

}  // namespace

I2cPage::I2cPage(PageContext& context, QWidget* parent)
    : QWidget(parent),
      context_(context),
      btnReadMI2C_(new QPushButton(kReadCaption, this)),
      edtMI2CAddr_(new QLineEdit(QStringLiteral("20"), this)),
      grid_(new StringGrid(QStringLiteral("StringGridMIIC"), kGridSize, kGridSize, this)),
      lblMI2CRegAddr_(
          ValueLabel(QStringLiteral("lblMI2CRegAddr"), QStringLiteral("Reg 0x00"), this)),
      lblMI2CRegData_(ValueLabel(QStringLiteral("lblMI2CRegData"), QStringLiteral("= 0x00"), this)),
      bits_(new BitBoxRow(QStringLiteral("Panel3"), QStringLiteral("Label3"),
                          QStringLiteral("chkMI2CBit"), this)) {
    setObjectName(QStringLiteral("PageMI2CCtrl"));
    setWindowTitle(QStringLiteral("I2C Access"));
    btnReadMI2C_->setObjectName(QStringLiteral("btnReadMI2C"));
    edtMI2CAddr_->setObjectName(QStringLiteral("edtMI2CAddr"));
    grid_->setFont(FixedPitchFont());
    grid_->SetReservedKeys({Qt::Key_Insert, Qt::Key_Delete});
    BuildLayout();

    auto* addressKeys = new KeyDownFilter(edtMI2CAddr_);
    connect(addressKeys, &KeyDownFilter::keyDown, this,
            Guarded([this](int key) { edtMI2CAddrKeyDown(key); }));
    connect(btnReadMI2C_, &QPushButton::clicked, this, Guarded([this] { btnReadMI2CClick(); }));
    connect(grid_, &StringGrid::keyDown, this,
            Guarded([this](int key) { StringGridMIICKeyDown(key); }));
    connect(grid_, &StringGrid::selectCell, this,
            Guarded([this](int col, int row) { StringGridMIICSelectCell(col, row); }));
    connect(bits_, &BitBoxRow::mouseUp, this, Guarded([this] { chkMI2CBitMouseUp(); }));
}

QWidget* I2cPage::BuildAddressRow() {
    auto* device = new QGroupBox(QStringLiteral("I2C device"), this);
    edtMI2CAddr_->setFont(FixedPitchFont());
    edtMI2CAddr_->setFixedWidth(QFontMetrics(edtMI2CAddr_->font()).horizontalAdvance("0000") + 12);
    auto* row = new QHBoxLayout(device);
    row->addWidget(NamedLabel(QStringLiteral("Label6"), QStringLiteral("Slave Address: 0x"), this));
    row->addWidget(edtMI2CAddr_);
    QLabel* hint = NamedLabel(QStringLiteral("Label15"), QStringLiteral("(enter)"), this);
    row->addWidget(hint);
    row->addStretch();
    return device;
}

void I2cPage::BuildLayout() {
    auto* selected = new QGroupBox(QStringLiteral("Selected register"), this);
    auto* selectedLayout = new QVBoxLayout(selected);
    auto* values = new QHBoxLayout;
    values->addWidget(lblMI2CRegAddr_);
    values->addSpacing(12);
    values->addWidget(lblMI2CRegData_);
    values->addStretch();
    selectedLayout->addLayout(values);
    selectedLayout->addWidget(bits_);

    auto* keys = new QLabel(
        QStringLiteral("Enter\twrite the typed value\nIns\tstep up by one\nDel\tstep down by one\n"
                       "Bit box\twrite the byte shown"),
        this);
    keys->setEnabled(false);

    auto* side = new QVBoxLayout;
    side->addWidget(BuildAddressRow());
    side->addWidget(btnReadMI2C_);
    side->addWidget(selected);
    side->addWidget(keys);
    side->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(grid_, 0, Qt::AlignTop);
    layout->addLayout(side);
    layout->addStretch();
}

void I2cPage::FillGridHeadings() {
    grid_->FillHexHeadings();
}

void I2cPage::ShowSlaveAddress(std::uint8_t address) {
    edtMI2CAddr_->setText(HexByte(address));
}

void I2cPage::edtMI2CAddrKeyDown(int key) {
    if (!IsEnterKey(key))
        return;
    context_.devicePages.i2cSlaveAddr =
        static_cast<std::uint8_t>(HexTextToInt(edtMI2CAddr_->text()));
    ShowSlaveAddress(context_.devicePages.i2cSlaveAddr);
}

void I2cPage::btnReadMI2CClick() {
    if (!context_.usbLink.IsFound())
        return;
    if (readRunning_) {
        readRunning_ = false;
        btnReadMI2C_->setText(kReadCaption);
        return;
    }
    // Another table read holds the link open; opening it here would close it under that read.
    if (context_.devicePages.linkLock.IsHeld())
        return;
    ReadTable();
}

void I2cPage::ReadTable() {
    btnReadMI2C_->setText(kStopCaption);
    readRunning_ = true;
    LinkLease holdLink(context_.devicePages.linkLock);
    context_.usbLink.OpenDevice();
    for (int i = 0; i <= grid_->RowCount() - 2 && readRunning_; ++i) {
        for (int j = 0; j <= grid_->ColCount() - 2 && readRunning_; ++j) {
            const auto reg = static_cast<std::uint8_t>(i * 16 + j);
            ReadIntoShadow(reg);
            grid_->SetCell(j + 1, i + 1, HexByte(i2cShadow_[reg]));
            // "Stop" and the rest of the window stay usable during the 256 reads.
            QCoreApplication::processEvents();
        }
    }
    readRunning_ = false;
    btnReadMI2C_->setText(kReadCaption);
    context_.usbLink.CloseDevice();
}

void I2cPage::StringGridMIICKeyDown(int key) {
    if (context_.devicePages.linkLock.IsHeld())
        return;
    const std::uint8_t reg = CurrentRegister();
    std::uint8_t& value = i2cShadow_[reg];
    // All three keys start from what the cell shows, a value typed but not yet entered included.
    if (IsEnterKey(key)) {
        TakeCellIntoShadow(reg);
    } else if (key == Qt::Key_Insert) {
        TakeCellIntoShadow(reg);
        if (value == 0xFF)
            return;
        ++value;
    } else if (key == Qt::Key_Delete) {
        TakeCellIntoShadow(reg);
        if (value == 0x00)
            return;
        --value;
    } else {
        return;
    }
    WriteAndReadBack(reg, kKeyWriteSettleMs);
    ShowCurrentValue(reg);
}

void I2cPage::StringGridMIICSelectCell(int col, int row) {
    if (context_.devicePages.linkLock.IsHeld())
        return;
    const auto reg = static_cast<std::uint8_t>((row - 1) * 16 + (col - 1));
    grid_->HighlightHeaders(col, row);
    lblMI2CRegAddr_->setText(QStringLiteral("Reg 0x") + HexByte(reg));
    context_.usbLink.OpenDevice();
    ReadIntoShadow(reg);
    context_.usbLink.CloseDevice();
    grid_->SetCell(col, row, HexByte(i2cShadow_[reg]));
    bits_->Show(i2cShadow_[reg]);
    lblMI2CRegData_->setText(QStringLiteral("= 0x") + HexByte(i2cShadow_[reg]));
}

void I2cPage::chkMI2CBitMouseUp() {
    const std::uint8_t reg = CurrentRegister();
    if (context_.devicePages.linkLock.IsHeld()) {
        bits_->Show(i2cShadow_[reg]);  // the click is refused, so the boxes go back
        return;
    }
    i2cShadow_[reg] = bits_->Value();
    WriteAndReadBack(reg, kBitWriteSettleMs);
    ShowCurrentValue(reg);
    lblMI2CRegAddr_->setText(QStringLiteral("Reg 0x") + HexByte(reg));
    lblMI2CRegData_->setText(QStringLiteral("= 0x") + HexByte(i2cShadow_[reg]));
}

std::uint8_t I2cPage::CurrentRegister() const {
    return static_cast<std::uint8_t>((grid_->Row() - 1) * 16 + (grid_->Col() - 1));
}

void I2cPage::TakeCellIntoShadow(std::uint8_t reg) {
    i2cShadow_[reg] =
        static_cast<std::uint8_t>(HexTextToInt(grid_->Cell(grid_->Col(), grid_->Row())));
}

void I2cPage::ReadIntoShadow(std::uint8_t reg) {
    // A device that does not answer leaves the value last known.
    std::uint8_t value = i2cShadow_[reg];
    if (chip::I2cRead(context_.usbLink, context_.devicePages.i2cSlaveAddr, reg, 1, &value)) {
        i2cShadow_[reg] = value;
    }
}

void I2cPage::WriteAndReadBack(std::uint8_t reg, std::uint32_t settleMs) {
    context_.usbLink.OpenDevice();
    chip::I2cWrite(context_.usbLink, context_.devicePages.i2cSlaveAddr, reg, 1, &i2cShadow_[reg]);
    context_.usbLink.SleepMs(settleMs);
    ReadIntoShadow(reg);
    context_.usbLink.CloseDevice();
}

void I2cPage::ShowCurrentValue(std::uint8_t reg) {
    grid_->SetCell(grid_->Col(), grid_->Row(), HexByte(i2cShadow_[reg]));
    bits_->Show(i2cShadow_[reg]);
}

}  // namespace pages
