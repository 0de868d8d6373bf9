#include "pages/register_page.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "chip/registers.h"
#include "pages/bit_box_row.h"
#include "pages/handler_guard.h"
#include "pages/hex_byte.h"
#include "pages/integer_text.h"
#include "pages/page_fonts.h"
#include "pages/page_keys.h"
#include "pages/string_grid.h"
#include "usb/quorvex_usb.h"

namespace pages {

namespace {

constexpr int kGridSize = 17;
// A write is read back after a pause long enough for the register to settle.
constexpr std::uint32_t kKeyWriteSettleMs = 1;
constexpr std::uint32_t kBitWriteSettleMs = 3;

const QString kReadCaption = QStringLiteral("Read Bank");
const QString kStopCaption = QStringLiteral("Stop");

QLabel* ValueLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(FixedPitchFont(2, true));
    return label;
}

}  // namespace

RegisterPage::RegisterPage(PageContext& context, QWidget* parent)
    : QWidget(parent),
      context_(context),
      btnReadAll_(new QPushButton(kReadCaption, this)),
      grid_(new StringGrid(QStringLiteral("RegStringGrid1"), kGridSize, kGridSize, this)),
      lblRegAddr_(ValueLabel(QStringLiteral("lblRegAddr"), QStringLiteral("Reg 0x00"), this)),
      lblRegData_(ValueLabel(QStringLiteral("lblRegData"), QStringLiteral("= 0x00"), this)),
      bits_(new BitBoxRow(QStringLiteral("Panel2"), QStringLiteral("Label1"),
                          QStringLiteral("chkBit"), this)) {
    setObjectName(QStringLiteral("TabSheet1"));
    setWindowTitle(QStringLiteral("Register"));
    btnReadAll_->setObjectName(QStringLiteral("btnReadAll"));
    grid_->setFont(FixedPitchFont());
    grid_->SetReservedKeys({Qt::Key_Insert, Qt::Key_Delete});
    BuildLayout();

    connect(btnReadAll_, &QPushButton::clicked, this, Guarded([this] { btnReadAllClick(); }));
    connect(grid_, &StringGrid::keyDown, this,
            Guarded([this](int key) { RegStringGridKeyDown(key); }));
    connect(grid_, &StringGrid::selectCell, this,
            Guarded([this](int col, int row) { RegStringGridSelectCell(col, row); }));
    connect(bits_, &BitBoxRow::mouseUp, this, Guarded([this] { chkBit0MouseUp(); }));
}

void RegisterPage::BuildLayout() {
    auto* selected = new QGroupBox(QStringLiteral("Selected register"), this);
    auto* selectedLayout = new QVBoxLayout(selected);
    auto* values = new QHBoxLayout;
    values->addWidget(lblRegAddr_);
    values->addSpacing(12);
    values->addWidget(lblRegData_);
    values->addStretch();
    selectedLayout->addLayout(values);
    selectedLayout->addWidget(bits_);

    auto* keys = new QLabel(
        QStringLiteral("Enter\twrite the typed value\nIns\tstep up by one\nDel\tstep down by one\n"
                       "Bit box\twrite the byte shown"),
        this);
    keys->setEnabled(false);

    auto* side = new QVBoxLayout;
    side->addWidget(btnReadAll_);
    side->addWidget(selected);
    side->addWidget(keys);
    side->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(grid_, 0, Qt::AlignTop);
    layout->addLayout(side);
    layout->addStretch();
}

void RegisterPage::FillGridHeadings() {
    grid_->FillHexHeadings();
}

void RegisterPage::btnReadAllClick() {
    if (!context_.usbLink.IsFound())
        return;
    if (readRunning_) {
        readRunning_ = false;
        btnReadAll_->setText(kReadCaption);
        return;
    }
    // Another table read holds the link open; opening it here would close it under that read.
    if (context_.devicePages.linkLock.IsHeld())
        return;
    ReadBank();
}

