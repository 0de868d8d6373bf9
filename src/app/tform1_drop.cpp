// A HEX or BIN file dropped onto the window is taken as the update file, as
// one given on the command line is.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "app/tform1.h"
#include "image/firmware_file.h"
#include "product/run_state.h"
#include "usb/quorvex_usb.h"

namespace {

QString DroppedFirmwareFile(const QMimeData* mime) {
    if (mime == nullptr || mime->urls().size() != 1 || !mime->urls().front().isLocalFile())
        return {};
    const QString path = mime->urls().front().toLocalFile();
    const bool firmware = image::FirmwareFileKindOf(QFile::encodeName(path).toStdString()) !=
                          image::FirmwareFileKind::Unknown;
    return firmware && QFileInfo(path).isFile() ? path : QString();
}

}  // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFirmwareFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QString path = DroppedFirmwareFile(event->mimeData());
    // Never under a run: it writes the image that a load would replace.
    if (path.isEmpty() || context_.runState.LinkBusy())
        return;
    event->acceptProposedAction();
    TakeGivenFile(path, QStringLiteral("Dropped on the window, from %2"));
}
