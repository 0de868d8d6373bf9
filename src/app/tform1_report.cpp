// A report to attach to a bug report: every run's requests are kept in
// memory, whether or not a trace file was asked for; after a run that did not
// succeed, "Save report…" writes the last run's requests under a short header
// to a file the user chooses.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "app/tform1.h"
#include "flash/flash_state.h"
#include "flash/update_result.h"
#include "image/firmware_image.h"
#include "image/sha256.h"
#include "pages/accessible.h"
#include "pages/handler_guard.h"
#include "product/flash_part.h"
#include "product/run_report.h"
#include "product/stoppable_update.h"
#include "usb/quorvex_usb.h"
#include "usb/ring_trace.h"
#include "usb/tee_trace.h"

namespace {

pages::FileDialogSetup SaveReportDialog() {
    return {QStringLiteral("SaveReportDialog"), QStringLiteral("txt"),
            QStringLiteral("Text File (*.txt)"), true};
}

// The words the command line's JSON result uses for the same ends.
const char* OutcomeName(app::RunEnd end) {
    switch (end) {
        case app::RunEnd::Succeeded:
            return "success";
        case app::RunEnd::Stopped:
            return "interrupted";
        case app::RunEnd::NotRestarted:
            return "not_restarted";
        case app::RunEnd::Failed:
            break;
    }
    return "failed";
}

}  // namespace

// The link's lines go to the memory and, when one was asked for, to the
// trace file as well.
void TForm1::SetUpRunTrace() {
    runTrace_ = std::make_unique<usb::RingTrace>();
    linkTrace_ = std::make_unique<usb::TeeTrace>(runTrace_.get(), options_.trace);
    context_.usbLink.SetTrace(linkTrace_.get());
}

usb::RequestTrace* TForm1::LinkTrace() const {
    return linkTrace_.get();
}

void TForm1::CreateReportControls() {
    btnSaveReport_ = new QPushButton(QStringLiteral("Save report\u2026"), pnlUSB_);
    btnSaveReport_->setObjectName(QStringLiteral("btnSaveReport"));
    pages::SetAccessibleTexts(btnSaveReport_, QStringLiteral("Save report"),
                              QStringLiteral("Saves the last update's device requests under a "
                                             "short summary to a file, to attach to a bug report"));
    btnSaveReport_->hide();
    connect(btnSaveReport_, &QPushButton::clicked, this,
            pages::Guarded([this] { btnSaveReportClick(); }));
}

// What the report says of the run is taken as it starts: the image and the
// file are the ones written, whatever is loaded afterwards.
void TForm1::BeginRunReport(const app::RecoveryFile& file) {
    runTrace_->BeginRun();
    btnSaveReport_->hide();
    report_ = std::make_unique<product::ReportHeader>();
    report_->tool = std::string("palereed-update-tool ") + PALEREED_VERSION;
    report_->product = app::ProductName(file.row).toStdString();
    report_->file = QFileInfo(file.path).fileName().toStdString();
    const image::FirmwareImage& image = context_.firmwareImage;
    report_->sha256 = image::Sha256Hex(image.Defined());
}

void TForm1::EndRunReport(const flash::UpdateResult& result, app::RunEnd end) {
    runTrace_->EndRun();
    // An identification that failed leaves the part of an earlier run in the
    // flash state: it is not this run's.
    const bool identified = result.failedStep != flash::UpdateStep::Identify &&
                            context_.flash.chipId != chip::ChipIdBytes{};
    report_->flashPart = identified ? product::DescribeFlash(context_.flash.chipId, 0).model : "";
    report_->outcome = OutcomeName(end);
    if (end == app::RunEnd::Failed)
        report_->failure = product::FailurePlaceOf(result);
    report_->message = lblISPProcStatus_->text().toStdString();
    btnSaveReport_->setVisible(end != app::RunEnd::Succeeded);
}

// "Step: programming   Address: 0x001240   Cause: reads 0x00, expected 0x5C"
QString TForm1::FailurePlaceText(const flash::UpdateResult& result) {
    const std::optional<product::FailurePlace> place = product::FailurePlaceOf(result);
    if (!place)
        return {};
    QString text = QStringLiteral("Step: %1").arg(QString::fromStdString(place->step));
    if (place->address)
        text += QStringLiteral("   Address: %1")
                    .arg(QString::fromStdString(product::AddressText(*place->address)));
    if (!place->cause.empty())
        text += QStringLiteral("   Cause: %1").arg(QString::fromStdString(place->cause));
    return text;
}

void TForm1::btnSaveReportClick() {
    if (!report_)
        return;
    const QString path = chooseFile_(this, SaveReportDialog());
    if (path.isEmpty())
        return;
    const std::string error =
        product::WriteReport(QFile::encodeName(path).toStdString(), *report_, runTrace_->LastRun(),
                             runTrace_->LastRunDropped());
    if (error.empty()) {
        btnSaveReport_->setToolTip(
            QStringLiteral("Saved to %1").arg(QDir::toNativeSeparators(path)));
        return;
    }
    QMessageBox::warning(this, QStringLiteral("Warning"),
                         QStringLiteral("The report could not be saved to %1: %2")
                             .arg(QDir::toNativeSeparators(path), QString::fromStdString(error)));
}
