#include "pages/parameter_page.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <array>

#include "chip/param_commands.h"
#include "chip/request_codes.h"
#include "pages/handler_guard.h"
#include "pages/id_edit_pair.h"
#include "pages/labeled_edit.h"
#include "pages/named_widgets.h"
#include "pages/page_fonts.h"
#include "pages/parameter_page_exchange.h"
#include "product/run_state.h"
#include "usb/quorvex_usb.h"

namespace pages {

using namespace parameter_exchange;

namespace {

constexpr int kHeadingPoints = 10;

// A group of radio buttons with the form's default checked. The default is set
// only once the buttons are in their box: radio buttons exclude each other
// among siblings, and as children of the page they would all be one group.
QGroupBox* RadioGroup(const QString& name, const QString& title, QWidget* parent,
                      std::initializer_list<QRadioButton*> buttons, int checked,
                      bool across = false) {
    auto* box = Named<QGroupBox>(name, title, parent);
    QBoxLayout* layout = across ? static_cast<QBoxLayout*>(new QHBoxLayout(box))
                                : static_cast<QBoxLayout*>(new QVBoxLayout(box));
    for (QRadioButton* button : buttons) {
        button->setParent(box);
        layout->addWidget(button);
    }
    layout->addStretch();
    buttons.begin()[checked]->setChecked(true);
    return box;
}

bool Checked(const QWidget& page, const char* name) {
    return page.findChild<QAbstractButton*>(QString::fromLatin1(name))->isChecked();
}

}  // namespace

ParameterPage::ParameterPage(PageContext& context, QWidget* parent)
    : QWidget(parent),
      context_(context),
      lblParaStatus_(NamedLabel(QStringLiteral("lblParaStatus"), QStringLiteral("Status:"), this)),
      lblEepAvail_(NamedLabel(QStringLiteral("lblEepAvail"), QStringLiteral("EEPROM Exist"), this)),
      btnReadPara_(
          Named<QPushButton>(QStringLiteral("btnReadPara"), QStringLiteral("Read back"), this)),
      btnSetPara_(Named<QPushButton>(QStringLiteral("btnSetPara"), QStringLiteral("Set"), this)) {
    setObjectName(QStringLiteral("Parameter"));
    setWindowTitle(QStringLiteral("Parameter"));
    QFont bold = lblEepAvail_->font();
    bold.setBold(true);
    lblEepAvail_->setFont(bold);

    auto* layout = new QVBoxLayout(this);
    options_ = BuildOptions();
    layout->addWidget(options_);
    layout->addWidget(BuildIdentity());
    layout->addWidget(lblParaStatus_);
    layout->addStretch();
    ConnectOptions();
    ConnectEdits();
}

QRadioButton* ParameterPage::Radio(const QString& name, const QString& text) {
    return Named<QRadioButton>(name, text, this);
}

QCheckBox* ParameterPage::Check(const QString& name, const QString& text) {
    return Named<QCheckBox>(name, text, this);
}

LabeledEdit* ParameterPage::Edit(const QString& name, const QString& caption, const QString& text) {
    return new LabeledEdit(name, caption, text, this);
}

// The radio groups show the form's own defaults until the window shows sysSetting.
QWidget* ParameterPage::BuildOptions() {
    auto* options = new QGroupBox(this);
    auto* grid = new QGridLayout(options);
    QLabel* heading =
        NamedLabel(QStringLiteral("Label8"), QStringLiteral("System General Setting"), this);
    heading->setFont(SizedFont(heading->font(), kHeadingPoints, true));
    grid->addWidget(heading, 0, 0, 1, 2);
    grid->addWidget(lblEepAvail_, 0, 2, 1, 2, Qt::AlignRight);

    grid->addWidget(
        RadioGroup(QStringLiteral("GroupBox3"), QStringLiteral("I2S Output length"), this,
                   {Radio("rbnI2Slen0", "32 bit"), Radio("rbnI2Slen1", "24 bit")}, 0),
        1, 0);
    grid->addWidget(
        RadioGroup(QStringLiteral("GroupBox4"), QStringLiteral("SPDIF Output length"), this,
                   {Radio("rbnSPDIFlen0", "32 bit"), Radio("rbnSPDIFlen1", "24 bit")}, 1),
        1, 1);
    grid->addWidget(
        RadioGroup(QStringLiteral("GroupBox6"), QStringLiteral("I2S Format "), this,
                   {Radio("rbnI2SFormat0", "Standard"), Radio("rbnI2SFormat1", "Left Justify")}, 0),
        1, 2);
    grid->addWidget(RadioGroup(QStringLiteral("GroupBox2"), QStringLiteral("Output when  DSD in"),
                               this, {Radio("rbnDSDOut0", "DSD"), Radio("rbnDSDOut1", "DoP")}, 0),
                    1, 3);
    grid->addWidget(
        RadioGroup(QStringLiteral("GroupBox5"), QStringLiteral("I2S MCLK Output Frequency"), this,
                   {Radio("rbnMCLKOutFreq0", "128 Fs"), Radio("rbnMCLKOutFreq1", "256 Fs"),
                    Radio("rbnMCLKOutFreq2", "512 Fs"), Radio("rbnMCLKOutFreq3", "1024 Fs")},
                   0, true),
        2, 0, 1, 4);

    AddSwitchesAndButtons(*grid);
    return options;
}

// The swap and output-off boxes under the radio groups, the buttons last.
void ParameterPage::AddSwitchesAndButtons(QGridLayout& grid) {
    auto* swaps = new QVBoxLayout;
    swaps->addWidget(
        Check(QStringLiteral("chkI2SLRSwap"), QStringLiteral("I2S Output Channel Swap")));
    swaps->addWidget(
        Check(QStringLiteral("chkDSDLRSwap"), QStringLiteral("DSD Output Channel Swap")));
    auto* outputs = new QVBoxLayout;
    outputs->addWidget(Check(QStringLiteral("chkMCLKOutOff"), QStringLiteral("MCLK Output Off")));
    outputs->addWidget(Check(QStringLiteral("chkI2SOutOff"), QStringLiteral("I2S Output Off")));
    outputs->addWidget(Check(QStringLiteral("chkSPDIFOutOff"), QStringLiteral("SPDIF Output Off")));
    grid.addLayout(swaps, 3, 0, 1, 2, Qt::AlignTop);
    grid.addLayout(outputs, 3, 2, 1, 2, Qt::AlignTop);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnReadPara_);
    buttons->addWidget(btnSetPara_);
    grid.addLayout(buttons, 4, 0, 1, 4);
    for (int column = 0; column < 4; ++column)
        grid.setColumnStretch(column, 1);
}

