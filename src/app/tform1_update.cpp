// The one-button update of the device panel.

#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include <optional>
#include <string>

#include "app/keep_awake.h"
#include "app/panel_update_progress.h"
#include "app/tform1.h"
#include "flash/flash_state.h"
#include "flash/simple_update.h"
#include "image/firmware_image.h"
#include "pages/isp_page.h"
#include "product/device_listing.h"
#include "product/product_table.h"
#include "product/run_state.h"
#include "usb/quorvex_usb.h"

namespace {

const char* const kWarningText =
    "Firmware Update is a critical operation. Please make sure the power stays on and do not "
    "disconnect the device before the update is complete. Would you like to proceed?";

// Keeps the window's own run where a click can see it, for as long as the run
// lasts, however it ends: only that run's button is its stop button.
class OwnRunScope {
public:
    OwnRunScope(std::optional<product::RunState::Run>& slot, product::RunState& state)
        : slot_(slot) {
        slot_.emplace(state);
    }
    ~OwnRunScope() { slot_.reset(); }
    OwnRunScope(const OwnRunScope&) = delete;
    OwnRunScope& operator=(const OwnRunScope&) = delete;

private:
    std::optional<product::RunState::Run>& slot_;
};

}  // namespace

void TForm1::btnSimpleAutoClick() {
    product::RunState& runState = context_.runState;
    // A click while this window's run goes on and no stop was asked yet is a
    // stop click; it shows "Stop" on the button then.
    const bool stopClick = updateRun_.has_value() && runState.Phase() == product::RunPhase::Running;
    // While a page operation or an update holds the device link a new update
    // must not start: it would close the link under that operation. This also
    // keeps a click that follows the stop branch of a running update from
    // starting a second update inside the first.
    if (!stopClick && runState.LinkBusy())
        return;
    // The detection pauses while the user reads the warning, so that the
    // device it names is the one the update goes to.
    std::optional<product::RunState::LinkHold> asking;
    if (!stopClick)
        asking.emplace(runState);
    // Asked on every click, also on one during a run: that one takes the stop branch.
    const auto answer =
        QMessageBox::warning(nullptr, QStringLiteral("Warning"),
                             QString::fromLatin1(kWarningText) + RecoveryConfirmationNote(),
                             QMessageBox::Ok | QMessageBox::Cancel);
    if (answer != QMessageBox::Ok) {
        SetProcStatus(QStringLiteral("Abort Firmware update process"), 16, Qt::red);
        return;
    }
    if (stopClick) {
        // The run in progress goes on to its end and sets the caption itself.
        runState.AskStop();
        btnSimpleAuto_->setText(QStringLiteral("Start"));
        return;
    }
    asking.reset();  // the run takes the link over
    RunOneButtonUpdate();
}

void TForm1::RunOneButtonUpdate() {
    // Only a new run forgets an earlier failure: a click during a run must not
    // turn the failed run it interrupts into a success.
    context_.flash.sequenceFailed = false;
    failurePinned_ = false;
    const bool recovering = recoveryFile_.has_value();
    lastRunFile_ =
        recovering ? *recoveryFile_
                   : app::RecoveryFile{context_.programFile.programFilePath, ProductRowInView()};
    // The flash is about to change: what it said of the product is history.
    flashProduct_.reset();
    const OwnRunScope run(updateRun_, context_.runState);
    btnSimpleAuto_->setText(QStringLiteral("Stop"));
    // Held until this function returns, however the run ends.
    const app::KeepAwake awake(app::ProductName(lastRunFile_->row), options_.trace);
    SetProcStatus(QString(), 12, palette().color(QPalette::WindowText));
    barUpdateProgress_->setValue(0);
    barUpdateProgress_->show();

    app::PanelUpdateProgress progress(ispPage_->Progress(), lblISPProcStatus_, barUpdateProgress_);
    const image::FirmwareImage& image = context_.firmwareImage;
    const flash::UpdateResult result = flash::RunSimpleUpdate(
        context_.usbLink, flash::ImageView{image.Bytes(), image.ImageLength()}, context_.flash,
        progress, progress, [this] { return product::AnyProductPresent(context_.usbLink); });
    barUpdateProgress_->hide();
    updateRun_->Finish(result.succeeded);
    if (result.succeeded) {
        btnSimpleAuto_->setText(QStringLiteral("Finish"));
        btnSimpleAuto_->setEnabled(false);
        // A closing step that did not work out is said beside the success.
        const std::string note = flash::UpdateSuccessNote(result);
        SetProcStatus(
            QStringLiteral("Firmware update success!") +
                (note.empty() ? QString() : QStringLiteral("\n") + QString::fromStdString(note)),
            16, Qt::blue);
        if (recovering) {
            FindReturnedProduct();
            ClearRecoveryOffer();
        }
        context_.shell.updateFinished = true;
        return;
    }
    btnSimpleAuto_->setText(QStringLiteral("Start"));
    btnSimpleAuto_->setEnabled(true);
    ShowRunFailure(result);
}

// The failure stays on the panel through the detection ticks that follow
// (the product restarting, or coming back as the chip waiting in ISP mode),
// and says how to get the product back.
void TForm1::ShowRunFailure(const flash::UpdateResult& result) {
    QString text = QString::fromStdString(flash::UpdateFailureMessage(result));
    if (!result.failedStep || !flash::StopsBeforeErase(*result.failedStep)) {
        text += QStringLiteral(
                    "\nIf the device now shows as waiting for its firmware, it can be recovered: "
                    "\"Start\" offers %1 again.")
                    .arg(QFileInfo(lastRunFile_->path).fileName());
    }
    SetProcStatus(text, 12, Qt::red);
    failurePinned_ = true;
}
