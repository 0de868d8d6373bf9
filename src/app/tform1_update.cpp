// The one-button update of the device panel.

#include <QCheckBox>
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

const char* const kChangedOnlyText =
    "Update only what changed (reads the flash first, then rewrites only the sectors that "
    "differ)";

const char* const kStopQuestion =
    "Stop the firmware update?\n\nBefore the flash is erased the device keeps its firmware. "
    "After that it waits in ISP mode until \"Start\" writes the firmware again: keep it "
    "connected.";

// Marks the window's own run for as long as it lasts: only that run's button
// is its stop button. A run left by an exception ends as failed.
class OwnRunScope {
public:
    OwnRunScope(app::UpdatePanelState& state, const app::RecoveryFile& file) : state_(state) {
        state_.StartRun(file);
    }
    ~OwnRunScope() {
        if (state_.OwnRunActive())
            state_.EndRun(app::RunEnd::Failed);
    }
    OwnRunScope(const OwnRunScope&) = delete;
    OwnRunScope& operator=(const OwnRunScope&) = delete;

private:
    app::UpdatePanelState& state_;
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
    if (box.exec() != QMessageBox::Yes || !context_.runState.Running() || !state_.AskStop())
        return;
    // The device link's stop gate refuses the run's next request.
    context_.runState.AskStop();
    ShowPanel();  // off until the run has ended at that request
}