QWidget* ParameterPage::BuildIdentity() {
    auto* identity = new QGroupBox(QStringLiteral("USB identity (Enter sends the field)"), this);
    auto* grid = new QGridLayout(identity);
    LabeledEdit* vid = Edit(QStringLiteral("lbledSysVID"), QStringLiteral("VID:"), "2fc0");
    LabeledEdit* pid = Edit(QStringLiteral("lbledSysPID"), QStringLiteral("PID:"), "6012");
    // Four characters go to the device; the edits hold no more than that.
    vid->edit()->setMaxLength(kIdLength);
    pid->edit()->setMaxLength(kIdLength);
    grid->addLayout(IdEditPair(*vid, *pid, kIdLength + 1), 0, 0, 1, 2);

    grid->addWidget(
        NamedLabel(QStringLiteral("Label2"),
                   QStringLiteral("Prodcut Information String (Max. 31 character)"), this),
        1, 0, 1, 2);
    const std::array<std::array<QString, 4>, 3> strings = {{
        {"lbledSysStr1", "String 1:", "Quorvex-inc", "(Manufacturer)"},
        {"lbledSysStr2", "String 2:", "Quorvex-inc UAC2 22", "(Model Name)"},
        {"lbledSysStr3", "String 3:", "QVUA170203", "(Serial Number)"},
    }};
    for (int i = 0; i < 3; ++i) {
        LabeledEdit* edit = Edit(strings[i][0], strings[i][1], strings[i][2]);
        edit->setMinimumWidth(320);
        grid->addWidget(edit, i + 2, 0);
        grid->addWidget(new QLabel(strings[i][3], this), i + 2, 1);
    }
    grid->setColumnStretch(2, 1);
    return identity;
}

