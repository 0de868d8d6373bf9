// Picks the found product's update file from the current directory and loads
// it into the firmware image; a file that fails its checks never reaches the
// image, and "Start" stays disabled for it.

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include "app/product_table.h"
#include "app/tform1.h"
#include "image/hex_loader.h"

namespace {

QString UpdateFileName(std::uint8_t productIndex) {
    const std::string_view base = app::productTable[productIndex % app::kProductCount].fileBaseName;
    return QString::fromLatin1(base.data(), static_cast<qsizetype>(base.size())) +
           QStringLiteral(".hex");
}

}  // namespace

void TForm1::ReadProgramFile1() {
    pages::ShellState& shell = context_.shell;
    const QString fileName = UpdateFileName(shell.productIndex);
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
