#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace pages {

// What a file dialog of the window asks for.
struct FileDialogSetup {
    QString name;           // the dialog's control name
    QString defaultSuffix;  // added to a typed name without an extension
    QString filter;
    bool save = false;
};

// The open dialog for firmware files.
inline FileDialogSetup OpenBinFileDialog() {
    return {QStringLiteral("OpenBinFileDialog"), QStringLiteral("hex"),
            QStringLiteral("Hex File (*.hex *.h00);;Binary File (*.bin)"), false};
}

// The save dialog for binary files (new firmware files, flash read-back).
inline FileDialogSetup SaveBinFIleDialog() {
    return {QStringLiteral("SaveBinFIleDialog"), QStringLiteral("bin"),
            QStringLiteral("Binary File (*.bin)"), true};
}

// Asks the user for a file: the chosen full path, or an empty text when the
// dialog was cancelled. Tests put their own answer in place of the modal dialog.
using FileChooser = std::function<QString(QWidget* parent, const FileDialogSetup& dialog)>;

// The chooser of the shipped tool: a modal file dialog.
QString ChooseWithDialog(QWidget* parent, const FileDialogSetup& dialog);

}  // namespace pages
