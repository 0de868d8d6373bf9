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
#include "catalog/product_table.h"
#include "flash/flash_state.h"
#include "image/firmware_image.h"
#include "pages/isp_page.h"
#include "product/detection.h"
#include "product/file_match.h"
#include "product/run_state.h"
#include "product/stoppable_update.h"
#include "usb/quorvex_usb.h"

namespace {

const char* const kWarningText =
    "Firmware Update is a critical operation. Please make sure the power stays on and do not "
    "disconnect the device before the update is complete. Would you like to proceed?";

const char* const kStopQuestion =
    "Stop the firmware update?\n\nBefore the flash is erased the device keeps its firmware. "
    "After that it waits in ISP mode until \"Start\" writes the firmware again: keep it "
    "connected.";

// Marks the window's own run for as long as it lasts, however it ends: only
// that run's button is its stop button.
class OwnRunScope {
public:
    explicit OwnRunScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~OwnRunScope() { flag_ = false; }
    OwnRunScope(const OwnRunScope&) = delete;
    OwnRunScope& operator=(const OwnRunScope&) = delete;

private:
    bool& flag_;
};

}  // namespace

// The click lands between two requests of the run (the run lets events
// through there), so the run waits while the question is open.
void TForm1::AskToStopTheRun() {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Stop"),
                    QString::fromLatin1(kStopQuestion), QMessageBox::Yes | QMessageBox::No);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Stop"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Continue"));
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() != QMessageBox::Yes || !context_.runState.Running())
        return;
    context_.runState.AskStop();
    btnSimpleAuto_->setEnabled(false);  // until the run has ended at its next request
}

void TForm1::btnSimpleAutoClick() {
    product::RunState& runState = context_.runState;
    // A click while this window's run goes on and no stop was asked yet is a
    // stop click; it shows "Stop" on the button then.
    if (ownRunActive_ && runState.Phase() == product::RunPhase::Running) {
        AskToStopTheRun();
        return;
    }
    // While a page operation or an update holds the device link a new update
    // must not start: it would close the link under that operation.
    if (runState.LinkBusy())
        return;
    // The detection pauses while the user reads the warning, so that the
    // device it names is the one the update goes to.
    std::optional<product::RunState::LinkHold> asking(std::in_place, runState);
    // A file that is not the product's firmware is named beside the product,
    // and then Cancel is what Enter answers.
    const QString mismatch = FileMismatchNote();
    const auto answer = QMessageBox::warning(
        nullptr, QStringLiteral("Warning"),
        QString::fromLatin1(kWarningText) + RecoveryConfirmationNote() + mismatch,
        QMessageBox::Ok | QMessageBox::Cancel,
        mismatch.isEmpty() ? QMessageBox::Ok : QMessageBox::Cancel);
    if (answer != QMessageBox::Ok) {
        SetProcStatus(QStringLiteral("Abort Firmware update process"), 16, Qt::red);
        return;
    }
    asking.reset();  // the run takes the link over
    RunOneButtonUpdate();
}

// Whether the loaded file is firmware for the product it is about to
// replace: the product found, or for the bare chip the one its flash was last
// written for. Empty when it is.
QString TForm1::FileMismatchNote() const {
    const std::optional<product::ListedDevice> found =
        product::FoundDevice(context_.usbLink, context_.shell.detection);
    const bool bareChip = found && found->mode == product::DeviceMode::Isp;
    const product::ProductRow* product =
        bareChip ? (formerProduct_ ? &product::productTable[*formerProduct_] : nullptr)
                 : &product::productTable[ProductRowInView()];
    const image::FirmwareImage& image = context_.firmwareImage;
    const QString path = recoveryFile_ ? recoveryFile_->path : context_.programFile.programFilePath;
    const std::string text = product::FileMismatchText(
        product::CheckFileFor(image.Defined(), product), QFileInfo(path).fileName().toStdString(),
        product, bareChip ? product::DeviceKnownBy::ItsFlash : product::DeviceKnownBy::ItsIdentity);
    if (text.empty())
        return {};
    return QStringLiteral("\n\nThis file may not be meant for this device: %1.")
        .arg(QString::fromStdString(text));
}

void TForm1::RunOneButtonUpdate() {
    failurePinned_ = false;
    const bool recovering = recoveryFile_.has_value();
    lastRunFile_ =
        recovering ? *recoveryFile_
                   : app::RecoveryFile{context_.programFile.programFilePath, ProductRowInView()};
    // The flash is about to change: what it said of the product is history.
    flashProduct_.reset();
    const OwnRunScope run(ownRunActive_);
    btnSimpleAuto_->setText(QStringLiteral("Stop"));
    // Held until this function returns, however the run ends.
    const app::KeepAwake awake(app::ProductName(lastRunFile_->row), options_.trace);
    SetProcStatus(QString(), 12, palette().color(QPalette::WindowText));
    barUpdateProgress_->setValue(0);
    barUpdateProgress_->show();

    app::PanelUpdateProgress progress(ispPage_->Progress(), lblISPProcStatus_, barUpdateProgress_);
    const image::FirmwareImage& image = context_.firmwareImage;
    const product::UpdateOutcome outcome = product::RunStoppableUpdate(
        context_.usbLink, context_.stopGate, context_.runState,
        flash::ImageView{image.Bytes(), image.ImageLength()}, context_.flash, progress, progress);
    barUpdateProgress_->hide();
    const flash::UpdateResult& result = outcome.result;
    if (outcome.stopped) {
        ShowStoppedRun(outcome);
        return;
    }
    if (flash::NotRestarted(result)) {
        ShowNotRestarted(result);
        return;
    }
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

// What the stop left: the old firmware when nothing was erased yet, else the
// chip waiting in ISP mode for "Start" to write the firmware again.
void TForm1::ShowStoppedRun(const product::UpdateOutcome& outcome) {
    btnSimpleAuto_->setText(QStringLiteral("Start"));
    btnSimpleAuto_->setEnabled(true);
    const QString what =
        outcome.eraseSent
            ? QStringLiteral(
                  "The flash was erased: the device waits in ISP mode for its "
                  "firmware. Keep it connected and press \"Start\" to write it again.")
            : QStringLiteral("Stopped before the flash was erased: the device keeps its firmware.");
    SetProcStatus(QStringLiteral("Abort Firmware update process\n") + what, 12, Qt::red);
    failurePinned_ = true;
}

// The image is in place but the product did not come back: no success yet.
// Detection goes on, so the product is found when the user plugs it in again,
// or offered "Start" once more if it comes back waiting for its firmware.
void TForm1::ShowNotRestarted(const flash::UpdateResult& result) {
    btnSimpleAuto_->setText(QStringLiteral("Start"));
    btnSimpleAuto_->setEnabled(true);
    SetProcStatus(QString::fromStdString(flash::NotRestartedMessage(result)) + '.', 12, Qt::red);
    failurePinned_ = true;
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
