// The device panel: what was found, whether its update file is ready, the
// update's progress and result, and the "Start" button. Everything on it is
// drawn from the window's app::UpdatePanelState.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <algorithm>

#include "app/tform1.h"
#include "pages/accessible.h"
#include "pages/handler_guard.h"
#include "pages/labeled_edit.h"
#include "pages/named_widgets.h"
#include "product/run_state.h"

namespace {

constexpr int kPanelHeight = 120;
// Characters a name or folder keeps whatever the label's width is yet (before
// the window is first laid out the label has no width of its own): a usual
// path is never cut, the window grows for it instead; only a long one is.
constexpr int kLeastFileLineCharacters = 64;

QColor IndicatorColour(app::Indicator indicator, const QColor& neutral) {
    switch (indicator) {
        case app::Indicator::Ready:
            return {0, 255, 0};
        case app::Indicator::Problem:
            return {255, 0, 0};
        case app::Indicator::Off:
            return {0x80, 0x80, 0x80};
        case app::Indicator::Neutral:
            break;
    }
    return neutral;
}

// The indicator's colour in words, for a screen reader and a tool tip.
QString IndicatorMeaning(app::Indicator indicator, bool device, bool chipWaiting) {
    const QString what = chipWaiting ? QStringLiteral("Chip waiting for its firmware")
                                     : QStringLiteral("Device connected");
    switch (indicator) {
        case app::Indicator::Ready:
            return device ? what + QStringLiteral(", update file ready")
                          : QStringLiteral("No device, update file ready");
        case app::Indicator::Problem:
            return device ? what + QStringLiteral(", update file unusable")
                          : QStringLiteral("No device, update file unusable");
        case app::Indicator::Off:
            return QStringLiteral("Detection off");
        case app::Indicator::Neutral:
            break;
    }
    return device ? what + QStringLiteral(", no update file") : QStringLiteral("No device");
}

// The line's text with its name at "%1" and its folder at "%2", in one pass,
// so that a folder or name holding "%1" or "%2" itself stays as it is.
QString FillLine(const QString& text, const QString& name, const QString& folder) {
    QString filled;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text[at] == QLatin1Char('%') && at + 1 < text.size() &&
            (text[at + 1] == QLatin1Char('1') || text[at + 1] == QLatin1Char('2'))) {
            filled += text[at + 1] == QLatin1Char('1') ? name : folder;
            ++at;
            continue;
        }
        filled += text[at];
    }
    return filled;
}

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
    lblDetectDevice_->setWordWrap(true);
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
    // Named after what it shows (ShowPanel): Start, Stop or Finish.
    pages::SetAccessibleTexts(btnSimpleAuto_, QStringLiteral("Start"),
                              QStringLiteral("Writes the update file to the device found, after a "
                                             "warning; while the update runs, stops it"));
    connect(btnSimpleAuto_, &QPushButton::clicked, this,
            pages::Guarded([this] { btnSimpleAutoClick(); }));

    // Shown only to recover a chip waiting in ISP mode: which product's file
    // to write when several are present or the chip cannot say.
    cbxRecoveryProduct_ = new QComboBox(pnlUSB_);
    cbxRecoveryProduct_->setObjectName(QStringLiteral("cbxRecoveryProduct"));
    pages::SetAccessibleTexts(cbxRecoveryProduct_, QStringLiteral("Product"),
                              QStringLiteral("The product whose update file is written to the chip "
                                             "waiting for its firmware"));
    cbxRecoveryProduct_->setPlaceholderText(QStringLiteral("Which product is it?"));
    cbxRecoveryProduct_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    cbxRecoveryProduct_->hide();
    connect(cbxRecoveryProduct_, &QComboBox::currentIndexChanged, this,
            pages::Guarded([this](int index) { cbxRecoveryProductChange(index); }));
    // Whatever the search found, the user may always bring a file of their own.
    btnChooseFile_ = new QPushButton(QStringLiteral("Choose file\u2026"), pnlUSB_);
    btnChooseFile_->setObjectName(QStringLiteral("btnChooseFile"));
    pages::SetAccessibleTexts(btnChooseFile_, QStringLiteral("Choose file"),
                              QStringLiteral("Opens a file dialog to choose the update file"));
    connect(btnChooseFile_, &QPushButton::clicked, this,
            pages::Guarded([this] { btnChooseFileClick(); }));
    lblDropHint_ =
        pages::NamedLabel(QStringLiteral("lblDropHint"),
                          QStringLiteral("or drop an update file on this window"), pnlUSB_);
    lblDropHint_->setWordWrap(true);
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
    updateRow->setSpacing(8);
    updateRow->addWidget(cbxRecoveryProduct_);
    updateRow->addWidget(btnChooseFile_);
    updateRow->addWidget(btnSaveReport_);
    // The hint and the bar take the row's width; never both are shown.
    updateRow->addWidget(lblDropHint_, 1);
    updateRow->addWidget(barUpdateProgress_, 1);
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

