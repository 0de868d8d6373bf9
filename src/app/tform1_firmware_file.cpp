// Picks the found product's update file from the current directory and loads
// it into the firmware image; a file that fails its checks never reaches the
// image, and "Start" stays disabled for it.

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include "app/tform1.h"
#include "image/hex_loader.h"
#include "product/product_table.h"
#include "product/update_file_rule.h"

namespace {

const product::ProductRow& RowOf(std::uint8_t productIndex) {
    return product::productTable[productIndex % product::kProductCount];
}

}  // namespace

void TForm1::ReadProgramFile1() {
    pages::ShellState& shell = context_.shell;
    const product::ProductRow& row = RowOf(shell.productIndex);
    const auto found =
        product::FindUpdateFile(QFile::encodeName(QDir::currentPath()).toStdString(), row);
    const QString fileName = found ? QFile::decodeName(found->filename().string().c_str())
                                   : QString::fromStdString(product::UpdateFileName(row));
    context_.programFile.programFilePath = QDir::current().absoluteFilePath(fileName);
    context_.programFile.programFileReady = true;

    const image::LoadResult result =
        image::LoadHexFile(context_.firmwareImage,
                           QFile::encodeName(context_.programFile.programFilePath).toStdString());
    switch (result.status) {
        case image::LoadStatus::Loaded:
            lblUpdaeFileStatus_->setToolTip(QString());
            SetIndicatorColour(QColor(0, 255, 0));
            lblUpdaeFileStatus_->setText(QStringLiteral("Update Hex file   ") + fileName +
                                         QStringLiteral("    is Ready!"));
            btnSimpleAuto_->setEnabled(true);
            shell.fileReady = true;
            return;
        case image::LoadStatus::Refused:
            // Say so plainly; the file is tried again on the next tick, so a
            // corrected file is picked up without a restart.
            SetIndicatorColour(QColor(255, 0, 0));
            lblUpdaeFileStatus_->setText(QStringLiteral("Update Hex file   ") + fileName +
                                         QStringLiteral("    is invalid: ") +
                                         QString::fromStdString(result.reason));
            lblUpdaeFileStatus_->setToolTip(QString::fromStdString(result.message));
            btnSimpleAuto_->setEnabled(false);
            return;
        case image::LoadStatus::NotOpened:
        case image::LoadStatus::NotRecognised:
            // A refused file that has since gone leaves no red mark behind.
            SetIndicatorColour(palette().color(QPalette::Button));
            lblUpdaeFileStatus_->setToolTip(QString());
            lblUpdaeFileStatus_->setText(QStringLiteral("No Updated File !"));
            return;
    }
}
