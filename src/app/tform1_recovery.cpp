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
    if (!state_.FlashProductKnown()) {
        const product::ProductRow* row = product::ProductInFlash(context_.usbLink);
        state_.NoteFlashProduct(row == nullptr
                                    ? std::nullopt
                                    : std::optional<std::size_t>(static_cast<std::size_t>(
                                          row - product::productTable.data())));
    }
    return state_.FlashProduct();
}

void TForm1::OfferRecovery() {
    const std::optional<app::RecoveryFile>& lastRunFile = state_.LastRunFile();
    app::RecoveryOffer& offer = state_.Recovery();
    offer.formerProduct =
        lastRunFile && lastRunFile->row ? lastRunFile->row : ProductInWaitingFlash();
    offer.askProduct = false;
    std::vector<app::RecoveryFile>& files = offer.files;
    if (!options_.updateFile.isEmpty()) {
        files = {{QFileInfo(options_.updateFile).absoluteFilePath(),
                  app::ProductOfFile(options_.updateFile)}};
    } else if (lastRunFile && QFileInfo::exists(lastRunFile->path)) {
        // The file of the run that did not finish: what the failure text told
        // the user would be offered.
        files = {*lastRunFile};
    } else {
        files = app::FindRecoveryFiles(SearchFolders());
        // The product this chip was before comes first.
        const std::optional<std::size_t> former = offer.formerProduct;
        const auto known = std::find_if(
            files.begin(), files.end(),
            [former](const app::RecoveryFile& file) { return former && file.row == former; });
        // Found files are not the chip's word: when neither its flash nor a
        // run of ours says what it was, the user says which product it is.
        // (A chip known to be another product is offered the first file, with a warning.)
        offer.askProduct = !files.empty() && !former;
        std::rotate(files.begin(), known, known == files.end() ? known : known + 1);
    }
    {
        const QSignalBlocker quiet(cbxRecoveryProduct_);
        cbxRecoveryProduct_->clear();
        for (const app::RecoveryFile& file : files)
            cbxRecoveryProduct_->addItem(app::ProductName(file.row));
        cbxRecoveryProduct_->setCurrentIndex(offer.askProduct || files.empty() ? -1 : 0);
    }
    if (!files.empty() && !offer.askProduct) {
        TakeUpdateFile(RecoveryFileToLoad(files.front()));
        return;
    }
    offer.chosen.reset();
    state_.FileLoaded(false);
    if (offer.askProduct) {
        SetFileStatus({kWaitingText + QStringLiteral(" It cannot tell which product it was: "
                                                     "choose the product in the list below, "
                                                     "or choose a file."),
                       QString(), QString(), QString()},
                      app::Indicator::Neutral);
        return;
    }
    QStringList places;
    for (const QString& folder : SearchFolders())
        places << QDir::toNativeSeparators(folder);
    const QString lookedIn = places.join(QStringLiteral("\n"));
    SetFileStatus({kWaitingText + QStringLiteral(" Choose an update file to recover it: none "
                                                 "of a product was found in:\n%2"),
                   QString(), lookedIn, lookedIn},
                  app::Indicator::Neutral);
}

void TForm1::ClearRecoveryOffer() {
    state_.ClearRecovery();
    ShowPanel();
}

void TForm1::ShowRecoveryFile(const app::RecoveryFile& file, const image::LoadResult& result) {
    if (!result.Loaded()) {
        SetFileStatus(
            {kWaitingText + QStringLiteral(" The update file %1 cannot be used: ") +
                 QString::fromStdString(result.message),
             QFileInfo(file.path).fileName(), QString(), QDir::toNativeSeparators(file.path)},
            app::Indicator::Problem);
        return;
    }
    SetFileStatus(RecoveryFileStatus(file), app::Indicator::Ready);
}

// Where a recovery file came from: given by the user, or found in a folder.
QString TForm1::RecoveryFileOrigin(const app::RecoveryFile& file) const {
    if (!options_.updateFile.isEmpty() && QFileInfo(options_.updateFile).absoluteFilePath() ==
                                              QFileInfo(file.path).absoluteFilePath())
        return givenFileOrigin_;
    return FolderOrigin(QFileInfo(file.path).absolutePath());
}

app::PanelLine TForm1::RecoveryFileStatus(const app::RecoveryFile& file) const {
    QString text =
        kWaitingText + QStringLiteral(" \"Start\" writes %1 for ") + app::ProductName(file.row);
    const std::optional<std::size_t> former = state_.Recovery().formerProduct;
    if (!former) {
        text += QStringLiteral(" (the chip cannot tell which product it was).");
    } else {
        text += QStringLiteral(".");
        if (file.row != former) {
            text += QStringLiteral(" Warning: the device was %1 before; this file is for %2.")
                        .arg(app::ProductName(former), app::ProductName(file.row));
        }
    }
    return {text + QStringLiteral("\n") + RecoveryFileOrigin(file), QFileInfo(file.path).fileName(),
            QDir::toNativeSeparators(QFileInfo(file.path).absolutePath()),
            QDir::toNativeSeparators(file.path)};
}

// Once the recovery has ended, well or not, the chip is no longer "waiting
// after an earlier update": the line names the file the run wrote.
app::PanelLine TForm1::RecoveryEndedFileStatus(const app::RecoveryFile& file) const {
    return {QStringLiteral("Update Hex file   %1    is Ready!\n") + RecoveryFileOrigin(file),
            QFileInfo(file.path).fileName(),
            QDir::toNativeSeparators(QFileInfo(file.path).absolutePath()),
            QDir::toNativeSeparators(file.path)};
}

void TForm1::cbxRecoveryProductChange(int index) {
    const std::vector<app::RecoveryFile>& files = state_.Recovery().files;
    if (index >= 0 && static_cast<std::size_t>(index) < files.size())
        TakeUpdateFile(RecoveryFileToLoad(files[static_cast<std::size_t>(index)]));
}

// The confirmation of a recovery names what is about to be written, and to
// what, since no product name is on the panel's device line.
QString TForm1::RecoveryConfirmationNote() const {
    const app::RecoveryOffer& offer = state_.Recovery();
    if (!offer.chosen)
        return {};
    QString text =
        QStringLiteral("\n\nFile: %1\nProduct: %2")
            .arg(QDir::toNativeSeparators(offer.chosen->path), app::ProductName(offer.chosen->row));
    if (offer.formerProduct && offer.chosen->row != offer.formerProduct)
        text += QStringLiteral("\nThe device was %1 before.")
                    .arg(app::ProductName(offer.formerProduct));
    return text;
}

// After a recovery the chip restarts as the product: find it as a search
// would, so the panel names it (detection stops after a success).
void TForm1::FindReturnedProduct() {
    std::vector<std::size_t> rows;
    const std::optional<app::RecoveryFile>& chosen = state_.Recovery().chosen;
    if (chosen && chosen->row)
        rows.push_back(*chosen->row);
    for (std::size_t row = 0; row < product::kProductCount; ++row)
        rows.push_back(row);
    for (const std::size_t row : rows) {
        const std::optional<product::ListedDevice> found =
            product::FindProductRow(context_.usbLink, state_.Detection(), row);
        if (found) {
            lblDetectDevice_->setText(QString::fromStdString(product::DetectionText(found)));
            return;
        }
    }
}