void TForm1::SetIndicatorColour(const QColor& colour, const QString& meaning) {
    QPalette palette = pnlUSBExist_->palette();
    palette.setColor(QPalette::Window, colour);
    pnlUSBExist_->setPalette(palette);
    pnlUSBExist_->setAccessibleDescription(meaning);
    pnlUSBExist_->setToolTip(meaning);
}

void TForm1::SetFileStatus(app::PanelLine line, app::Indicator indicator) {
    state_.ShowFile(std::move(line), indicator);
    ShowPanel();
}

void TForm1::SetProcStatus(app::MessageKind kind, const QString& text, int pointSize,
                           const QColor& colour) {
    state_.Say({kind, text, pointSize, colour});
    DrawMessage();
    FitCompactWindow();
}

void TForm1::DrawMessage() {
    const app::PanelMessage& message = state_.Message();
    QFont font = lblISPProcStatus_->font();
    font.setPointSize(message.pointSize);
    lblISPProcStatus_->setFont(font);
    QPalette palette = lblISPProcStatus_->palette();
    palette.setColor(QPalette::WindowText, message.colour.isValid()
                                               ? message.colour
                                               : this->palette().color(QPalette::WindowText));
    lblISPProcStatus_->setPalette(palette);
    lblISPProcStatus_->setText(message.text);
}

void TForm1::DrawFileLine() {
    const app::PanelLine& line = state_.FileLine();
    const QFontMetrics metrics(lblUpdaeFileStatus_->font());
    const int room = std::max(lblUpdaeFileStatus_->contentsRect().width(),
                              metrics.averageCharWidth() * kLeastFileLineCharacters);
    // A name or folder elided to the line's width still fits on a line of
    // its own wherever the words around it wrap.
    const QString name = metrics.elidedText(line.name, Qt::ElideMiddle, room);
    QStringList folders = line.folder.split(QLatin1Char('\n'));
    for (QString& folder : folders)
        folder = metrics.elidedText(folder, Qt::ElideMiddle, room);
    const QString folder = folders.join(QLatin1Char('\n'));
    lblUpdaeFileStatus_->setText(FillLine(line.text, name, folder));
    // A tool tip belongs to the text it explains and goes with it.
    lblUpdaeFileStatus_->setToolTip(line.toolTip);
}

void TForm1::ShowPanel() {
    SetIndicatorColour(IndicatorColour(state_.FileIndicator(), palette().color(QPalette::Button)),
                       IndicatorMeaning(state_.FileIndicator(), state_.HasDevice(),
                                        !state_.Recovery().files.empty()));
    DrawFileLine();
    // A run writes its steps on the process line itself.
    if (state_.Message().kind != app::MessageKind::Progress)
        DrawMessage();

    const app::StartButton start = state_.Start();
    btnSimpleAuto_->setText(start.text);
    btnSimpleAuto_->setAccessibleName(start.text);
    btnSimpleAuto_->setEnabled(start.enabled);

    const bool running = state_.OwnRunActive();
    barUpdateProgress_->setVisible(running);
    // Always offered, but never under a run: it writes the image a file would replace.
    btnChooseFile_->setEnabled(!context_.runState.LinkBusy());
    lblDropHint_->setVisible(!running);
    const app::RecoveryOffer& offer = state_.Recovery();
    cbxRecoveryProduct_->setVisible(!running && (offer.files.size() > 1 || offer.askProduct));
    cbxRecoveryProduct_->setEnabled(!context_.runState.LinkBusy());

    // The refusal to close speaks of a run; once no run holds the link it is untrue.
    if (closeRefusedBox_ != nullptr && !context_.runState.LinkBusy())
        closeRefusedBox_->close();
    FitCompactWindow();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (lblUpdaeFileStatus_ == nullptr)
        return;
    // The elided names follow the width; the window then grows, if it must,
    // once this resize has settled.
    DrawFileLine();
    QMetaObject::invokeMethod(
        this, [this] { FitCompactWindow(); }, Qt::QueuedConnection);
}