void ParameterPage::ConnectOptions() {
    const auto onClick = [this](const char* name, void (ParameterPage::*handler)()) {
        auto* button = findChild<QAbstractButton*>(QString::fromLatin1(name));
        connect(button, &QAbstractButton::clicked, this,
                Guarded([this, handler] { (this->*handler)(); }));
    };
    onClick("rbnI2Slen0", &ParameterPage::rbnI2SlenClick);
    onClick("rbnI2Slen1", &ParameterPage::rbnI2SlenClick);
    onClick("rbnSPDIFlen0", &ParameterPage::rbnSPDIFlenClick);
    onClick("rbnSPDIFlen1", &ParameterPage::rbnSPDIFlenClick);
    onClick("chkI2SLRSwap", &ParameterPage::chkI2SLRSwapClick);
    onClick("chkDSDLRSwap", &ParameterPage::chkDSDLRSwapClick);
    onClick("rbnI2SFormat0", &ParameterPage::rbnI2SFormatClick);
    onClick("rbnI2SFormat1", &ParameterPage::rbnI2SFormatClick);
    onClick("rbnDSDOut0", &ParameterPage::rbnDSDOutClick);
    onClick("rbnDSDOut1", &ParameterPage::rbnDSDOutClick);
    onClick("chkMCLKOutOff", &ParameterPage::chkMCLKOutOffClick);
    onClick("chkI2SOutOff", &ParameterPage::chkI2SOutOffClick);
    onClick("chkSPDIFOutOff", &ParameterPage::chkSPDIFOutOffClick);
    for (int k = 0; k < 4; ++k) {
        auto* button = findChild<QRadioButton*>(QStringLiteral("rbnMCLKOutFreq%1").arg(k));
        connect(button, &QRadioButton::clicked, this,
                Guarded([this, button] { rbnMCLKOutFreqClick(*button); }));
    }
    connect(btnReadPara_, &QPushButton::clicked, this, Guarded([this] { btnReadParaClick(); }));
    connect(btnSetPara_, &QPushButton::clicked, this, Guarded([this] { btnSetParaClick(); }));
}

void ParameterPage::ConnectEdits() {
    for (const char* name : {"lbledSysVID", "lbledSysPID"}) {
        auto* edit = findChild<LabeledEdit*>(QString::fromLatin1(name));
        connect(edit, &LabeledEdit::keyDown, this,
                Guarded([this, edit](int key) { lbledSysVIDPIDKeyDown(*edit, key); }));
    }
    for (const char* name : {"lbledSysStr1", "lbledSysStr2", "lbledSysStr3"}) {
        auto* edit = findChild<LabeledEdit*>(QString::fromLatin1(name));
        connect(edit, &LabeledEdit::keyDown, this,
                Guarded([this, edit](int key) { lbledSysStrKeyDown(*edit, key); }));
    }
}

void ParameterPage::ShowSysSetting() {
    const auto& setting = context_.devicePages.sysSetting;
    const auto bit = [](std::uint8_t byte, int n) { return ((byte >> n) & 1u) != 0; };
    const auto check = [this](const QString& name, bool on) {
        findChild<QAbstractButton*>(name)->setChecked(on);
    };
    lblEepAvail_->setText(bit(setting[3], 7) ? QStringLiteral("EEPROM Exist")
                                             : QStringLiteral("EEPROM not Available"));
    check(bit(setting[0], 0) ? "rbnI2Slen0" : "rbnI2Slen1", true);
    check(bit(setting[0], 1) ? "rbnSPDIFlen0" : "rbnSPDIFlen1", true);
    check("chkI2SLRSwap", bit(setting[0], 2));
    check("chkDSDLRSwap", bit(setting[0], 3));
    check(bit(setting[0], 6) ? "rbnI2SFormat1" : "rbnI2SFormat0", true);
    check(bit(setting[0], 7) ? "rbnDSDOut0" : "rbnDSDOut1", true);
    check(QStringLiteral("rbnMCLKOutFreq%1").arg((setting[0] & 0x30) >> 4), true);
    check("chkMCLKOutOff", bit(setting[1], 7));
    check("chkI2SOutOff", bit(setting[1], 6));
    check("chkSPDIFOutOff", bit(setting[1], 5));
}

