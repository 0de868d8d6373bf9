// Recovery of a chip that an interrupted update left waiting in ISP mode: the
// panel offers the update file to write (the one the failed run used, the
// one given on the command line, the product files present, or one the user
// picks), and the one-button update then brings the product back.

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

#include "app/tform1.h"
#include "catalog/product_table.h"
#include "image/firmware_file.h"
#include "product/detection.h"
#include "product/run_state.h"
#include "product/table_product.h"
#include "usb/quorvex_usb.h"

namespace {

const QString kWaitingText =
    QStringLiteral("A device is waiting for its firmware: an earlier update did not finish.");

}  // namespace

// An update cut short after its parameter table was programmed leaves the
// product's VID and PID in the flash: the chip then still tells what it was.
// Read once while the chip stays connected.
std::optional<std::size_t> TForm1::ProductInWaitingFlash() {
    if (!flashProduct_) {
        const product::ProductRow* row = product::ProductInFlash(context_.usbLink);
        flashProduct_ = row == nullptr ? std::nullopt
                                       : std::optional<std::size_t>(static_cast<std::size_t>(
                                             row - product::productTable.data()));
    }
    return *flashProduct_;
}

void TForm1::OfferRecovery() {
    formerProduct_ =
        lastRunFile_ && lastRunFile_->row ? lastRunFile_->row : ProductInWaitingFlash();
    if (!options_.updateFile.isEmpty()) {
        recoveryFiles_ = {{QFileInfo(options_.updateFile).absoluteFilePath(),
                           app::ProductOfFile(options_.updateFile)}};
    } else if (lastRunFile_ && QFileInfo::exists(lastRunFile_->path)) {
        // The file of the run that did not finish: what the failure text told
        // the user would be offered.
        recoveryFiles_ = {*lastRunFile_};
    } else {
        recoveryFiles_ = app::FindRecoveryFiles(app::UpdateFileFolders(options_.secondFolder));
        // The product this chip was before comes first.
        const auto known = std::find_if(recoveryFiles_.begin(), recoveryFiles_.end(),
                                        [this](const app::RecoveryFile& file) {
                                            return formerProduct_ && file.row == formerProduct_;
                                        });
        std::rotate(recoveryFiles_.begin(), known,
                    known == recoveryFiles_.end() ? known : known + 1);
    }
    {
        const QSignalBlocker quiet(cbxRecoveryProduct_);
        cbxRecoveryProduct_->clear();
        for (const app::RecoveryFile& file : recoveryFiles_)
            cbxRecoveryProduct_->addItem(app::ProductName(file.row));
    }
    cbxRecoveryProduct_->setVisible(recoveryFiles_.size() > 1);
    btnChooseFile_->setVisible(recoveryFiles_.empty());
    if (!recoveryFiles_.empty()) {
        LoadRecoveryFile(recoveryFiles_.front());
        return;
    }
    recoveryFile_.reset();
    context_.shell.fileReady = false;
    btnSimpleAuto_->setEnabled(false);
    QStringList places;
    for (const QString& folder : app::UpdateFileFolders(options_.secondFolder))
        places << QDir::toNativeSeparators(folder);
    SetFileStatus(kWaitingText + QStringLiteral(" No update file of a product was found in %1; "
                                                "choose one to recover it.")
                                     .arg(places.join(QStringLiteral(" or "))));
}

void TForm1::ClearRecoveryOffer() {
    recoveryFiles_.clear();
    recoveryFile_.reset();
    cbxRecoveryProduct_->hide();
    btnChooseFile_->hide();
}

void TForm1::LoadRecoveryFile(const app::RecoveryFile& file) {
    pages::ShellState& shell = context_.shell;
    context_.programFile.programFilePath = file.path;
    context_.programFile.programFileReady = true;
    const image::LoadResult result =
        image::LoadFirmwareFile(context_.firmwareImage, QFile::encodeName(file.path).toStdString());
    if (!result.Loaded()) {
        recoveryFile_.reset();
        shell.fileReady = false;
        btnSimpleAuto_->setEnabled(false);
        SetIndicatorColour(QColor(255, 0, 0));
        SetFileStatus(kWaitingText + QStringLiteral(" The update file %1 cannot be used: %2")
                                         .arg(QFileInfo(file.path).fileName(),
                                              QString::fromStdString(result.message)));
        return;
    }
    recoveryFile_ = file;
    shell.fileReady = true;
    SetIndicatorColour(QColor(0, 255, 0));
    SetFileStatus(RecoveryFileStatus(file));
    btnSimpleAuto_->setEnabled(context_.usbLink.LastOpenStatus() !=
                               usb::OpenStatus::PermissionDenied);
}

QString TForm1::RecoveryFileStatus(const app::RecoveryFile& file) const {
    QString text =
        kWaitingText + QStringLiteral(" \"Start\" writes %1 for %2.")
                           .arg(QFileInfo(file.path).fileName(), app::ProductName(file.row));
    if (formerProduct_ && file.row != formerProduct_) {
        text += QStringLiteral(" Warning: the device was %1 before; this file is for %2.")
                    .arg(app::ProductName(formerProduct_), app::ProductName(file.row));
    }
    return text;
}

void TForm1::cbxRecoveryProductChange(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < recoveryFiles_.size())
        LoadRecoveryFile(recoveryFiles_[static_cast<std::size_t>(index)]);
}

void TForm1::btnChooseFileClick() {
    // Not while a run holds the link: it writes the image being loaded here.
    if (context_.runState.LinkBusy())
        return;
    const QString path = chooseFile_(this, pages::OpenBinFileDialog());
    if (path.isEmpty())
        return;
    const app::RecoveryFile file{QFileInfo(path).absoluteFilePath(), app::ProductOfFile(path)};
    recoveryFiles_ = {file};
    LoadRecoveryFile(file);
}

// The confirmation of a recovery names what is about to be written, and to
// what, since no product name is on the panel's device line.
QString TForm1::RecoveryConfirmationNote() const {
    if (!recoveryFile_)
        return {};
    QString text = QStringLiteral("\n\nFile: %1\nProduct: %2")
                       .arg(QDir::toNativeSeparators(recoveryFile_->path),
                            app::ProductName(recoveryFile_->row));
    if (formerProduct_ && recoveryFile_->row != formerProduct_)
        text += QStringLiteral("\nThe device was %1 before.").arg(app::ProductName(formerProduct_));
    return text;
}

// After a recovery the chip restarts as the product: find it as a search
// would, so the panel names it (detection stops after a success).
void TForm1::FindReturnedProduct() {
    std::vector<std::size_t> rows;
    if (recoveryFile_ && recoveryFile_->row)
        rows.push_back(*recoveryFile_->row);
    for (std::size_t row = 0; row < product::kProductCount; ++row)
        rows.push_back(row);
    for (const std::size_t row : rows) {
        const std::optional<product::ListedDevice> found =
            product::FindProductRow(context_.usbLink, context_.shell.detection, row);
        if (found) {
            lblDetectDevice_->setText(QString::fromStdString(product::DetectionText(found)));
            return;
        }
    }
}
