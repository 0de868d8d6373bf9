// The window's one way to take an update file, whoever asks for it (the
// detection, the ISP page, a drop, a recovery offer, "Choose file…"): find
// it, load it into the firmware image, show it on the panel.

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

// The found product's file: the one given (on the command line or dropped),
// else the product's update file from the folders searched.
TForm1::FileToLoad TForm1::FindProductFile() const {
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
    FileToLoad file;
    file.shownName = given   ? QFileInfo(options_.updateFile).fileName()
                     : found ? QFile::decodeName(found->filename().string().c_str())
                             : QString::fromStdString(product::UpdateFileName(row));
    file.path = given ? options_.updateFile : QDir(folder).absoluteFilePath(file.shownName);
    // A file given to the window may be a binary image too.
    file.anyKind = given;
    file.lookedIn = LookedIn(options_.updateFile, folders);
    return file;
}

TForm1::FileToLoad TForm1::RecoveryFileToLoad(const app::RecoveryFile& recovery) {
    FileToLoad file;
    file.path = recovery.path;
    file.shownName = QFileInfo(recovery.path).fileName();
    file.anyKind = true;
    file.recovery = recovery;
    return file;
}

// A file that fails its checks never reaches the image; whatever was loaded
// before is then not the device's file as it stands now, and "Start" waits.
image::LoadResult TForm1::LoadUpdateFile(const FileToLoad& file) {
    context_.programFile.programFilePath = file.path;
    context_.programFile.programFileReady = true;
    const std::string path = QFile::encodeName(file.path).toStdString();
    image::LoadResult result = file.anyKind ? image::LoadFirmwareFile(context_.firmwareImage, path)
                                            : image::LoadHexFile(context_.firmwareImage, path);
    state_.FileLoaded(result.Loaded());
    if (file.recovery)
        state_.Recovery().chosen = result.Loaded() ? file.recovery : std::nullopt;
    return result;
}

void TForm1::ShowUpdateFile(const FileToLoad& file, const image::LoadResult& result) {
    if (file.recovery)
        ShowRecoveryFile(*file.recovery, result);
    else
        ShowProductFile(file, result);
    ShowStartButton();
}

void TForm1::ShowProductFile(const FileToLoad& file, const image::LoadResult& result) {
    switch (result.status) {
        case image::LoadStatus::Loaded:
            SetIndicatorColour(QColor(0, 255, 0),
                               QStringLiteral("Device connected, update file ready"));
            SetFileStatus(QStringLiteral("Update Hex file   ") + file.shownName +
                          QStringLiteral("    is Ready!"));
            return;
        case image::LoadStatus::Refused:
            // Say so plainly; the file is tried again on the next tick, so a
            // corrected file is picked up without a restart.
            SetIndicatorColour(QColor(255, 0, 0),
                               QStringLiteral("Device connected, update file invalid"));
            SetFileStatus(QStringLiteral("Update Hex file   ") + file.shownName +
                              QStringLiteral("    is invalid: ") +
                              QString::fromStdString(result.reason),
                          QString::fromStdString(result.message));
            return;
        case image::LoadStatus::NotOpened:
            // There, but no file to read (a folder, a FIFO, no permission):
            // said with its reason, as the command line says it, not as missing.
            if (QFileInfo::exists(file.path)) {
                SetIndicatorColour(QColor(255, 0, 0),
                                   QStringLiteral("Device connected, update file unreadable"));
                SetFileStatus(QStringLiteral("Update Hex file   ") + file.shownName +
                                  QStringLiteral("    cannot be read: ") +
                                  QString::fromStdString(result.reason),
                              QString::fromStdString(result.message));
                return;
            }
            [[fallthrough]];
        case image::LoadStatus::NotRecognised:
            // A refused file that has since gone leaves no red mark behind.
            SetIndicatorColour(palette().color(QPalette::Button), QStringLiteral("No update file"));
            SetFileStatus(QStringLiteral("No Updated File !   Looked for %1 in %2")
                              .arg(file.shownName, file.lookedIn));
            return;
    }
}

void TForm1::TakeUpdateFile(const FileToLoad& file) {
    ShowUpdateFile(file, LoadUpdateFile(file));
}

void TForm1::LoadProductFile() {
    TakeUpdateFile(FindProductFile());
}

void TForm1::SetFileStatus(const QString& text, const QString& toolTip) {
    lblUpdaeFileStatus_->setText(text);
    // A tool tip belongs to the text it explains and goes with it.
    lblUpdaeFileStatus_->setToolTip(toolTip);
}