void RegisterPage::ReadBank() {
    btnReadAll_->setText(kStopCaption);
    readRunning_ = true;
    {
        LinkLease holdLink(context_.devicePages.linkLock);
        context_.usbLink.OpenDevice();
        for (int i = 0; i <= grid_->RowCount() - 2 && readRunning_; ++i) {
            for (int j = 0; j <= grid_->ColCount() - 2 && readRunning_; ++j) {
                const auto address = static_cast<std::uint8_t>(i * 16 + j);
                ReadIntoShadow(address);
                grid_->SetCell(j + 1, i + 1, HexByte(Shadow(address)));
                // "Stop" and the rest of the window stay usable during the 256 reads.
                QCoreApplication::processEvents();
            }
        }
        context_.usbLink.CloseDevice();
    }
    readRunning_ = false;
    btnReadAll_->setText(kReadCaption);
}

void RegisterPage::RegStringGridKeyDown(int key) {
    if (context_.devicePages.linkLock.IsHeld())
        return;
    const std::uint8_t address = CurrentAddress();
    std::uint8_t& value = Shadow(address);
    if (IsEnterKey(key)) {
        value = static_cast<std::uint8_t>(HexTextToInt(grid_->Cell(grid_->Col(), grid_->Row())));
    } else if (key == Qt::Key_Insert) {
        if (value == 0xFF)
            return;
        ++value;
    } else if (key == Qt::Key_Delete) {
        if (value == 0x00)
            return;
        --value;
    } else {
        return;
    }
    WriteAndReadBack(address, kKeyWriteSettleMs);
    ShowCurrentValue(address);
}

void RegisterPage::RegStringGridSelectCell(int col, int row) {
    if (context_.devicePages.linkLock.IsHeld())
        return;
    const auto address = static_cast<std::uint8_t>((row - 1) * 16 + (col - 1));
    grid_->HighlightHeaders(col, row);
    lblRegAddr_->setText(QStringLiteral("Reg 0x") + HexByte(address));
    context_.usbLink.OpenDevice();
    ReadIntoShadow(address);
    context_.usbLink.CloseDevice();
    grid_->SetCell(col, row, HexByte(Shadow(address)));
    bits_->Show(Shadow(address));
    lblRegData_->setText(QStringLiteral("= 0x") + HexByte(Shadow(address)));
}

void RegisterPage::chkBit0MouseUp() {
    const std::uint8_t address = CurrentAddress();
    if (context_.devicePages.linkLock.IsHeld()) {
        bits_->Show(Shadow(address));  // the click is refused, so the boxes go back
        return;
    }
    Shadow(address) = bits_->Value();
    WriteAndReadBack(address, kBitWriteSettleMs);
    ShowCurrentValue(address);
    ShowLabels(address);
}

std::uint8_t RegisterPage::CurrentAddress() const {
    return static_cast<std::uint8_t>((grid_->Row() - 1) * 16 + (grid_->Col() - 1));
}

std::uint8_t& RegisterPage::Shadow(std::uint8_t address) {
    return regShadow_[currentBank_ * kBankSize + address];
}

void RegisterPage::ReadIntoShadow(std::uint8_t address) {
    // A failed read keeps the value last known rather than showing a guess.
    std::uint8_t value = Shadow(address);
    if (chip::RegRead(context_.usbLink, address, value))
        Shadow(address) = value;
}

void RegisterPage::WriteAndReadBack(std::uint8_t address, std::uint32_t settleMs) {
    context_.usbLink.OpenDevice();
    chip::RegWrite(context_.usbLink, address, Shadow(address));
    context_.usbLink.SleepMs(settleMs);
    ReadIntoShadow(address);
    context_.usbLink.CloseDevice();
}

void RegisterPage::ShowCurrentValue(std::uint8_t address) {
    grid_->SetCell(grid_->Col(), grid_->Row(), HexByte(Shadow(address)));
    bits_->Show(Shadow(address));
}

void RegisterPage::ShowLabels(std::uint8_t address) {
    lblRegAddr_->setText(QStringLiteral("Reg 0x") + HexByte(address));
    lblRegData_->setText(QStringLiteral("= 0x") + HexByte(Shadow(address)));
}

}  // namespace pages
