// The buttons that run the flash range loops: Blank Check, Program, Verify
// and Read Flash with its dump file.

#include <QDir>
#include <QFile>

#include "flash/range_buttons.h"
#include "flash/read_back_dump.h"
#include "image/firmware_image.h"
#include "pages/isp_page.h"
#include "pages/isp_page_dialog.h"
#include "pages/isp_page_progress.h"

namespace pages {

namespace {

flash::ImageView ViewOf(const image::FirmwareImage& image) {
    return flash::ImageView{image.Bytes(), image.ImageLength()};
}

}  // namespace

void IspPage::btnUSBBlankClick() {
    RunExclusive([this] {
        flash::RunBlankCheckButton(context_.usbLink, ViewOf(context_.firmwareImage), context_.flash,
                                   WholeFlashSelected(), *progress_);
    });
}

// The button reads the chip ID and chooses the flash profile itself, so it
// programs correctly even when no update run has identified the flash yet.
void IspPage::btnUSBProgramClick() {
    RunExclusive([this] {
        flash::RunProgramButton(context_.usbLink, ViewOf(context_.firmwareImage), context_.flash,
                                WholeFlashSelected(), *progress_);
    });
}

void IspPage::btnUSBVerifyClick() {
    RunExclusive([this] {
        flash::RunVerifyButton(context_.usbLink, ViewOf(context_.firmwareImage), context_.flash,
                               WholeFlashSelected(), *progress_);
    });
}

// The dump is offered also after a failed read: it shows where the flash
// stopped answering.
void IspPage::btnReadBackClick() {
    RunExclusive([this] {
        flash::RunReadFlashButton(context_.usbLink, *readBackBuffer_, *progress_);
        SaveReadBackDump();
    });
}

void IspPage::SaveReadBackDump() {
    const QString path = chooseFile_(this, SaveBinFIleDialog());
    if (path.isEmpty())
        return;
    if (!flash::WriteReadBackDump(QFile::encodeName(path).toStdString(), *readBackBuffer_,
                                  flash::kReadFlashLast)) {
        ShowIspDialog(QStringLiteral("The read-back file \"%1\" could not be written.")
                          .arg(QDir::toNativeSeparators(path)));
    }
}

}  // namespace pages
