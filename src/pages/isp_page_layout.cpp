#include "pages/isp_page_layout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include "pages/accessible.h"
#include "pages/labeled_edit.h"
#include "pages/named_widgets.h"

namespace pages {

namespace {

constexpr int kButtonWidth = 104;
constexpr int kButtonSpacing = 8;
// Room for the longest value a label shows, the three chip ID bytes.
const char* const kWidestValue = "0xFF,  0xFF,  0xFF,  ";
constexpr int kValuePadding = 16;
constexpr int kInstructionLabelWidth = 84;
constexpr int kInstructionEditWidth = 34;
constexpr int kRangeLabelWidth = 62;
constexpr int kRangeEditWidth = 48;
constexpr int kWriteStatusEditWidth = 40;

QPushButton* MakeButton(const char* name, const QString& caption, const QString& description,
                        QWidget* parent) {
    auto* button = Named<QPushButton>(QString::fromLatin1(name), caption, parent);
    SetAccessibleTexts(button, NameFromCaption(caption), description);
    button->setMinimumWidth(kButtonWidth);
    return button;
}

QLabel* MakeLabel(const char* name, const QString& text, QWidget* parent) {
    return NamedLabel(QString::fromLatin1(name), text, parent);
}

// A label that shows a value read from the chip, framed like a read-only field.
QLabel* MakeValueLabel(const char* name, QWidget* parent) {
    QLabel* label = MakeLabel(name, QStringLiteral("0x00"), parent);
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label->setFixedWidth(label->fontMetrics().horizontalAdvance(QString::fromLatin1(kWidestValue)) +
                         kValuePadding);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// A step of the automatic run.
QCheckBox* MakeCheck(const char* name, const QString& caption, QWidget* parent) {
    auto* check = Named<QCheckBox>(QString::fromLatin1(name), caption, parent);
    SetAccessibleTexts(check, caption, QStringLiteral("Whether \"Auto\" takes this step"));
    return check;
}

LabeledEdit* MakeEdit(const char* name, const QString& caption, const QString& text,
                      const QString& description, int labelWidth, int editWidth, QWidget* parent) {
    auto* edit = new LabeledEdit(QString::fromLatin1(name), caption, text, parent);
    edit->Describe(description);
    edit->label()->setMinimumWidth(labelWidth);
    edit->edit()->setFixedWidth(editWidth);
    return edit;
}

void BuildFunctionTest(IspControls& c, QWidget* page) {
    c.GroupBox1 = new QGroupBox(QStringLiteral("Function Test"), page);
    c.GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    QGroupBox* box = c.GroupBox1;
    c.btnEnterISP = MakeButton("btnEnterISP", QStringLiteral("Enter ISP"),
                               QStringLiteral("Puts the chip into ISP mode"), box);
    c.btnUSBChipID = MakeButton("btnUSBChipID", QStringLiteral("Chip ID"),
                                QStringLiteral("Reads the flash's JEDEC identification"), box);
    c.lblUSBChipID = MakeValueLabel("lblUSBChipID", box);
    c.btnUSBReadStatus = MakeButton("btnUSBReadStatus", QStringLiteral("Read Status"),
                                    QStringLiteral("Reads the flash's status register"), box);
    c.lblUSBStatus = MakeValueLabel("lblUSBStatus", box);
    c.lbledtUSBWriteStatus =
        MakeEdit("lbledtUSBWriteStatus", QStringLiteral("Write Status : 0x"), QString(),
                 QStringLiteral("Hexadecimal status value; Enter writes it to the flash"), 0,
                 kWriteStatusEditWidth, box);
    c.lbledtUSBWriteStatus->edit()->setToolTip(
        QStringLiteral("Hexadecimal status value; press Enter to write it"));
    c.btnUSBWriteEnable = MakeButton("btnUSBWriteEnable", QStringLiteral("Write Enable"),
                                     QStringLiteral("Sends the flash's write enable"), box);
    c.btnUSBWriteDisable = MakeButton("btnUSBWriteDisable", QStringLiteral("Write Disable"),
                                      QStringLiteral("Sends the flash's write disable"), box);
    c.btnUSBErase = MakeButton("btnUSBErase", QStringLiteral("Erase"),
                               QStringLiteral("Erases the flash access range"), box);
    c.btnUSBBlank = MakeButton("btnUSBBlank", QStringLiteral("Blank Check"),
                               QStringLiteral("Checks that the flash access range is erased"), box);
    c.btnUSBProgram =
        MakeButton("btnUSBProgram", QStringLiteral("Program"),
                   QStringLiteral("Writes the loaded file into the flash access range"), box);
    c.btnUSBVerify =
        MakeButton("btnUSBVerify", QStringLiteral("Verify"),
                   QStringLiteral("Compares the flash access range with the loaded file"), box);
    c.btnReadBack =
        MakeButton("btnReadBack", QStringLiteral("Read Flash"),
                   QStringLiteral("Reads the first 32 KB of the flash into a text dump"), box);
    c.btnUSBErase->setToolTip(
        QStringLiteral("Whole chip with \"All\", else the 4 KB sectors of the assigned range"));
    c.btnReadBack->setToolTip(
        QStringLiteral("Reads the first 32 KB and saves them as a text dump"));
    c.Button1 = MakeButton("Button1", QStringLiteral(" Save"),
                           QStringLiteral("Saves the loaded firmware as a binary file"), box);
    c.Button1->setIcon(page->style()->standardIcon(QStyle::SP_DialogSaveButton));

    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(kButtonSpacing);
    grid->addWidget(c.btnEnterISP, 0, 0);
    grid->addWidget(c.btnUSBChipID, 1, 0);
    grid->addWidget(c.lblUSBChipID, 1, 1, 1, 2);
    grid->addWidget(c.btnUSBReadStatus, 2, 0);
    grid->addWidget(c.lblUSBStatus, 2, 1, 1, 2);
    grid->addWidget(c.lbledtUSBWriteStatus, 3, 0, 1, 2, Qt::AlignLeft);
    const std::array<std::array<QPushButton*, 2>, 4> pairs = {{
        {c.btnUSBWriteEnable, c.btnUSBWriteDisable},
        {c.btnUSBErase, c.btnUSBBlank},
        {c.btnUSBProgram, c.btnUSBVerify},
        {c.btnReadBack, c.Button1},
    }};
    for (int row = 0; row < static_cast<int>(pairs.size()); ++row) {
        grid->addWidget(pairs[row][0], 4 + row, 0);
        grid->addWidget(pairs[row][1], 4 + row, 1, Qt::AlignLeft);
    }
    grid->setColumnStretch(2, 1);
}

// An edit in KB with its unit after it.
QHBoxLayout* KbRow(LabeledEdit* edit, QLabel* unit) {
    auto* row = new QHBoxLayout;
    row->addWidget(edit);
    row->addWidget(unit);
    row->addStretch(1);
    return row;
}

void BuildAccessRange(IspControls& c, QWidget* page) {
    c.gbxISPRange = new QGroupBox(QStringLiteral("Flash Access Range"), page);
    c.gbxISPRange->setObjectName(QStringLiteral("gbxISPRange"));
    QGroupBox* box = c.gbxISPRange;
    c.rbnRange0 = new QRadioButton(QStringLiteral("All"), box);
    c.rbnRange0->setObjectName(QStringLiteral("rbnRange0"));
    SetAccessibleTexts(c.rbnRange0, QStringLiteral("All"),
                       QStringLiteral("The flash steps work on the whole flash"));
    c.rbnRange0->setChecked(true);
    c.rbnRange1 = new QRadioButton(QStringLiteral("Assign Range"), box);
    c.rbnRange1->setObjectName(QStringLiteral("rbnRange1"));
    SetAccessibleTexts(c.rbnRange1, QStringLiteral("Assign Range"),
                       QStringLiteral("The flash steps work on the range given below"));
    c.lbledISPStart = MakeEdit("lbledISPStart", QStringLiteral("Start Addr:"), QStringLiteral("32"),
                               QStringLiteral("Where the assigned range starts, in KB"),
                               kRangeLabelWidth, kRangeEditWidth, box);
    c.lbledISPRange = MakeEdit("lbledISPRange", QStringLiteral("Size: "), QStringLiteral("32"),
                               QStringLiteral("How long the assigned range is, in KB"),
                               kRangeLabelWidth, kRangeEditWidth, box);
    c.Label20 = MakeLabel("Label20", QStringLiteral("KB"), box);
    c.Label21 = MakeLabel("Label21", QStringLiteral("KB"), box);
    // "All" is selected, so the range fields start disabled.
    for (QWidget* w :
         {static_cast<QWidget*>(c.lbledISPStart), static_cast<QWidget*>(c.lbledISPRange),
          static_cast<QWidget*>(c.Label20), static_cast<QWidget*>(c.Label21)}) {
        w->setEnabled(false);
    }

    auto* column = new QVBoxLayout(box);
    auto* choice = new QHBoxLayout;
    choice->addWidget(c.rbnRange0);
    choice->addWidget(c.rbnRange1);
    choice->addStretch(1);
    column->addLayout(choice);
    column->addLayout(KbRow(c.lbledISPStart, c.Label20));
    column->addLayout(KbRow(c.lbledISPRange, c.Label21));
}

void BuildFlashInstructions(IspControls& c, QWidget* page) {
    c.gbxFlashCMD = new QGroupBox(QStringLiteral("Flash Instruction"), page);
    c.gbxFlashCMD->setObjectName(QStringLiteral("gbxFlashCMD"));
    struct Instruction {
        const char* name;
        const char* caption;
        const char* code;
    };
    static constexpr std::array<Instruction, 8> kInstructions = {{
        {"lbledIspCmdRDID", "Chip ID:", "9F"},
        {"lbledIspCmdWREN", "Write Enable:", "06"},
        {"lbledIspCmdWRDS", "Write Disable:", "04"},
        {"lbledIspCmdRDSD", "Read Status:", "05"},
        {"lbledIspCmdWRSD", "Write Status: ", "01"},
        {"lbledIspCmdERAL", "Erase All:", "C7"},
        {"lbledIspCmdPP", "Page Program: ", "02"},
        {"lbledIspCmdRead", "Read:", "03"},
    }};
    auto* grid = new QGridLayout(c.gbxFlashCMD);
    grid->setHorizontalSpacing(16);
    for (std::size_t i = 0; i < kInstructions.size(); ++i) {
        const Instruction& in = kInstructions[i];
        LabeledEdit* edit =
            MakeEdit(in.name, QString::fromLatin1(in.caption), QString::fromLatin1(in.code),
                     QStringLiteral("The flash instruction code the tool sends for this"),
                     kInstructionLabelWidth, kInstructionEditWidth, c.gbxFlashCMD);
        // The commands send fixed codes; an editable field would suggest otherwise.
        edit->edit()->setReadOnly(true);
        edit->edit()->setAlignment(Qt::AlignCenter);
        c.instructionEdits[i] = edit;
        grid->addWidget(edit, static_cast<int>(i % 4), static_cast<int>(i / 4), Qt::AlignLeft);
    }
    grid->setColumnStretch(2, 1);
}

void BuildAutoRun(IspControls& c, QWidget* page, QGroupBox* box) {
    c.chkISPMode = MakeCheck("chkISPMode", QStringLiteral("ISP Mode"), box);
    c.chkErase = MakeCheck("chkErase", QStringLiteral("Erase"), box);
    c.chkBlank = MakeCheck("chkBlank", QStringLiteral("Blank"), box);
    c.chkProgram = MakeCheck("chkProgram", QStringLiteral("Program"), box);
    c.chkVerify = MakeCheck("chkVerify", QStringLiteral("Verify"), box);
    c.chkProtect = MakeCheck("chkProtect", QStringLiteral("Flash Protect"), box);
    c.chkReadFile = MakeCheck("chkReadFile", QStringLiteral("Reload File"), box);
    for (QCheckBox* check : {c.chkISPMode, c.chkErase, c.chkBlank, c.chkProgram, c.chkVerify,
                             c.chkProtect, c.chkReadFile}) {
        check->setChecked(true);
    }
    c.chkChangedOnly = MakeCheck("chkChangedOnly", QStringLiteral("Changed Only"), box);
    c.chkChangedOnly->setToolTip(
        QStringLiteral("Read the flash first and erase and write only the 4 KiB sectors that "
                       "differ from the file (with \"All\")"));
    SetAccessibleTexts(c.chkChangedOnly, QStringLiteral("Changed Only"),
                       c.chkChangedOnly->toolTip());
    c.btnUSBISPAuto = MakeButton("btnUSBISPAuto", QStringLiteral("Auto"),
                                 QStringLiteral("Runs the checked steps one after another"), box);
    c.USBLoadFileBitBtn = MakeButton("USBLoadFileBitBtn", QStringLiteral("File"),
                                     QStringLiteral("Opens a firmware file to load"), box);
    c.USBLoadFileBitBtn->setIcon(page->style()->standardIcon(QStyle::SP_DialogOpenButton));
    c.cbxReadISPFile = new QComboBox(box);
    c.cbxReadISPFile->setObjectName(QStringLiteral("cbxReadISPFile"));
    SetAccessibleTexts(c.cbxReadISPFile, QStringLiteral("Firmware file"),
                       QStringLiteral("The firmware file the steps write and compare with"));
    c.cbxReadISPFile->setEditable(true);
    c.cbxReadISPFile->setInsertPolicy(QComboBox::NoInsert);
    c.cbxReadISPFile->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c.cbxReadISPFile->setMinimumContentsLength(24);
    c.lblUSBChecksum = MakeLabel("lblUSBChecksum", QStringLiteral("Checksum :"), box);
    QFont bold = c.lblUSBChecksum->font();
    bold.setBold(true);
    c.lblUSBChecksum->setFont(bold);

    // The steps in the order the run takes them, the run's controls below.
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(12);
    const std::array<QCheckBox*, 7> steps = {c.chkISPMode, c.chkErase,   c.chkBlank,   c.chkProgram,
                                             c.chkVerify,  c.chkProtect, c.chkReadFile};
    for (int i = 0; i < static_cast<int>(steps.size()); ++i) {
        grid->addWidget(steps[i], i / 4, i % 4);
    }
    grid->addWidget(c.btnUSBISPAuto, 1, 3, Qt::AlignRight);
    grid->addWidget(c.chkChangedOnly, 3, 0);
    grid->addWidget(c.USBLoadFileBitBtn, 2, 0);
    grid->addWidget(c.cbxReadISPFile, 2, 1, 1, 3);
    grid->addWidget(c.lblUSBChecksum, 3, 1, 1, 3);
    grid->setColumnStretch(3, 1);
}

QFrame* BuildStatusArea(IspControls& c, QWidget* page) {
    auto* frame = new QFrame(page);
    frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    c.lblUSBProcessInfo = MakeLabel("lblUSBProcessInfo", QStringLiteral("Status:"), frame);
    c.lblUSBISPProcess =
        MakeLabel("lblUSBISPProcess", QStringLiteral("Process Addr: 0x000000"), frame);
    c.lblUSBISPStatusReg =
        MakeLabel("lblUSBISPStatusReg", QStringLiteral("Status Register: 0x00"), frame);
    auto* row = new QHBoxLayout(frame);
    row->addWidget(c.lblUSBProcessInfo, 1);
    row->addSpacing(16);
    row->addWidget(c.lblUSBISPProcess);
    row->addSpacing(16);
    row->addWidget(c.lblUSBISPStatusReg);
    return frame;
}

}  // namespace

IspControls BuildIspPageLayout(QWidget* page) {
    IspControls c;
    BuildFunctionTest(c, page);
    BuildAccessRange(c, page);
    BuildFlashInstructions(c, page);
    auto* autoBox = new QGroupBox(QStringLiteral("Auto Update"), page);
    autoBox->setObjectName(QStringLiteral("gbxISPAuto"));
    BuildAutoRun(c, page, autoBox);
    QFrame* status = BuildStatusArea(c, page);

    // Two columns of about equal height: the single steps and where they
    // work on the left, the instruction codes and the automatic run on the right.
    auto* left = new QVBoxLayout;
    left->addWidget(c.GroupBox1);
    left->addWidget(c.gbxISPRange);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(c.gbxFlashCMD);
    right->addWidget(autoBox);
    right->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addLayout(columns, 1);
    pageLayout->addWidget(status);
    return c;
}

}  // namespace pages