void ParameterPage::btnReadParaClick() {
    if (context_.runState.LinkBusy())
        return;
    settingRead_ =
        chip::ParamAccess(context_.usbLink, chip::kMailboxParamCommand, kSelectorReadSetting, 0, 4,
                          context_.devicePages.sysSetting.data());
    for (QAbstractButton* button : OptionButtons())
        button->setEnabled(settingRead_);
    if (!settingRead_) {
        ShowSettingUnknown();
        ShowOutcome(kNoAnswer);
        return;
    }
    ShowSysSetting();
    ShowOutcome(kReadDone);
}

void ParameterPage::btnSetParaClick() {
    if (context_.runState.LinkBusy())
        return;
    if (!settingRead_) {
        ShowOutcome(
            QStringLiteral("Read back the setting first: \"Set\" sends all four bytes, "
                           "and those no control shows must be the device's own. "
                           "Nothing was sent."));
        return;
    }
    // All four bytes go out, the ones no control shows as they were last read.
    const bool written =
        chip::ParamAccess(context_.usbLink, chip::kMailboxParamCommand, kSelectorWriteSetting, 0, 4,
                          context_.devicePages.sysSetting.data());
    ShowOutcome(written ? kWritten : kNoAnswer);
}

void ParameterPage::ShowSettingUnknown() {
    lblEepAvail_->setText(QStringLiteral("EEPROM unknown"));
    for (QAbstractButton* button : OptionButtons()) {
        // Exclusive radio buttons refuse to be unchecked one by one.
        const bool exclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(exclusive);
    }
}

QList<QAbstractButton*> ParameterPage::OptionButtons() const {
    QList<QAbstractButton*> buttons = options_->findChildren<QAbstractButton*>();
    buttons.removeAll(btnReadPara_);
    buttons.removeAll(btnSetPara_);
    return buttons;
}

void ParameterPage::ShowOutcome(const QString& text) {
    lblParaStatus_->setText(text);
}

void ParameterPage::SetSettingBit(int byte, int bit, bool on) {
    auto& value = context_.devicePages.sysSetting[byte];
    const auto mask = static_cast<std::uint8_t>(1u << bit);
    value = on ? static_cast<std::uint8_t>(value | mask) : static_cast<std::uint8_t>(value & ~mask);
}

void ParameterPage::rbnI2SlenClick() {
    SetSettingBit(0, 0, Checked(*this, "rbnI2Slen0"));
}
void ParameterPage::rbnSPDIFlenClick() {
    SetSettingBit(0, 1, Checked(*this, "rbnSPDIFlen0"));
}
void ParameterPage::chkI2SLRSwapClick() {
    SetSettingBit(0, 2, Checked(*this, "chkI2SLRSwap"));
}
void ParameterPage::chkDSDLRSwapClick() {
    SetSettingBit(0, 3, Checked(*this, "chkDSDLRSwap"));
}
void ParameterPage::rbnI2SFormatClick() {
    SetSettingBit(0, 6, !Checked(*this, "rbnI2SFormat0"));
}
void ParameterPage::rbnDSDOutClick() {
    SetSettingBit(0, 7, Checked(*this, "rbnDSDOut0"));
}
void ParameterPage::chkMCLKOutOffClick() {
    SetSettingBit(1, 7, Checked(*this, "chkMCLKOutOff"));
}
void ParameterPage::chkI2SOutOffClick() {
    SetSettingBit(1, 6, Checked(*this, "chkI2SOutOff"));
}
void ParameterPage::chkSPDIFOutOffClick() {
    SetSettingBit(1, 5, Checked(*this, "chkSPDIFOutOff"));
}

void ParameterPage::rbnMCLKOutFreqClick(const QObject& sender) {
    for (int k = 0; k < 4; ++k) {
        if (sender.objectName() != QStringLiteral("rbnMCLKOutFreq%1").arg(k))
            continue;
        auto& byte0 = context_.devicePages.sysSetting[0];
        byte0 = static_cast<std::uint8_t>((byte0 & ~0x30u) | (k << 4));
        return;
    }
}

}  // namespace pages
