// The periodic device detection: alternating product and ISP-mode searches,
// the re-check while a device is present, and the device panel's report.

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "app/tform1.h"
#include "backends/backend_factory.h"
#include "pages/labeled_edit.h"
#include "pages/page_keys.h"
#include "product/detection.h"
#include "product/run_state.h"
#include "usb/quorvex_usb.h"

namespace {

constexpr int kSearchIntervalMs = 100;
constexpr int kPresentIntervalMs = 1000;
// While nothing is plugged in the folders are looked at again about once a
// second (every tenth search), not on every search: a download folder can be large.
constexpr int kSearchesPerFileLook = 10;

}  // namespace

void TForm1::Timer1Timer() {
    usb::QuorvexUsb& link = context_.usbLink;
    if (!state_.Detecting()) {
        // Never close the link under an operation that holds it.
        if (link.IsFound() && !context_.runState.LinkBusy())
            link.CloseDevice();
        return;
    }
    // Nor change its driver path or match string: an operation that pumps
    // events sends its next request over them.
    if (context_.runState.LinkBusy())
        return;
    const bool wasFound = link.IsFound();
    if (wasFound) {
        timer1_->setInterval(kPresentIntervalMs);
        link.CheckDevice();
    } else {
        SearchNextDevice();
    }
    ShowDetectionOutcome(!wasFound && link.IsFound());
}

void TForm1::SearchNextDevice() {
    // The file is read again when a device turns up; a file the user gave
    // stays on the panel meanwhile, so a drop is seen to be taken.
    state_.FileLoaded(false);
    if (state_.HasDevice() || ++searchesSinceFileLook_ >= kSearchesPerFileLook)
        ShowFilesWithoutDevice();
    // Only a search that follows a product search speeds the timer up again.
    if (product::SearchNext(context_.usbLink, state_.Detection()) == product::SearchKind::Isp)
        timer1_->setInterval(kSearchIntervalMs);
}

void TForm1::ShowDetectionOutcome(bool newlyFound) {
    const usb::QuorvexUsb& link = context_.usbLink;
    const std::optional<product::ListedDevice> found =
        product::FoundDevice(link, state_.Detection());
    lblDetectDevice_->setText(QString::fromStdString(product::DetectionText(found)));
    if (!found) {
        state_.DeviceGone();
        ShowPanel();
        return;
    }
    // A device the user may not open is found all the same; say why nothing
    // will work rather than let "Start" fail half-way.
    const bool permissionDenied = found->openStatus == usb::OpenStatus::PermissionDenied;
    state_.DeviceFound(permissionDenied);
    if (permissionDenied) {
        SetProcStatus(app::MessageKind::Permission,
                      QString::fromStdString(product::OpenFailureMessage(found->openStatus)), 12,
                      Qt::red);
    }
    if (found->mode == product::DeviceMode::Isp) {
        if (newlyFound)
            OfferRecovery();
    } else {
        // The product is back: the failure is history.
        if (newlyFound)
            state_.ProductBack();
        // The file's state is shown as it is also for a device that may not be
        // opened, so that only the permission is left to mend.
        if (!state_.FileReady())
            LoadProductFile();
    }
    ShowPanel();
}

void TForm1::chkDetectUSBClick() {
    if (chkDetectUSB_->isChecked()) {
        state_.SetDetecting(true);
        lbledtVID_->setEnabled(false);
        lbledtPID_->setEnabled(false);
        state_.vidText = lbledtVID_->text();
        state_.pidText = lbledtPID_->text();
        return;
    }
    state_.SetDetecting(false);
    SetFileStatus(state_.FileLine(), app::Indicator::Off);
    lbledtVID_->setEnabled(true);
    lbledtPID_->setEnabled(true);
    context_.usbLink.ClearFound();
}

void TForm1::lbledtVIDPIDKeyDown(pages::LabeledEdit* sender, int key) {
    if (!pages::IsEnterKey(key))
        return;
    if (sender == lbledtVID_)
        state_.vidText = sender->text();
    if (sender == lbledtPID_)
        state_.pidText = sender->text();
}
