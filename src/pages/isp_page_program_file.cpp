// The ISP page's program file: loading it into the firmware image, the list
// of files loaded so far, and the "File" button.

#include <QComboBox>
#include <QFile>
#include <QLabel>

#include "image/firmware_file.h"
#include "pages/isp_page.h"
#include "pages/isp_page_dialog.h"

namespace pages {

namespace {

QString ChecksumText(std::uint16_t checksum) {
    return QStringLiteral("Checksum : 0x") +
           QStringLiteral("%1").arg(checksum, 4, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

bool IspPage::ReadProgramFile() {
    ProgramFileState& file = context_.programFile;
    if (file.programFilePath.isEmpty()) {
        ShowIspDialog(QStringLiteral("Program File Not Ready !!    "));
        file.programFileReady = false;
        return false;  // "Auto" must not write an image nobody named
    }
    RememberProgramFile();
    const image::LoadResult result = image::LoadFirmwareFile(
        context_.firmwareImage, QFile::encodeName(file.programFilePath).toStdString());
    controls_.lblUSBChecksum->setText(ChecksumText(result.checksum));
    // A named file that did not load (it could not be opened, its name picks
    // no loader, or its content was refused) never reaches the image, and
    // "Auto" stops on it; say why, since the label alone would only show a
    // zero checksum.
    if (!result.Loaded()) {
        ShowIspDialog(QString::fromStdString(result.message));
    }
    file.programFileReady = true;
    return result.Loaded();
}

void IspPage::RememberProgramFile() {
    const QString& path = context_.programFile.programFilePath;
    QComboBox* files = controls_.cbxReadISPFile;
    int index = files->findText(path, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        files->addItem(path);
        index = files->count() - 1;
    }
    files->setCurrentIndex(index);
    files->setEditText(path);
}

void IspPage::USBLoadFileBitBtnClick() {
    if (!updateFileLoader_)
        return;
    // The image must not change under a loop that is reading it.
    RunExclusive([this] { updateFileLoader_(); });
}

}  // namespace pages
