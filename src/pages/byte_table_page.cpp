#include "pages/byte_table_page.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <optional>
#include <utility>

#include "pages/accessible.h"
#include "pages/bit_box_row.h"
#include "pages/handler_guard.h"
#include "pages/hex_byte.h"
#include "pages/integer_text.h"
#include "pages/named_widgets.h"
#include "pages/page_fonts.h"
#include "pages/page_keys.h"
#include "pages/string_grid.h"
#include "product/run_state.h"
#include "usb/open_scope.h"
#include "usb/quorvex_usb.h"

namespace pages {

namespace {

constexpr int kGridSize = 17;
constexpr int kValuePoints = 11;
// A typed value is read back after a pause long enough for the register to settle.
constexpr std::uint32_t kKeyWriteSettleMs = 1;

const QString kStopCaption = QStringLiteral("Stop");
const QString kReadDone = QStringLiteral("Read from the device");
const QString kWritten = QStringLiteral("Written");
const QString kNoAnswer = QStringLiteral("The device did not answer: nothing was changed");

QLabel* ValueLabel(const QString& name, const QString& text, QWidget* parent) {
    QLabel* label = NamedLabel(name, text, parent);
    label->setFont(FixedPitchFont(kValuePoints, true));
    return label;
}

std::uint8_t RegisterAt(int col, int row) {
    return static_cast<std::uint8_t>((row - 1) * 16 + (col - 1));
}

}  // namespace

ByteTablePage::ByteTablePage(PageContext& context, ByteTableSetup setup, QWidget* parent)
    : QWidget(parent),
      context_(context),
      setup_(std::move(setup)),
      readButton_(Named<QPushButton>(setup_.readButtonName, setup_.readCaption, this)),
      grid_(new StringGrid(setup_.gridName, kGridSize, kGridSize, this)),
      addressLabel_(ValueLabel(setup_.addressLabelName, QStringLiteral("Reg 0x00"), this)),
      dataLabel_(ValueLabel(setup_.dataLabelName, QStringLiteral("= 0x00"), this)),
      bits_(new BitBoxRow(setup_.bitPanelName, setup_.bitNumbersName, setup_.bitBoxPrefix, this)),
      statusLabel_(NamedLabel(setup_.statusLabelName, QStringLiteral("Status:"), this)) {
    setObjectName(setup_.pageName);
    setWindowTitle(setup_.title);
    SetAccessibleTexts(readButton_, NameFromCaption(setup_.readCaption),
                       QStringLiteral("Reads all 256 values of the table from the device"));
    SetAccessibleTexts(grid_, setup_.title,
                       QStringLiteral("The 256 values, 16 to a row; Enter writes the typed value, "
                                      "Ins and Del step it by one"));
    grid_->setFont(FixedPitchFont());
    grid_->SetReservedKeys({Qt::Key_Insert, Qt::Key_Delete});
    // A selection reads its register at once; while a table read holds the
    // link it cannot, so the current cell stays with the register shown.
    grid_->SetSelectionGate([this] { return !context_.runState.LinkBusy(); });
    BuildLayout();
}

void ByteTablePage::BuildLayout() {
    auto* selected = new QGroupBox(QStringLiteral("Selected register"), this);
    auto* selectedLayout = new QVBoxLayout(selected);
    auto* values = new QHBoxLayout;
    values->addWidget(addressLabel_);
    values->addSpacing(12);
    values->addWidget(dataLabel_);
    values->addStretch();
    selectedLayout->addLayout(values);
    selectedLayout->addWidget(bits_);

    auto* keys = new QLabel(
        QStringLiteral("Enter\twrite the typed value\nIns\tstep up by one\nDel\tstep down by one\n"
                       "Bit box\twrite the byte shown"),
        this);
    keys->setEnabled(false);

    side_ = new QVBoxLayout;
    side_->addWidget(readButton_);
    side_->addWidget(selected);
    side_->addWidget(keys);
    statusLabel_->setWordWrap(true);
    side_->addWidget(statusLabel_);
    side_->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(grid_, 0, Qt::AlignTop);
    layout->addLayout(side_);
    layout->addStretch();
}

void ByteTablePage::AddAboveReadButton(QWidget* widget) {
    side_->insertWidget(side_->indexOf(readButton_), widget);
}

void ByteTablePage::ConnectHandlers(const ByteTableHandlers& handlers) {
    connect(readButton_, &QPushButton::clicked, this, Guarded(handlers.readClick));
    connect(grid_, &StringGrid::keyDown, this, Guarded(handlers.keyDown));
    connect(grid_, &StringGrid::selectCell, this, Guarded(handlers.selectCell));
    connect(bits_, &BitBoxRow::mouseUp, this, Guarded(handlers.bitBoxMouseUp));
}

void ByteTablePage::FillGridHeadings() {
    grid_->FillHexHeadings();
}

void ByteTablePage::ReadTableClick() {
    if (!context_.usbLink.IsFound())
        return;
    if (readRunning_) {
        readRunning_ = false;
        readButton_->setText(setup_.readCaption);
        return;
    }
    // Another operation holds the link open; a read here would close it under that one.
    if (context_.runState.LinkBusy())
        return;
    ReadTable();
}

void ByteTablePage::ReadTable() {
    readButton_->setText(kStopCaption);
    readRunning_ = true;
    const product::RunState::LinkHold holdLink(context_.runState);
    // The I2C page closes the device only once its caption is back.
    std::optional<usb::OpenScope> device(std::in_place, context_.usbLink);
    PrepareAccess();
    int unanswered = 0;
    for (int i = 0; i <= grid_->RowCount() - 2 && readRunning_; ++i) {
        for (int j = 0; j <= grid_->ColCount() - 2 && readRunning_; ++j) {
            const auto reg = static_cast<std::uint8_t>(i * 16 + j);
            if (!ReadIntoShadow(reg))
                ++unanswered;
            grid_->SetCell(j + 1, i + 1, HexByte(Shadow(reg)));
            // "Stop" and the rest of the window stay usable during the 256 reads.
            QCoreApplication::processEvents();
        }
    }
    if (!setup_.closeLinkAfterCaption)
        device.reset();
    readRunning_ = false;
    readButton_->setText(setup_.readCaption);
    device.reset();
    ShowOutcome(unanswered == 0 ? kReadDone
                                : QStringLiteral("The device did not answer for %1 registers: "
                                                 "their cells keep the values read before")
                                      .arg(unanswered));
    // The current cell may have been read anew: its bits and labels follow.
    const std::uint8_t reg = CurrentRegister();
    bits_->Show(Shadow(reg));
    ShowLabels(reg);
}

void ByteTablePage::TableKeyDown(int key) {
    const bool enter = IsEnterKey(key);
    if ((!enter && key != Qt::Key_Insert && key != Qt::Key_Delete) || context_.runState.LinkBusy())
        return;
    const std::uint8_t reg = CurrentRegister();
    std::uint8_t& value = Shadow(reg);
    if (enter || setup_.stepFrom == ByteTableSetup::StepFrom::CellText) {
        // A text that is no number throws here, before the shadow changes.
        value = static_cast<std::uint8_t>(HexTextToInt(grid_->Cell(grid_->Col(), grid_->Row())));
    }
    if (key == Qt::Key_Insert) {
        if (value == 0xFF)
            return;
        ++value;
    } else if (key == Qt::Key_Delete) {
        if (value == 0x00)
            return;
        --value;
    }
    WriteAndReadBack(reg, kKeyWriteSettleMs);
    ShowCurrentValue(reg);
    ShowLabels(reg);
}

void ByteTablePage::TableSelectCell(int col, int row) {
    if (context_.runState.LinkBusy())
        return;
    const std::uint8_t reg = RegisterAt(col, row);
    grid_->HighlightHeaders(col, row);
    const bool read = ReadOnOpenDevice(reg);
    ShowOutcome(read
                    ? kReadDone
                    : QStringLiteral("The device did not answer: the value shown was read before"));
    grid_->SetCell(col, row, HexByte(Shadow(reg)));
    bits_->Show(Shadow(reg));
    ShowLabels(reg);
}

void ByteTablePage::BitBoxMouseUp() {
    const std::uint8_t reg = CurrentRegister();
    if (context_.runState.LinkBusy()) {
        bits_->Show(Shadow(reg));  // the click is refused, so the boxes go back
        return;
    }
    Shadow(reg) = bits_->Value();
    WriteAndReadBack(reg, setup_.bitWriteSettleMs);
    ShowCurrentValue(reg);
    ShowLabels(reg);
}

std::uint8_t ByteTablePage::CurrentRegister() const {
    return RegisterAt(grid_->Col(), grid_->Row());
}

bool ByteTablePage::ReadIntoShadow(std::uint8_t reg) {
    // A failed read keeps the value last known rather than showing a guess.
    std::uint8_t value = Shadow(reg);
    if (!ReadRegister(reg, value))
        return false;
    Shadow(reg) = value;
    return true;
}

bool ByteTablePage::ReadOnOpenDevice(std::uint8_t reg) {
    const usb::OpenScope device(context_.usbLink);
    PrepareAccess();
    return ReadIntoShadow(reg);
}

void ByteTablePage::WriteAndReadBack(std::uint8_t reg, std::uint32_t settleMs) {
    bool written = false;
    bool readBack = false;
    {
        const usb::OpenScope device(context_.usbLink);
        PrepareAccess();
        written = WriteRegister(reg, Shadow(reg));
        context_.usbLink.SleepMs(settleMs);
        readBack = ReadIntoShadow(reg);
    }
    ShowOutcome(!written    ? kNoAnswer
                : !readBack ? QStringLiteral("Written; the read-back did not answer")
                            : kWritten);
}

void ByteTablePage::ShowCurrentValue(std::uint8_t reg) {
    grid_->SetCell(grid_->Col(), grid_->Row(), HexByte(Shadow(reg)));
    bits_->Show(Shadow(reg));
}

void ByteTablePage::ShowOutcome(const QString& text) {
    statusLabel_->setText(text);
}

void ByteTablePage::ShowLabels(std::uint8_t reg) {
    addressLabel_->setText(QStringLiteral("Reg 0x") + HexByte(reg));
    dataLabel_->setText(QStringLiteral("= 0x") + HexByte(Shadow(reg)));
}

}  // namespace pages