void TForm1::btnSimpleAutoClick() {
    product::RunState& runState = context_.runState;
    // A click while this window's run goes on is a stop click; it shows
    // "Stop" on the button then.
    if (state_.OwnRunActive()) {
        if (!state_.StopAsked())
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
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"),
                    QString::fromLatin1(kWarningText) + RecoveryConfirmationNote() + mismatch,
                    QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(mismatch.isEmpty() ? QMessageBox::Ok : QMessageBox::Cancel);
    // Off each time: the whole erase and write stays what "Start" does.
    box.setCheckBox(new QCheckBox(QString::fromLatin1(kChangedOnlyText)));
    if (box.exec() != QMessageBox::Ok) {
        SetProcStatus(app::MessageKind::Cancelled, QStringLiteral("Abort Firmware update process"),
                      16, Qt::red);
        return;
    }
    asking.reset();  // the run takes the link over
    RunOneButtonUpdate(box.checkBox()->isChecked() ? flash::UpdateMode::ChangedOnly
                                                   : flash::UpdateMode::Full);
}

// Whether the loaded file is firmware for the product it is about to
// replace: the product found, or for the bare chip the one its flash was last
// written for. Empty when it is.
QString TForm1::FileMismatchNote() const {
    const std::optional<product::ListedDevice> found =
        product::FoundDevice(context_.usbLink, state_.Detection());
    const bool bareChip = found && found->mode == product::DeviceMode::Isp;
    const std::optional<std::size_t> former = state_.Recovery().formerProduct;
    const std::optional<app::RecoveryFile>& chosen = state_.Recovery().chosen;
    const product::ProductRow* product = bareChip
                                             ? (former ? &product::productTable[*former] : nullptr)
                                             : &product::productTable[ProductRowInView()];
    const image::FirmwareImage& image = context_.firmwareImage;
    const QString path = chosen ? chosen->path : context_.programFile.programFilePath;
    const std::string text = product::FileMismatchText(
        product::CheckFileFor(image.Defined(), product), QFileInfo(path).fileName().toStdString(),
        product, bareChip ? product::DeviceKnownBy::ItsFlash : product::DeviceKnownBy::ItsIdentity);
    if (text.empty())
        return {};
    return QStringLiteral("\n\nThis file may not be meant for this device: %1.")
        .arg(QString::fromStdString(text));
}

void TForm1::RunOneButtonUpdate(flash::UpdateMode mode) {
    const std::optional<app::RecoveryFile> chosen = state_.Recovery().chosen;
    const bool recovering = chosen.has_value();
    // The flash is about to change: what it said of the product is history.
    const OwnRunScope run(
        state_, recovering
                    ? *chosen
                    : app::RecoveryFile{context_.programFile.programFilePath, ProductRowInView()});
    barUpdateProgress_->setValue(0);
    ShowPanel();
    DrawMessage();  // the last run's words go; this run writes its own
    BeginRunReport(*state_.LastRunFile());
    // Held until this function returns, however the run ends.
    const app::KeepAwake awake(app::ProductName(state_.LastRunFile()->row), LinkTrace());

    app::PanelUpdateProgress progress(ispPage_->Progress(), lblISPProcStatus_, barUpdateProgress_);
    const image::FirmwareImage& image = context_.firmwareImage;
    const product::UpdateOutcome outcome =
        product::RunStoppableUpdate(context_.usbLink, context_.stopGate, context_.runState,
                                    flash::ImageView{image.Bytes(), image.ImageLength()},
                                    context_.flash, progress, progress, mode);
    const flash::UpdateResult& result = outcome.result;
    const app::RunEnd end = outcome.stopped               ? app::RunEnd::Stopped
                            : flash::NotRestarted(result) ? app::RunEnd::NotRestarted
                            : result.succeeded            ? app::RunEnd::Succeeded
                                                          : app::RunEnd::Failed;
    state_.EndRun(end);
    // The replayed device refused a request the recording does not hold:
    // where the run parted from the recording is the news, not the failed
    // step it led to.
    if (const std::string stop = options_.replayStop ? options_.replayStop() : std::string();
        !stop.empty()) {
        ShowPanel();
        SetProcStatus(app::MessageKind::Failed, QString::fromStdString(stop), 12, Qt::red);
    } else {
        ShowRunEnd(outcome, end, recovering, chosen);
    }
    EndRunReport(result, end);
}

void TForm1::ShowRunEnd(const product::UpdateOutcome& outcome, app::RunEnd end, bool recovering,
                        const std::optional<app::RecoveryFile>& chosen) {
    const flash::UpdateResult& result = outcome.result;
    // The recovery has ended, well or not: its wording goes with it.
    if (recovering)
        SetFileStatus(RecoveryEndedFileStatus(*chosen), app::Indicator::Ready);
    ShowPanel();
    if (end == app::RunEnd::Stopped) {
        ShowStoppedRun(outcome);
        return;
    }
    if (end == app::RunEnd::NotRestarted) {
        ShowNotRestarted(result);
        return;
    }
    if (end == app::RunEnd::Succeeded) {
        // A closing step that did not work out is said beside the success.
        const std::string note = flash::UpdateSuccessNote(result);
        SetProcStatus(
            app::MessageKind::Succeeded,
            (result.alreadyUpToDate
                 ? QStringLiteral("Firmware already up to date: nothing was written.")
                 : QStringLiteral("Firmware update success!")) +
                (note.empty() ? QString() : QStringLiteral("\n") + QString::fromStdString(note)),
            16, Qt::blue);
        if (recovering) {
            FindReturnedProduct();
            ClearRecoveryOffer();
        }
        return;
    }
    ShowRunFailure(result);
}

// What the stop left: the old firmware when nothing was erased yet, else the
// chip waiting in ISP mode for "Start" to write the firmware again.
void TForm1::ShowStoppedRun(const product::UpdateOutcome& outcome) {
    const QString what =
        outcome.eraseSent
            ? QStringLiteral(
                  "The flash was erased: the device waits in ISP mode for its "
                  "firmware. Keep it connected and press \"Start\" to write it again.")
            : QStringLiteral("Stopped before the flash was erased: the device keeps its firmware.");
    SetProcStatus(app::MessageKind::Failed,
                  QStringLiteral("Abort Firmware update process\n") + what, 12, Qt::red);
}

// The image is in place but the product did not come back: no success yet.
// Detection goes on, so the product is found when the user plugs it in again,
// or offered "Start" once more if it comes back waiting for its firmware.
void TForm1::ShowNotRestarted(const flash::UpdateResult& result) {
    SetProcStatus(app::MessageKind::Failed,
                  QString::fromStdString(flash::NotRestartedMessage(result)) + '.', 12, Qt::red);
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
                    .arg(QFileInfo(state_.LastRunFile()->path).fileName());
    }
    // Where and why, for a bug report or a call to the maker.
    if (const QString place = FailurePlaceText(result); !place.isEmpty())
        text += QStringLiteral("\n") + place;
    SetProcStatus(app::MessageKind::Failed, text, 12, Qt::red);
}
