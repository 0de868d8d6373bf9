// The device panel: what was found, whether its update file is ready, the
// update's progress and result, and the "Start" button.

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "app/tform1.h"
#include "pages/accessible.h"
#include "pages/handler_guard.h"
#include "pages/labeled_edit.h"
#include "pages/named_widgets.h"

namespace {

constexpr int kPanelHeight = 120;

}  // namespace

void TForm1::BuildDevicePanel() {
    pnlUSB_ = new QFrame(this);
    pnlUSB_->setObjectName(QStringLiteral("pnlUSB"));
    pnlUSB_->setFrameShape(QFrame::NoFrame);
    pnlUSB_->setMinimumHeight(kPanelHeight);
    CreateStatusControls();
    CreateUpdateControls();
    CreateDetectionControls();
    CreateReportControls();
    LayOutDevicePanel();
}

void TForm1::CreateStatusControls() {
    pnlUSBExist_ = new QFrame(pnlUSB_);
    pnlUSBExist_->setObjectName(QStringLiteral("pnlUSBExist"));
    pnlUSBExist_->setFrameShape(QFrame::Box);
    pnlUSBExist_->setLineWidth(1);
    pnlUSBExist_->setFixedSize(22, 22);
    pnlUSBExist_->setAutoFillBackground(true);
    // Its colour is said in words as its description (SetIndicatorColour).
    pnlUSBExist_->setAccessibleName(QStringLiteral("Device state"));

    lblDetectDevice_ = pages::NamedLabel(QStringLiteral("lblDetectDevice"),
                                         QStringLiteral("No device is available"), pnlUSB_, 12);
    lblUpdaeFileStatus_ = pages::NamedLabel(QStringLiteral("lblUpdaeFileStatus"),
                                            QStringLiteral("No Updated File !"), pnlUSB_, 12);
    lblUpdaeFileStatus_->setWordWrap(true);
    // The labels are read by their text; the description says what it is about.
    lblDetectDevice_->setAccessibleDescription(QStringLiteral("The device found"));
    lblUpdaeFileStatus_->setAccessibleDescription(QStringLiteral("The update file and its state"));
    lblISPProcStatus_ =
        pages::NamedLabel(QStringLiteral("lblISPProcStatus"),
                          QStringLiteral("Abort Firmware update process"), pnlUSB_, 16);
    lblISPProcStatus_->setWordWrap(true);
    lblISPProcStatus_->setAccessibleDescription(
        QStringLiteral("How the update goes or how it ended"));
}

void TForm1::CreateUpdateControls() {
    // Not a control of the classic panel: the share of the whole update done,
    // shown only while "Start" runs.
    barUpdateProgress_ = new QProgressBar(pnlUSB_);
    barUpdateProgress_->setObjectName(QStringLiteral("barUpdateProgress"));
    barUpdateProgress_->setRange(0, 100);
    barUpdateProgress_->setTextVisible(true);
    // In percent, so that its value reads as the share done.
    barUpdateProgress_->setFormat(QStringLiteral("%p %"));
    pages::SetAccessibleTexts(barUpdateProgress_, QStringLiteral("Update progress"),
                              QStringLiteral("The share of the whole update done"));
    barUpdateProgress_->hide();

    btnSimpleAuto_ = new QPushButton(QStringLiteral("Start"), pnlUSB_);
    btnSimpleAuto_->setObjectName(QStringLiteral("btnSimpleAuto"));
    btnSimpleAuto_->setEnabled(false);
    btnSimpleAuto_->setMinimumSize(96, 34);
    // Named after what it shows (ShowStartButton): Start, Stop or Finish.
    pages::SetAccessibleTexts(btnSimpleAuto_, QStringLiteral("Start"),
                              QStringLiteral("Writes the update file to the device found, after a "
                                             "warning; while the update runs, stops it"));
    connect(btnSimpleAuto_, &QPushButton::clicked, this,
            pages::Guarded([this] { btnSimpleAutoClick(); }));

    // Shown only to recover a chip waiting in ISP mode: which product's file
    // to write when several are present, or a file to pick when none is.
    cbxRecoveryProduct_ = new QComboBox(pnlUSB_);
    cbxRecoveryProduct_->setObjectName(QStringLiteral("cbxRecoveryProduct"));
    pages::SetAccessibleTexts(cbxRecoveryProduct_, QStringLiteral("Product"),
                              QStringLiteral("The product whose update file is written to the chip "
                                             "waiting for its firmware"));
    cbxRecoveryProduct_->hide();
    connect(cbxRecoveryProduct_, &QComboBox::currentIndexChanged, this,
            pages::Guarded([this](int index) { cbxRecoveryProductChange(index); }));
    btnChooseFile_ = new QPushButton(QStringLiteral("Choose file\u2026"), pnlUSB_);
    btnChooseFile_->setObjectName(QStringLiteral("btnChooseFile"));
    pages::SetAccessibleTexts(btnChooseFile_, QStringLiteral("Choose file"),
                              QStringLiteral("Opens a file dialog to choose the update file"));
    btnChooseFile_->hide();
    connect(btnChooseFile_, &QPushButton::clicked, this,
            pages::Guarded([this] { btnChooseFileClick(); }));
}

