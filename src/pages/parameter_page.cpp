#include "pages/parameter_page.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <array>

#include "pages/accessible.h"
#include "pages/handler_guard.h"
#include "pages/id_edit_pair.h"
#include "pages/labeled_edit.h"
#include "pages/named_widgets.h"
#include "pages/page_fonts.h"
#include "pages/parameter_page_exchange.h"
#include "product/run_state.h"
#include "product/system_setting.h"
#include "usb/quorvex_usb.h"

namespace pages {

using namespace parameter_exchange;

namespace {

using Setting = product::SystemSetting;

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
        // Read with its group's title, which says what the choice is about.
        SetAccessibleTexts(button, button->text(),
                           title.trimmed() + QStringLiteral(" of the system setting"));
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
    SetAccessibleTexts(btnReadPara_, QStringLiteral("Read back"),
                       QStringLiteral("Reads the system setting from the device"));
    SetAccessibleTexts(btnSetPara_, QStringLiteral("Set"),
                       QStringLiteral("Writes the system setting shown to the device"));
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
    auto* check = Named<QCheckBox>(name, text, this);
    SetAccessibleTexts(check, text, QStringLiteral("A switch of the system setting"));
    return check;
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
    constexpr int kIdLength = static_cast<int>(product::kIdTextLength);
    vid->Describe(QStringLiteral("The product's USB vendor ID; Enter sends it"));
    pid->Describe(QStringLiteral("The product's USB product ID; Enter sends it"));
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
        edit->Describe(QStringLiteral("The product's %1 string; Enter sends it")
                           .arg(strings[i][3].mid(1).chopped(1).toLower()));
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
    const Setting setting = Setting::FromBytes(context_.devicePages.sysSetting);
    const auto check = [this](const QString& name, bool on) {
        findChild<QAbstractButton*>(name)->setChecked(on);
    };
    lblEepAvail_->setText(setting.eepromPresent ? QStringLiteral("EEPROM Exist")
                                                : QStringLiteral("EEPROM not Available"));
    const bool i2s32 = setting.i2sLength == Setting::OutputLength::Bits32;
    const bool spdif32 = setting.spdifLength == Setting::OutputLength::Bits32;
    check(i2s32 ? "rbnI2Slen0" : "rbnI2Slen1", true);
    check(spdif32 ? "rbnSPDIFlen0" : "rbnSPDIFlen1", true);
    check("chkI2SLRSwap", setting.i2sChannelSwap);
    check("chkDSDLRSwap", setting.dsdChannelSwap);
    const bool leftJustified = setting.i2sFormat == Setting::I2sFormat::LeftJustified;
    check(leftJustified ? "rbnI2SFormat1" : "rbnI2SFormat0", true);
    const bool nativeDsd = setting.dsdOutput == Setting::DsdOutput::NativeDsd;
    check(nativeDsd ? "rbnDSDOut0" : "rbnDSDOut1", true);
    check(QStringLiteral("rbnMCLKOutFreq%1").arg(setting.mclkFrequencyIndex), true);
    check("chkMCLKOutOff", setting.mclkOutputOff);
    check("chkI2SOutOff", setting.i2sOutputOff);
    check("chkSPDIFOutOff", setting.spdifOutputOff);
}

void ParameterPage::btnReadParaClick() {
    if (context_.runState.LinkBusy())
        return;
    const std::optional<Setting> read = product::ReadSystemSetting(context_.usbLink);
    settingRead_ = read.has_value();
    for (QAbstractButton* button : OptionButtons())
        button->setEnabled(settingRead_);
    if (!settingRead_) {
        ShowSettingUnknown();
        ShowOutcome(kNoAnswer);
        return;
    }
    context_.devicePages.sysSetting = read->ToBytes();
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
    const bool written = product::WriteSystemSetting(
        context_.usbLink, Setting::FromBytes(context_.devicePages.sysSetting));
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

template <typename Change>
void ParameterPage::ChangeSetting(Change change) {
    Setting setting = Setting::FromBytes(context_.devicePages.sysSetting);
    change(setting);
    context_.devicePages.sysSetting = setting.ToBytes();
}

void ParameterPage::rbnI2SlenClick() {
    const bool bits32 = Checked(*this, "rbnI2Slen0");
    ChangeSetting([bits32](Setting& s) {
        s.i2sLength = bits32 ? Setting::OutputLength::Bits32 : Setting::OutputLength::Bits24;
    });
}
void ParameterPage::rbnSPDIFlenClick() {
    const bool bits32 = Checked(*this, "rbnSPDIFlen0");
    ChangeSetting([bits32](Setting& s) {
        s.spdifLength = bits32 ? Setting::OutputLength::Bits32 : Setting::OutputLength::Bits24;
    });
}
void ParameterPage::chkI2SLRSwapClick() {
    const bool on = Checked(*this, "chkI2SLRSwap");
    ChangeSetting([on](Setting& s) { s.i2sChannelSwap = on; });
}
void ParameterPage::chkDSDLRSwapClick() {
    const bool on = Checked(*this, "chkDSDLRSwap");
    ChangeSetting([on](Setting& s) { s.dsdChannelSwap = on; });
}
void ParameterPage::rbnI2SFormatClick() {
    const bool standard = Checked(*this, "rbnI2SFormat0");
    ChangeSetting([standard](Setting& s) {
        s.i2sFormat = standard ? Setting::I2sFormat::Standard : Setting::I2sFormat::LeftJustified;
    });
}
void ParameterPage::rbnDSDOutClick() {
    const bool dsd = Checked(*this, "rbnDSDOut0");
    ChangeSetting([dsd](Setting& s) {
        s.dsdOutput = dsd ? Setting::DsdOutput::NativeDsd : Setting::DsdOutput::DoP;
    });
}
void ParameterPage::chkMCLKOutOffClick() {
    const bool on = Checked(*this, "chkMCLKOutOff");
    ChangeSetting([on](Setting& s) { s.mclkOutputOff = on; });
}
void ParameterPage::chkI2SOutOffClick() {
    const bool on = Checked(*this, "chkI2SOutOff");
    ChangeSetting([on](Setting& s) { s.i2sOutputOff = on; });
}
void ParameterPage::chkSPDIFOutOffClick() {
    const bool on = Checked(*this, "chkSPDIFOutOff");
    ChangeSetting([on](Setting& s) { s.spdifOutputOff = on; });
}

void ParameterPage::rbnMCLKOutFreqClick(const QObject& sender) {
    for (int k = 0; k < 4; ++k) {
        if (sender.objectName() != QStringLiteral("rbnMCLKOutFreq%1").arg(k))
            continue;
        ChangeSetting([k](Setting& s) { s.mclkFrequencyIndex = static_cast<std::uint8_t>(k); });
        return;
    }
}

}  // namespace pages
