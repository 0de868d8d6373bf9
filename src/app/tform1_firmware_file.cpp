// Picks the found product's update file from the current directory and loads
// it into the firmware image; a file that fails its checks never reaches the
// image, and "Start" stays disabled for it.

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include "app/tform1.h"
#include "image/firmware_file.h"
#include "image/hex_loader.h"
#include "product/product_table.h"
#include "product/update_file_rule.h"
#include "usb/quorvex_usb.h"

namespace {

const product::ProductRow& RowOf(std::uint8_t productIndex) {
    return product::productTable[productIndex % product::kProductCount];
}

}  // namespace

void TForm1::ReadProgramFile1() {
    pages::ShellState& shell = context_.shell;
    const product::ProductRow& row = RowOf(shell.productIndex);
    const bool given = !options_.updateFile.isEmpty();
    const auto found =
        product::FindUpdateFile(QFile::encodeName(QDir::currentPath()).toStdString(), row);
    const QString fileName = given   ? QFileInfo(options_.updateFile).fileName()
                             : found ? QFile::decodeName(found->filename().string().c_str())
                                     : QString::fromStdString(product::UpdateFileName(row));
    context_.programFile.programFilePath =
        given ? options_.updateFile : QDir::current().absoluteFilePath(fileName);
    context_.programFile.programFileReady = true;

    // A file given to the window may be a binary image too.
    const std::string path = QFile::encodeName(context_.programFile.programFilePath).toStdString();
    const image::LoadResult result = given ? image::LoadFirmwareFile(context_.firmwareImage, path)
                                           : image::LoadHexFile(context_.firmwareImage, path);
    switch (result.status) {
        case image::LoadStatus::Loaded:
            SetIndicatorColour(QColor(0, 255, 0));
            SetFileStatus(QStringLiteral("Update Hex file   ") + fileName +
                          QStringLiteral("    is Ready!"));
            // A device the user may not open keeps "Start" off whatever its file.
            btnSimpleAuto_->setEnabled(context_.usbLink.LastOpenStatus() !=
                                       usb::OpenStatus::PermissionDenied);
            shell.fileReady = true;
            return;
        case image::LoadStatus::Refused:
            // Say so plainly; the file is tried again on the next tick, so a
            // corrected file is picked up without a restart.
            SetIndicatorColour(QColor(255, 0, 0));
            SetFileStatus(QStringLiteral("Update Hex file   ") + fileName +
                              QStringLiteral("    is invalid: ") +
                              QString::fromStdString(result.reason),
                          QString::fromStdString(result.message));
            break;
        case image::LoadStatus::NotOpened:
        case image::LoadStatus::NotRecognised:
            // A refused file that has since gone leaves no red mark behind.
            SetIndicatorColour(palette().color(QPalette::Button));
            SetFileStatus(QStringLiteral("No Updated File !   Looked for %1 in %2")
                              .arg(fileName, QDir::toNativeSeparators(QDir::currentPath())));
            break;
    }
    // Whatever was loaded before is not this product's file as it stands now:
    // "Start" waits, and the next tick tries the file again.
    shell.fileReady = false;
    btnSimpleAuto_->setEnabled(false);
}

void TForm1::SetFileStatus(const QString& text, const QString& toolTip) {
    lblUpdaeFileStatus_->setText(text);
    // A tool tip belongs to the text it explains and goes with it.
    lblUpdaeFileStatus_->setToolTip(toolTip);
}
