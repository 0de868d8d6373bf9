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
    std::vector<app::RecoveryFile>& files = offer.files;
    if (!options_.updateFile.isEmpty()) {
        files = {{QFileInfo(options_.updateFile).absoluteFilePath(),
                  app::ProductOfFile(options_.updateFile)}};
    } else if (lastRunFile && QFileInfo::exists(lastRunFile->path)) {
        // The file of the run that did not finish: what the failure text told
        // the user would be offered.
        files = {*lastRunFile};
    } else {
        files = app::FindRecoveryFiles(app::UpdateFileFolders(options_.secondFolder));
        // The product this chip was before comes first.
        const std::optional<std::size_t> former = offer.formerProduct;
        const auto known = std::find_if(
            files.begin(), files.end(),
            [former](const app::RecoveryFile& file) { return former && file.row == former; });
        std::rotate(files.begin(), known, known == files.end() ? known : known + 1);
    }
    {
        const QSignalBlocker quiet(cbxRecoveryProduct_);
        cbxRecoveryProduct_->clear();
        for (const app::RecoveryFile& file : files)
            cbxRecoveryProduct_->addItem(app::ProductName(file.row));
    }
    cbxRecoveryProduct_->setVisible(files.size() > 1);
    btnChooseFile_->setVisible(files.empty());
    if (!files.empty()) {
        TakeUpdateFile(RecoveryFileToLoad(files.front()));
        return;
    }
    offer.chosen.reset();
    state_.FileLoaded(false);
    ShowStartButton();
    QStringList places;
    for (const QString& folder : app::UpdateFileFolders(options_.secondFolder))
        places << QDir::toNativeSeparators(folder);
    SetFileStatus(kWaitingText + QStringLiteral(" No update file of a product was found in %1; "
                                                "choose one to recover it.")
                                     .arg(places.join(QStringLiteral(" or "))));
}

void TForm1::ClearRecoveryOffer() {
    state_.ClearRecovery();
    cbxRecoveryProduct_->hide();
    btnChooseFile_->hide();
}

void TForm1::ShowRecoveryFile(const app::RecoveryFile& file, const image::LoadResult& result) {
    if (!result.Loaded()) {
        SetIndicatorColour(QColor(255, 0, 0),
                           QStringLiteral("Chip waiting for its firmware, update file unusable"));
        SetFileStatus(kWaitingText + QStringLiteral(" The update file %1 cannot be used: %2")
                                         .arg(QFileInfo(file.path).fileName(),
                                              QString::fromStdString(result.message)));
        return;
    }
    SetIndicatorColour(QColor(0, 255, 0),
                       QStringLiteral("Chip waiting for its firmware, update file ready"));
    SetFileStatus(RecoveryFileStatus(file));
}

QString TForm1::RecoveryFileStatus(const app::RecoveryFile& file) const {
    QString text =
        kWaitingText + QStringLiteral(" \"Start\" writes %1 for %2.")
                           .arg(QFileInfo(file.path).fileName(), app::ProductName(file.row));
    const std::optional<std::size_t> former = state_.Recovery().formerProduct;
    if (former && file.row != former) {
        text += QStringLiteral(" Warning: the device was %1 before; this file is for %2.")
                    .arg(app::ProductName(former), app::ProductName(file.row));
    }
    return text;
}

void TForm1::cbxRecoveryProductChange(int index) {
    const std::vector<app::RecoveryFile>& files = state_.Recovery().files;
    if (index >= 0 && static_cast<std::size_t>(index) < files.size())
        TakeUpdateFile(RecoveryFileToLoad(files[static_cast<std::size_t>(index)]));
}

void TForm1::btnChooseFileClick() {
    // Not while a run holds the link: it writes the image being loaded here.
    if (context_.runState.LinkBusy())
        return;
    const QString path = chooseFile_(this, pages::OpenBinFileDialog());
    if (path.isEmpty())
        return;
    const app::RecoveryFile file{QFileInfo(path).absoluteFilePath(), app::ProductOfFile(path)};
    state_.Recovery().files = {file};
    TakeUpdateFile(RecoveryFileToLoad(file));
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
