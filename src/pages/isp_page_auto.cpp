// The "Auto" run of the ISP page: the refusals, the caption that doubles as
// the stop button, and the run itself in the flash core.

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

#include "flash/auto_update.h"
#include "flash/flash_state.h"
#include "image/firmware_image.h"
#include "pages/isp_page.h"
#include "pages/isp_page_auto_host.h"
#include "pages/isp_page_dialog.h"
#include "pages/isp_page_progress.h"
#include "pages/isp_page_range_kb.h"
#include "product/run_state.h"
#include "usb/quorvex_usb.h"

namespace pages {

namespace {

const QString kAutoCaption = QStringLiteral("Auto");
const QString kStopCaption = QStringLiteral("Stop");

// Marks a run as in progress for as long as it lasts: "Stop" on the button,
// detection paused, the device link held against every other operation.
// Everything goes back to idle however the run ends, an escaping error included.
class AutoRunScope {
public:
    AutoRunScope(QPushButton* button, std::optional<product::RunState::Run>& slot,
                 product::RunState& state)
        : button_(button), slot_(slot) {
        slot_.emplace(state);
        button_->setText(kStopCaption);
    }
    ~AutoRunScope() {
        button_->setText(kAutoCaption);
        slot_.reset();
    }
    AutoRunScope(const AutoRunScope&) = delete;
    AutoRunScope& operator=(const AutoRunScope&) = delete;

private:
    QPushButton* button_;
    std::optional<product::RunState::Run>& slot_;
};

}  // namespace

void IspPage::btnUSBISPAutoClick() {
    if (!context_.usbLink.IsFound()) {
        ShowIspDialog(QStringLiteral("USB device is NOT available !!    "));
        return;
    }
    if (!context_.programFile.programFileReady &&
        controls_.cbxReadISPFile->currentText().isEmpty()) {
        ShowIspDialog(QStringLiteral("Program File Not Ready !!    "));
        return;
    }
    QPushButton* button = controls_.btnUSBISPAuto;
    if (autoRun_ && context_.runState.Phase() == product::RunPhase::Running) {
        // A click while the run is in progress (the button shows "Stop"): the
        // caption goes back at once and the run goes on to its end, still
        // holding the page's other device operations off. No stop is asked:
        // the device link would refuse the run's next request, and this run
        // has no way back out of ISP mode after that.
        button->setText(kAutoCaption);
        return;
    }
    if (context_.runState.LinkBusy())
        return;
    // Without a reload the run writes the image in hand, and that must be a
    // loaded file: the built-in block alone has no length to write.
    if (!controls_.chkReadFile->isChecked() && context_.firmwareImage.ImageLength() == 0) {
        ShowIspDialog(QStringLiteral("Program File Not Ready !!    "));
        return;
    }
    // A range text that is not a number, or a number outside the flash, stops
    // the click here, before the caption, the flags or the device have changed.
    ValidateRangeEdits();
    const AutoRunScope scope(button, autoRun_, context_.runState);
    IspPageAutoHost host(controls_, context_.firmwareImage, [this] { return ReloadForAutoRun(); });
    bool passed = false;
    const auto run = [&] {
        passed = flash::RunAutoUpdate(context_.usbLink, context_.flash, host, *progress_);
    };
    if (autoRunWrapper_)
        autoRunWrapper_(run);
    else
        run();
    autoRun_->Finish(passed);
}

void IspPage::ValidateRangeEdits() const {
    if (controls_.rbnRange0->isChecked())
        return;
    RangeStartKbOf(controls_);
    RangeSizeKbOf(controls_);
}

// The combo box names the file the run loads, typed or picked from the list.
bool IspPage::ReloadForAutoRun() {
    context_.programFile.programFilePath = controls_.cbxReadISPFile->currentText();
    return ReadProgramFile();
}

}  // namespace pages
