// Picks the found product's update file from the current directory and loads
// it into the firmware image; a file that fails its checks never reaches the
// image, and "Start" stays disabled for it.

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <filesystem>
#include <optional>

#include "app/tform1.h"
#include "catalog/product_table.h"
#include "catalog/update_file_rule.h"
#include "image/firmware_file.h"
#include "image/hex_loader.h"
#include "usb/quorvex_usb.h"

namespace {

// Where the panel says it looked: the given file's folder, or every folder searched.
QString LookedIn(const QString& givenFile, const QStringList& folders) {
    if (!givenFile.isEmpty())
        return QDir::toNativeSeparators(QFileInfo(givenFile).absolutePath());
    QStringList shown;
    for (const QString& folder : folders)
        shown << QDir::toNativeSeparators(folder);
    return shown.join(QStringLiteral(" and "));
}

}  // namespace

void TForm1::ReadProgramFile1() {
    const product::ProductRow& row = product::productTable[ProductRowInView()];
    const bool given = !options_.updateFile.isEmpty();
    // The current folder first, then the tool's own (unpacked with its file).
    const QStringList folders = app::UpdateFileFolders(options_.secondFolder);
    QString folder = folders.front();
    std::optional<std::filesystem::path> found;
    for (const QString& place : folders) {
        found = product::FindUpdateFile(QFile::encodeName(place).toStdString(), row);
        if (found) {
            folder = place;
            break;
        }
    }
    const QString fileName = given   ? QFileInfo(options_.updateFile).fileName()
                             : found ? QFile::decodeName(found->filename().string().c_str())
                                     : QString::fromStdString(product::UpdateFileName(row));
    context_.programFile.programFilePath =
        given ? options_.updateFile : QDir(folder).absoluteFilePath(fileName);
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
            state_.FileLoaded(true);
            ShowStartButton();
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
            // There, but no file to read (a folder, a FIFO, no permission):
            // said with its reason, as the command line says it, not as missing.
            if (QFileInfo::exists(context_.programFile.programFilePath)) {
                SetIndicatorColour(QColor(255, 0, 0));
                SetFileStatus(QStringLiteral("Update Hex file   ") + fileName +
                                  QStringLiteral("    cannot be read: ") +
                                  QString::fromStdString(result.reason),
                              QString::fromStdString(result.message));
                break;
            }
            [[fallthrough]];
        case image::LoadStatus::NotRecognised:
            // A refused file that has since gone leaves no red mark behind.
            SetIndicatorColour(palette().color(QPalette::Button));
            SetFileStatus(QStringLiteral("No Updated File !   Looked for %1 in %2")
                              .arg(fileName, LookedIn(options_.updateFile, folders)));
            break;
    }
    // Whatever was loaded before is not this product's file as it stands now:
    // "Start" waits, and the next tick tries the file again.
    state_.FileLoaded(false);
    ShowStartButton();
}

void TForm1::SetFileStatus(const QString& text, const QString& toolTip) {
    lblUpdaeFileStatus_->setText(text);
    // A tool tip belongs to the text it explains and goes with it.
    lblUpdaeFileStatus_->setToolTip(toolTip);
}
