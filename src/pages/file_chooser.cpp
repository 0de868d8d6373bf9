#include "pages/file_chooser.h"

#include <QFileDialog>

namespace pages {

QString ChooseWithDialog(QWidget* parent, const FileDialogSetup& dialog) {
    QFileDialog box(parent, QString(), QString(), dialog.filter);
    box.setObjectName(dialog.name);
    box.setDefaultSuffix(dialog.defaultSuffix);
    box.setAcceptMode(dialog.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    box.setFileMode(dialog.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
        return QString();
    return box.selectedFiles().constFirst();
}

}  // namespace pages
