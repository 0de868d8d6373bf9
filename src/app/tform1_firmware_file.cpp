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
#include "product/run_state.h"
#include "usb/quorvex_usb.h"

namespace {

// Where the panel says it looked: the given file's folder, or every folder searched.
QString LookedIn(const QString& givenFile, const QStringList& folders) {
    if (!givenFile.isEmpty())
        return QDir::toNativeSeparators(QFileInfo(givenFile).absolutePath());
    QStringList shown;
    for (const QString& folder : folders)
        shown << QDir::toNativeSeparators(folder);
    // One folder a line: each is elided on its own, and none hides another.
    return shown.join(QStringLiteral("\n"));
}

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

}  // namespace

QStringList TForm1::SearchFolders() const {
    // The current folder first, then the tool's own (unpacked with its file),
    // then the download folder (fetched from the maker's site).
    return app::UpdateFileFolders({options_.secondFolder, options_.downloadFolder});
}

// The file line's second line: where the file in use came from.
QString TForm1::FolderOrigin(const QString& folder) const {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    const auto same = [&canonical](const QString& other) {
        return !other.isEmpty() && QFileInfo(other).canonicalFilePath() == canonical;
    };
    if (same(QDir::currentPath()))
        return QStringLiteral("From the current folder: %2");
    if (same(options_.downloadFolder))
        return QStringLiteral("From the download folder: %2");
    if (same(options_.secondFolder))
        return QStringLiteral("From the tool's own folder: %2");
    return QStringLiteral("From %2");
}

// The found product's file: the one given (on the command line or dropped),
// else the product's update file from the folders searched.
TForm1::FileToLoad TForm1::FindProductFile() const {
    const product::ProductRow& row = product::productTable[ProductRowInView()];
    const bool given = !options_.updateFile.isEmpty();
    const QStringList folders = SearchFolders();
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
    file.origin = given ? givenFileOrigin_ : FolderOrigin(folder);
    return file;
}

TForm1::FileToLoad TForm1::RecoveryFileToLoad(const app::RecoveryFile& recovery) {
    FileToLoad file;
    file.path = recovery.path;
    file.shownName = QFileInfo(recovery.path).fileName();
    file.anyKind = true;
    file.recovery = recovery;
    file.lookedIn = QDir::toNativeSeparators(QFileInfo(recovery.path).absolutePath());
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
}

void TForm1::ShowProductFile(const FileToLoad& file, const image::LoadResult& result) {
    const QString folder = Native(QFileInfo(file.path).absolutePath());
    const QString whence = QStringLiteral("\n") + file.origin;
    const QString path = Native(QFileInfo(file.path).absoluteFilePath());
    switch (result.status) {
        case image::LoadStatus::Loaded:
            SetFileStatus({QStringLiteral("Update Hex file   %1    is Ready!") + whence,
                           file.shownName, folder, path},
                          app::Indicator::Ready);
            return;
        case image::LoadStatus::Refused:
            // Say so plainly; the file is tried again on the next tick, so a
            // corrected file is picked up without a restart.
            SetFileStatus({QStringLiteral("Update Hex file   %1    is invalid: ") +
                               QString::fromStdString(result.reason) + whence,
                           file.shownName, folder,
                           path + QStringLiteral("\n") + QString::fromStdString(result.message)},
                          app::Indicator::Problem);
            return;
        case image::LoadStatus::NotOpened:
            // There, but no file to read (a folder, a FIFO, no permission):
            // said with its reason, as the command line says it, not as missing.
            if (QFileInfo::exists(file.path)) {
                SetFileStatus(
                    {QStringLiteral("Update Hex file   %1    cannot be read: ") +
                         QString::fromStdString(result.reason) + whence,
                     file.shownName, folder,
                     path + QStringLiteral("\n") + QString::fromStdString(result.message)},
                    app::Indicator::Problem);
                return;
            }
            [[fallthrough]];
        case image::LoadStatus::NotRecognised:
            // A refused file that has since gone leaves no red mark behind.
            SetFileStatus({QStringLiteral("No Updated File !   Looked for %1 in:\n%2"),
                           file.shownName, file.lookedIn, file.lookedIn},
                          app::Indicator::Neutral);
            return;
    }
}

void TForm1::TakeUpdateFile(const FileToLoad& file) {
    ShowUpdateFile(file, LoadUpdateFile(file));
}

void TForm1::LoadProductFile() {
    TakeUpdateFile(FindProductFile());
}

// Nothing is plugged in, so no one product's file can be named as missing:
// the line says which products' files are ready, and only when there are none
// that there is no update file.
void TForm1::ShowFilesWithoutDevice() {
    searchesSinceFileLook_ = 0;
    state_.FileLoaded(false);
    if (!options_.updateFile.isEmpty()) {
        // A file the user gave stays the update file, device or not.
        TakeUpdateFile(FindProductFile());
        return;
    }
    const QStringList folders = SearchFolders();
    const std::vector<app::RecoveryFile> files = app::FindRecoveryFiles(folders);
    if (files.empty()) {
        const QString lookedIn = LookedIn(QString(), folders);
        SetFileStatus({QStringLiteral("No Updated File !   Looked for the products' update "
                                      "files (%1 and so on) in:\n%2"),
                       QString::fromStdString(product::UpdateFileName(product::productTable[0])),
                       lookedIn, lookedIn},
                      app::Indicator::Neutral);
        return;
    }
    const app::RecoveryFile& first = files.front();
    const QFileInfo info(first.path);
    const QString text =
        files.size() == 1
            ? QStringLiteral("Update Hex file   %1    for %3 is here: plug in the product.")
                  .replace(QStringLiteral("%3"), app::ProductName(first.row))
            : QStringLiteral(
                  "Update Hex files for %3 products are here (%1, \u2026): plug in "
                  "the product.")
                  .replace(QStringLiteral("%3"), QString::number(files.size()));
    SetFileStatus({text + QStringLiteral("\n") + FolderOrigin(info.absolutePath()), info.fileName(),
                   Native(info.absolutePath()), Native(first.path)},
                  app::Indicator::Neutral);
}

void TForm1::TakeGivenFile(const QString& path, const QString& origin) {
    // It stays the update file, as one given on the command line does.
    options_.updateFile = QFileInfo(path).absoluteFilePath();
    givenFileOrigin_ = origin;
    // Taken at once, device or not: a chip waiting in ISP mode is offered
    // it, anything else loads it as its update file.
    if (context_.usbLink.IsFound() && !context_.usbLink.UsesAudioDriver())
        OfferRecovery();
    else
        LoadProductFile();
}

void TForm1::btnChooseFileClick() {
    // Not while a run holds the link: it writes the image being loaded here.
    if (context_.runState.LinkBusy())
        return;
    const QString path = chooseFile_(this, pages::OpenBinFileDialog());
    if (path.isEmpty())
        return;
    TakeGivenFile(path, QStringLiteral("Chosen by you, from %2"));
}