void TForm1::CreateDetectionControls() {
    chkDetectUSB_ = new QCheckBox(QStringLiteral("Detect Device"), pnlUSB_);
    chkDetectUSB_->setObjectName(QStringLiteral("chkDetectUSB"));
    pages::SetAccessibleTexts(chkDetectUSB_, QStringLiteral("Detect Device"),
                              QStringLiteral("Looks for a device every second while checked"));
    connect(chkDetectUSB_, &QCheckBox::toggled, this,
            pages::Guarded([this](bool) { chkDetectUSBClick(); }));
    lbledtVID_ = new pages::LabeledEdit(QStringLiteral("lbledtVID"), QStringLiteral("VID:"),
                                        QStringLiteral("2fc6"), pnlUSB_);
    lbledtPID_ = new pages::LabeledEdit(QStringLiteral("lbledtPID"), QStringLiteral("PID:"),
                                        QStringLiteral("6012"), pnlUSB_);
    lbledtVID_->Describe(QStringLiteral("The vendor ID looked for while detection is off"));
    lbledtPID_->Describe(QStringLiteral("The product ID looked for while detection is off"));
    for (pages::LabeledEdit* edit : {lbledtVID_, lbledtPID_}) {
        edit->hide();
        connect(edit, &pages::LabeledEdit::keyDown, this,
                pages::Guarded([this, edit](int key) { lbledtVIDPIDKeyDown(edit, key); }));
    }
}

void TForm1::LayOutDevicePanel() {
    // Indicator at the panel's top left (20, 8); texts beside it; the update
    // row at the bottom; the detection switch, shown to engineers, below it.
    auto* grid = new QGridLayout(pnlUSB_);
    grid->setContentsMargins(20, 8, 16, 10);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(6);
    grid->addWidget(pnlUSBExist_, 0, 0, Qt::AlignTop);
    grid->addWidget(lblDetectDevice_, 0, 1, 1, 2);
    grid->addWidget(lblUpdaeFileStatus_, 1, 1, 1, 2);
    grid->addWidget(lblISPProcStatus_, 2, 1, 1, 2);
    auto* updateRow = new QHBoxLayout;
    updateRow->addWidget(barUpdateProgress_, 1);
    updateRow->addWidget(cbxRecoveryProduct_);
    updateRow->addWidget(btnChooseFile_);
    updateRow->addWidget(btnSaveReport_);
    grid->addLayout(updateRow, 3, 1);
    grid->addWidget(btnSimpleAuto_, 3, 2, Qt::AlignRight | Qt::AlignBottom);
    auto* detectRow = new QHBoxLayout;
    detectRow->addWidget(chkDetectUSB_);
    detectRow->addWidget(lbledtVID_);
    detectRow->addWidget(lbledtPID_);
    detectRow->addStretch(1);
    grid->addLayout(detectRow, 4, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
}

void TForm1::ShowStartButton() {
    const app::StartButton start = state_.Start();
    btnSimpleAuto_->setText(start.text);
    btnSimpleAuto_->setAccessibleName(start.text);
    btnSimpleAuto_->setEnabled(start.enabled);
}
