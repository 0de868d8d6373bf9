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
    AutoRunScope(QPushButton* button, LinkLock& linkLock, bool& sequenceRunning)
        : button_(button), lease_(linkLock), sequenceRunning_(sequenceRunning) {
        sequenceRunning_ = true;
        button_->setText(kStopCaption);
    }
    ~AutoRunScope() {
        button_->setText(kAutoCaption);
        sequenceRunning_ = false;
    }
    AutoRunScope(const AutoRunScope&) = delete;
    AutoRunScope& operator=(const AutoRunScope&) = delete;

private:
    QPushButton* button_;
    LinkLease lease_;
    bool& sequenceRunning_;
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
    if (button->text() != kAutoCaption) {
        // A click while the run is in progress: the caption goes back at
        // once and the run goes on to its end. Like every click it ends by
        // clearing sequenceRunning; the run's own mark keeps holding the
        // page's other device operations off.
        button->setText(kAutoCaption);
        context_.shell.sequenceRunning = false;
        return;
    }
    if (DeviceBusy())
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
    // Only a new run forgets an earlier failure: a click during a run must not
    // turn the failed run it interrupts into a success.
    context_.flash.sequenceFailed = false;
    AutoRunScope scope(button, context_.devicePages.linkLock, context_.shell.sequenceRunning);
    IspPageAutoHost host(controls_, context_.firmwareImage, [this] { return ReloadForAutoRun(); });
    const auto run = [&] {
        flash::RunAutoUpdate(context_.usbLink, context_.flash, host, *progress_);
    };
    if (autoRunWrapper_)
        autoRunWrapper_(run);
    else
        run();
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
