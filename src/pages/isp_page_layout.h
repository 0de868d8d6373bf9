#pragma once

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

namespace pages {

class LabeledEdit;

// Every control of the ISP page, each named after its objectName, so the
// handlers read like the rest of the tool.
struct IspControls {
    // "Function Test"
    QGroupBox* GroupBox1 = nullptr;
    QPushButton* btnEnterISP = nullptr;
    QPushButton* btnUSBChipID = nullptr;
    QLabel* lblUSBChipID = nullptr;
    QPushButton* btnUSBReadStatus = nullptr;
    QLabel* lblUSBStatus = nullptr;
    LabeledEdit* lbledtUSBWriteStatus = nullptr;
    QPushButton* btnUSBWriteEnable = nullptr;
    QPushButton* btnUSBWriteDisable = nullptr;
    QPushButton* btnUSBErase = nullptr;
    QPushButton* btnUSBBlank = nullptr;
    QPushButton* btnUSBProgram = nullptr;
    QPushButton* btnUSBVerify = nullptr;
    QPushButton* btnReadBack = nullptr;
    QPushButton* Button1 = nullptr;

    // "Flash Access Range"
    QGroupBox* gbxISPRange = nullptr;
    QRadioButton* rbnRange0 = nullptr;
    QRadioButton* rbnRange1 = nullptr;
    LabeledEdit* lbledISPStart = nullptr;
    LabeledEdit* lbledISPRange = nullptr;
    QLabel* Label20 = nullptr;
    QLabel* Label21 = nullptr;

    // "Flash Instruction": shown for reference, the commands use fixed codes.
    QGroupBox* gbxFlashCMD = nullptr;
    std::array<LabeledEdit*, 8> instructionEdits{};

    // The "Auto" run and its program file.
    QCheckBox* chkISPMode = nullptr;
    QCheckBox* chkErase = nullptr;
    QCheckBox* chkBlank = nullptr;
    QCheckBox* chkProgram = nullptr;
    QCheckBox* chkVerify = nullptr;
    QCheckBox* chkProtect = nullptr;
    QCheckBox* chkReadFile = nullptr;
    QCheckBox* chkChangedOnly = nullptr;  // off: "Auto" erases and writes the whole range
    QPushButton* btnUSBISPAuto = nullptr;
    QPushButton* USBLoadFileBitBtn = nullptr;
    QComboBox* cbxReadISPFile = nullptr;
    QLabel* lblUSBChecksum = nullptr;

    // Progress of whatever flash operation runs.
    QLabel* lblUSBProcessInfo = nullptr;
    QLabel* lblUSBISPProcess = nullptr;
    QLabel* lblUSBISPStatusReg = nullptr;
};

// Creates the controls on `page` with their captions, start texts and
// enabled states, and lays them out. Nothing is connected here.
IspControls BuildIspPageLayout(QWidget* page);

}  // namespace pages
