#include "pages/isp_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <utility>

#include "pages/handler_guard.h"
#include "pages/isp_page_progress.h"
#include "pages/labeled_edit.h"
#include "product/run_state.h"

namespace pages {

IspPage::IspPage(PageContext& context, QWidget* parent)
    : QWidget(parent),
      context_(context),
      controls_(BuildIspPageLayout(this)),
      readBackBuffer_(std::make_unique<flash::ReadBackBuffer>()) {
    setObjectName(QStringLiteral("PageISPCtrl"));
    progress_ = new IspPageProgress(controls_.lblUSBProcessInfo, controls_.lblUSBISPProcess,
                                    controls_.lblUSBISPStatusReg, this);
    ConnectFunctionTest();
    ConnectAutoRun();
}

IspPage::~IspPage() = default;

void IspPage::ConnectFunctionTest() {
    const IspControls& c = controls_;
    const std::array<std::pair<QPushButton*, void (IspPage::*)()>, 11> buttons = {{
        {c.btnEnterISP, &IspPage::btnEnterISPClick},
        {c.btnUSBChipID, &IspPage::btnUSBChipIDClick},
        {c.btnUSBReadStatus, &IspPage::btnUSBReadStatusClick},
        {c.btnUSBWriteEnable, &IspPage::btnUSBWriteEnableClick},
        {c.btnUSBWriteDisable, &IspPage::btnUSBWriteDisableClick},
        {c.btnUSBErase, &IspPage::btnUSBEraseClick},
        {c.btnUSBBlank, &IspPage::btnUSBBlankClick},
        {c.btnUSBProgram, &IspPage::btnUSBProgramClick},
        {c.btnUSBVerify, &IspPage::btnUSBVerifyClick},
        {c.btnReadBack, &IspPage::btnReadBackClick},
        {c.btnUSBISPAuto, &IspPage::btnUSBISPAutoClick},
    }};
    for (const auto& [button, handler] : buttons) {
        connect(button, &QPushButton::clicked, this,
                Guarded([this, handler = handler](bool) { (this->*handler)(); }));
    }
    connect(c.lbledtUSBWriteStatus, &LabeledEdit::keyDown, this,
            Guarded([this](int key) { lbledtUSBWriteStatusKeyDown(key); }));
    for (QRadioButton* range : {c.rbnRange0, c.rbnRange1}) {
        connect(range, &QRadioButton::clicked, this, Guarded([this](bool) { rbnRangeClick(); }));
    }
    for (LabeledEdit* edit : {c.lbledISPStart, c.lbledISPRange}) {
        connect(edit, &LabeledEdit::keyDown, this,
                Guarded([this](int key) { lbledISPStartKeyDown(key); }));
    }
}

void IspPage::ConnectAutoRun() {
    connect(controls_.USBLoadFileBitBtn, &QPushButton::clicked, this,
            Guarded([this](bool) { USBLoadFileBitBtnClick(); }));
    connect(controls_.Button1, &QPushButton::clicked, this, Guarded([this](bool) {
                if (saveHandler_)
                    saveHandler_();
            }));
}

void IspPage::ApplyStartupDefaults() {
    IspControls& c = controls_;
    c.chkISPMode->setChecked(true);
    c.chkProtect->setChecked(false);
    c.chkChangedOnly->setChecked(false);
    for (QCheckBox* step : {c.chkReadFile, c.chkErase, c.chkBlank, c.chkProgram, c.chkVerify}) {
        step->setChecked(true);
    }
    c.rbnRange0->setChecked(true);
    rbnRangeClick();
    // Only now: "All" has set the range, and these wait for "Assign Range".
    c.lbledISPRange->setText(QStringLiteral("64"));
    c.lbledISPStart->setText(QStringLiteral("64"));
}

void IspPage::HideStartupControls() {
    IspControls& c = controls_;
    for (QWidget* control :
         {static_cast<QWidget*>(c.gbxISPRange), static_cast<QWidget*>(c.chkISPMode),
          static_cast<QWidget*>(c.chkProtect), static_cast<QWidget*>(c.chkReadFile),
          static_cast<QWidget*>(c.chkErase), static_cast<QWidget*>(c.chkBlank),
          static_cast<QWidget*>(c.chkProgram), static_cast<QWidget*>(c.chkVerify),
          static_cast<QWidget*>(c.chkChangedOnly), static_cast<QWidget*>(c.GroupBox1),
          static_cast<QWidget*>(c.USBLoadFileBitBtn), static_cast<QWidget*>(c.cbxReadISPFile)}) {
        control->hide();
    }
}

void IspPage::SetUpdateFileLoader(std::function<void()> loader) {
    updateFileLoader_ = std::move(loader);
}

void IspPage::SetSaveHandler(std::function<void()> handler) {
    saveHandler_ = std::move(handler);
}

flash::FlashProgress& IspPage::Progress() {
    return *progress_;
}

IspPageProgress& IspPage::ProgressLabels() {
    return *progress_;
}

void IspPage::RunExclusive(const std::function<void()>& operation) {
    const product::RunState::LinkHold hold(context_.runState);
    if (hold)
        operation();
}

bool IspPage::WholeFlashSelected() const {
    return controls_.rbnRange0->isChecked();
}

}  // namespace pages
