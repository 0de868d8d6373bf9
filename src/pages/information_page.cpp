#include "pages/information_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "chip/i2c_commands.h"
#include "chip/registers.h"
#include "image/hex_to_int.h"
#include "pages/accessible.h"
#include "pages/handler_guard.h"
#include "pages/hex_byte.h"
#include "pages/i2c_page.h"
#include "pages/labeled_edit.h"
#include "pages/named_widgets.h"
#include "pages/page_fonts.h"
#include "pages/page_keys.h"
#include "pages/status_texts.h"
#include "product/device_status.h"
#include "product/run_state.h"
#include "usb/open_scope.h"
#include "usb/quorvex_usb.h"

namespace pages {

namespace {

constexpr int kStatusPoints = 14;
const QString kCommandPrefix = QStringLiteral("edtI2Ccmd");
const QString kDataPrefix = QStringLiteral("edtI2Cdat");

// The key each HID button sends, by button number.
constexpr std::array<product::HidKey, 5> kHidKeys = {
    product::HidKey::Previous, product::HidKey::VolumeDown, product::HidKey::Play,
    product::HidKey::VolumeUp, product::HidKey::Next};
constexpr std::array<const char*, 5> kHidCaptions = {"HID Prev", "HID Vol -", "HID Play",
                                                     "HID Vol +", "HID Next"};

const QString kReadDone = QStringLiteral("Read from the device");
const QString kWritten = QStringLiteral("Written");
const QString kNoAnswer = QStringLiteral("The device did not answer: nothing was changed");

}  // namespace

InformationPage::InformationPage(PageContext& context, I2cPage& i2cPage, QWidget* parent)
    : QWidget(parent),
      context_(context),
      i2cPage_(i2cPage),
      lblConnect_(nullptr),
      lblMute_(nullptr),
      edtMI2CAddr1_(Named<QLineEdit>(QStringLiteral("edtMI2CAddr1"), QStringLiteral("60"), this)),
      srblen0_(Named<QScrollBar>(QStringLiteral("srblen0"), Qt::Horizontal, this)),
      srblen1_(Named<QScrollBar>(QStringLiteral("srblen1"), Qt::Horizontal, this)),
      lbllencmd_(NamedLabel(QStringLiteral("lbllencmd"), QStringLiteral("1"), this)),
      lbllendat_(NamedLabel(QStringLiteral("lbllendat"), QStringLiteral("1"), this)),
      lblInfoStatus_(NamedLabel(QStringLiteral("lblInfoStatus"), QStringLiteral("Status:"), this)) {
    setObjectName(QStringLiteral("Information"));
    setWindowTitle(QStringLiteral("Information"));
    SetAccessibleTexts(edtMI2CAddr1_, QStringLiteral("Slave Address"),
                       QStringLiteral("Hexadecimal I2C address of the device behind the chip; "
                                      "Enter reads its first byte"));
    SetAccessibleTexts(srblen0_, QStringLiteral("Command Len."),
                       QStringLiteral("How many command bytes the special access sends"));
    SetAccessibleTexts(srblen1_, QStringLiteral("Data Len."),
                       QStringLiteral("How many data bytes the special access writes or reads"));
    auto* top = new QHBoxLayout;
    top->addWidget(BuildStatus(), 1);
    top->addWidget(BuildHidKeys());
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(BuildSpecialI2c());
    layout->addWidget(lblInfoStatus_);
    layout->addStretch();

    connect(srblen0_, &QScrollBar::valueChanged, this, Guarded([this] { srblen0Change(); }));
    connect(srblen1_, &QScrollBar::valueChanged, this, Guarded([this] { srblen1Change(); }));
    auto* addressKeys = new KeyDownFilter(edtMI2CAddr1_);
    connect(addressKeys, &KeyDownFilter::keyDown, this,
            Guarded([this](int key) { edtMI2CAddr1KeyDown(key); }));
}

QLabel* InformationPage::StatusLabel(const QString& name, const QString& text) {
    QLabel* label = NamedLabel(name, text, this);
    label->setFont(SizedFont(label->font(), kStatusPoints, true));
    return label;
}

// The captions in front of the length bars and the byte rows share one width,
// so the bars and the edits start in one column.
QLabel* InformationPage::RowLabel(const QString& name, const QString& caption) {
    QLabel* label = NamedLabel(name, caption, this);
    label->setMinimumWidth(
        QFontMetrics(font()).horizontalAdvance(QStringLiteral("Command Len.  ")));
    return label;
}

QWidget* InformationPage::BuildStatus() {
    auto* box = new QGroupBox(QStringLiteral("Device status"), this);
    lblConnect_ = StatusLabel(QStringLiteral("lblConnect"), QString::fromLatin1(kUsbConnectedText));
    lblMute_ = StatusLabel(QStringLiteral("lblMute"), QStringLiteral("Unmute"));
    formatAndRate_ = {
        StatusLabel(QStringLiteral("lblCurrentFormat0"), QStringLiteral("Input Format:")),
        StatusLabel(QStringLiteral("lblCurrentFormat1"), QStringLiteral("PCM")),
        StatusLabel(QStringLiteral("lblCurrentFreq0"), QStringLiteral("Input Freq:  ")),
        StatusLabel(QStringLiteral("lblCurrentFreq1"), QStringLiteral("176.4KHz"))};
    // The rate texts are right-aligned with blanks; a fixed pitch keeps them so.
    formatAndRate_[3]->setFont(FixedPitchFont(kStatusPoints, true));
    auto* button =
        Named<QPushButton>(QStringLiteral("btnUpdateStatus"), QStringLiteral("Update"), this);
    SetAccessibleTexts(button, QStringLiteral("Update"),
                       QStringLiteral("Reads the device's input status again"));
    connect(button, &QPushButton::clicked, this, Guarded([this] { btnUpdateStatusClick(); }));

    auto* grid = new QGridLayout(box);
    grid->addWidget(lblConnect_, 0, 0, 1, 2);
    grid->addWidget(lblMute_, 1, 0, 1, 2);
    grid->addWidget(formatAndRate_[0], 2, 0);
    grid->addWidget(formatAndRate_[1], 2, 1);
    grid->addWidget(formatAndRate_[2], 3, 0);
    grid->addWidget(formatAndRate_[3], 3, 1);
    grid->addWidget(button, 4, 1, Qt::AlignRight);
    grid->setColumnStretch(1, 1);
    return box;
}

QWidget* InformationPage::BuildHidKeys() {
    auto* box = new QGroupBox(QStringLiteral("HID keys"), this);
    auto* column = new QVBoxLayout(box);
    for (int k = 0; k < static_cast<int>(kHidCaptions.size()); ++k) {
        auto* button = Named<QPushButton>(QStringLiteral("btnHID%1").arg(k),
                                          QString::fromLatin1(kHidCaptions[k]), this);
        SetAccessibleTexts(button, NameFromCaption(button->text()),
                           QStringLiteral("Sends this HID key to the device"));
        connect(button, &QPushButton::clicked, this,
                Guarded([this, button] { btnHIDClick(*button); }));
        column->addWidget(button);
    }
    column->addStretch();
    return box;
}

QWidget* InformationPage::BuildSpecialI2c() {
    auto* box =
        Named<QGroupBox>(QStringLiteral("GroupBox7"), QStringLiteral("Special I2C access"), this);
    auto* layout = new QVBoxLayout(box);

    FitFixedPitch(*edtMI2CAddr1_, 4);
    auto* address = new QHBoxLayout;
    address->addWidget(
        NamedLabel(QStringLiteral("Label16"), QStringLiteral("Slave Address: 0x"), this));
    address->addWidget(edtMI2CAddr1_);
    address->addWidget(NamedLabel(QStringLiteral("Label17"), QStringLiteral("(enter)"), this));
    address->addStretch();
    layout->addLayout(address);

    layout->addLayout(BuildLengthRow(QStringLiteral("Label18"), QStringLiteral("Command Len."),
                                     srblen0_, lbllencmd_));
    layout->addLayout(BuildLengthRow(QStringLiteral("Label19"), QStringLiteral("Data Len."),
                                     srblen1_, lbllendat_));
    layout->addLayout(
        BuildByteRow(QStringLiteral("Add"), QStringLiteral("Command"), kCommandPrefix));
    layout->addLayout(BuildByteRow(QStringLiteral("Label22"), QStringLiteral("Data"), kDataPrefix));

    auto* write =
        Named<QPushButton>(QStringLiteral("btnWriteSpecI2C"), QStringLiteral("Write"), this);
    auto* read = Named<QPushButton>(QStringLiteral("btnReadSpecI2C"), QStringLiteral("Read"), this);
    SetAccessibleTexts(write, QStringLiteral("Write"),
                       QStringLiteral("Writes the command and data bytes to the I2C device"));
    SetAccessibleTexts(read, QStringLiteral("Read"),
                       QStringLiteral("Sends the command bytes and reads the data bytes back"));
    connect(write, &QPushButton::clicked, this, Guarded([this] { btnWriteSpecI2CClick(); }));
    connect(read, &QPushButton::clicked, this, Guarded([this] { btnReadSpecI2CClick(); }));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(write);
    buttons->addWidget(read);
    layout->addLayout(buttons);
    return box;
}

QLayout* InformationPage::BuildLengthRow(const QString& labelName, const QString& caption,
                                         QScrollBar* bar, QLabel* value) {
    bar->setRange(1, kMaxBytes);
    bar->setPageStep(1);
    bar->setValue(1);
    bar->setFixedWidth(160);
    value->setFont(FixedPitchFont(kFixedPitchPoints, true));
    value->setMinimumWidth(QFontMetrics(value->font()).horizontalAdvance("00"));
    auto* layout = new QHBoxLayout;
    layout->addWidget(RowLabel(labelName, caption));
    layout->addWidget(bar);
    layout->addWidget(value);
    layout->addStretch();
    return layout;
}

QLayout* InformationPage::BuildByteRow(const QString& labelName, const QString& caption,
                                       const QString& editPrefix) {
    auto* layout = new QHBoxLayout;
    layout->addWidget(RowLabel(labelName, caption));
    for (int i = 0; i < kMaxBytes; ++i) {
        auto* edit = Named<QLineEdit>(editPrefix + QString::number(i), QStringLiteral("00"), this);
        FitFixedPitch(*edit, 3);
        SetAccessibleTexts(edit, QStringLiteral("%1 byte %2").arg(caption).arg(i + 1),
                           QStringLiteral("Hexadecimal byte"));
        edit->setEnabled(i == 0);
        layout->addWidget(edit);
    }
    layout->addStretch();
    return layout;
}

void InformationPage::btnUpdateStatusClick() {
    if (context_.runState.LinkBusy())
        return;
    const std::optional<product::DeviceStatus> status = product::ReadDeviceStatus(context_.usbLink);
    statusKnown_ = status.has_value();
    if (!status) {
        ShowStatusUnknown();
        ShowOutcome(kNoAnswer);
        return;
    }
    status_ = *status;
    ShowStatus();
    ShowOutcome(kReadDone);
}

void InformationPage::ShowStatusUnknown() {
    lblConnect_->setText(QStringLiteral("USB connection unknown"));
    lblMute_->setEnabled(false);
    for (QLabel* label : formatAndRate_)
        label->setEnabled(false);
}

void InformationPage::ShowOutcome(const QString& text) {
    lblInfoStatus_->setText(text);
}

void InformationPage::ShowStatus() {
    const auto enableFormatAndRate = [this](bool on) {
        for (QLabel* label : formatAndRate_)
            label->setEnabled(on);
    };
    if (!status_.Connected()) {
        lblConnect_->setText(QString::fromLatin1(kUsbDisconnectedText));
        lblMute_->setEnabled(false);
        enableFormatAndRate(false);
        return;
    }
    lblConnect_->setText(QString::fromLatin1(kUsbConnectedText));
    lblMute_->setEnabled(true);
    if (status_.Muted()) {
        lblMute_->setText(QString::fromLatin1(kMuteText));
        enableFormatAndRate(false);
        return;
    }
    lblMute_->setText(QString::fromLatin1(kPlayingText));
    enableFormatAndRate(true);
    formatAndRate_[1]->setText(QString::fromLatin1(status_.Dsd() ? kDsdText : kPcmText));
    formatAndRate_[3]->setText(QString::fromStdString(status_.RateText()));
}

void InformationPage::btnHIDClick(const QObject& sender) {
    if (context_.runState.LinkBusy())
        return;
    for (int k = 0; k < static_cast<int>(kHidKeys.size()); ++k) {
        if (sender.objectName() != QStringLiteral("btnHID%1").arg(k))
            continue;
        ShowOutcome(product::SendHidKey(context_.usbLink, kHidKeys[k]) ? kWritten : kNoAnswer);
        return;
    }
}

void InformationPage::srblen0Change() {
    ShowLength(*srblen0_, *lbllencmd_, kCommandPrefix);
}

void InformationPage::srblen1Change() {
    ShowLength(*srblen1_, *lbllendat_, kDataPrefix);
}

void InformationPage::ShowLength(const QScrollBar& bar, QLabel& value, const QString& editPrefix) {
    value.setText(QString::number(bar.value()));
    for (int i = 0; i < kMaxBytes; ++i)
        ByteEdit(editPrefix, i)->setEnabled(i < bar.value());
}

QLineEdit* InformationPage::ByteEdit(const QString& prefix, int i) const {
    return findChild<QLineEdit*>(prefix + QString::number(i));
}

void InformationPage::edtMI2CAddr1KeyDown(int key) {
    if (!IsEnterKey(key))
        return;
    // The edit keeps its text as typed; the I2C page shows the address taken over.
    i2cPage_.TakeSlaveAddress(edtMI2CAddr1_->text());
}

// The first two characters of each enabled edit, read as hexadecimal digits;
// anything else, a missing character included, counts as 0.
InformationPage::TypedBytes InformationPage::CollectBytes(const QScrollBar& bar,
                                                          const QString& prefix) const {
    TypedBytes typed;
    typed.count = static_cast<std::uint8_t>(bar.value());
    for (int i = 0; i < typed.count; ++i) {
        const QByteArray text = ByteEdit(prefix, i)->text().toLatin1();
        const char digits[2] = {text.size() > 0 ? text[0] : '\0', text.size() > 1 ? text[1] : '\0'};
        typed.bytes[i] = static_cast<std::uint8_t>(image::HexToInt(digits, 2));
    }
    return typed;
}

void InformationPage::btnWriteSpecI2CClick() {
    if (!context_.usbLink.IsFound() || context_.runState.LinkBusy())
        return;
    const TypedBytes commands = CollectBytes(*srblen0_, kCommandPrefix);
    const TypedBytes data = CollectBytes(*srblen1_, kDataPrefix);
    const usb::OpenScope device(context_.usbLink);
    PrepareI2c();
    const bool written =
        chip::I2cWriteCmd(context_.usbLink, context_.devicePages.i2cSlaveAddr, commands.count,
                          commands.bytes.data(), data.count, data.bytes.data());
    ShowOutcome(written ? kWritten : kNoAnswer);
}

void InformationPage::btnReadSpecI2CClick() {
    if (!context_.usbLink.IsFound() || context_.runState.LinkBusy())
        return;
    const TypedBytes commands = CollectBytes(*srblen0_, kCommandPrefix);
    const auto d = static_cast<std::uint8_t>(srblen1_->value());
    std::array<std::uint8_t, kMaxBytes> reply{};
    const usb::OpenScope device(context_.usbLink);
    PrepareI2c();
    const bool answered = chip::I2cReadCmd(context_.usbLink, context_.devicePages.i2cSlaveAddr,
                                           commands.count, commands.bytes.data(), d, reply.data());
    // Without an answer the edits keep what they showed: zeros would pass for data.
    if (answered) {
        for (int i = 0; i < d; ++i)
            ByteEdit(kDataPrefix, i)->setText(HexByte(reply[i]));
    }
    ShowOutcome(answered ? kReadDone : kNoAnswer);
}

// "Update", a HID key or a parameter request since the I2C page was shown
// leaves bank 0 selected, where the master's registers are not: the group
// sets the master up itself before each transaction.
void InformationPage::PrepareI2c() {
    chip::I2cPrepare(context_.usbLink);
}

}  // namespace pages
