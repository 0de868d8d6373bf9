#include "app/tform1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "chip/registers.h"
#include "pages/binfile_page.h"
#include "pages/handler_guard.h"
#include "pages/i2c_page.h"
#include "pages/information_page.h"
#include "pages/isp_page.h"
#include "pages/labeled_edit.h"
#include "pages/parameter_page.h"
#include "pages/register_page.h"
#include "usb/quorvex_usb.h"

namespace {

constexpr int kLargeScalingDpi = 120;
constexpr int kLargeScalingExtra = 140;
constexpr int kCompactWidth = 606;
constexpr int kCompactHeight = 200;
constexpr int kPanelHeight = 120;
constexpr int kEngineeringWidth = 1000;
constexpr int kEngineeringHeight = 780;

QLabel* MakeLabel(const char* name, const QString& text, int pointSize, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont font = label->font();
    font.setPointSize(pointSize);
    label->setFont(font);
    return label;
}

}  // namespace

TForm1::TForm1(pages::PageContext& context, Options options, QWidget* parent)
    : QWidget(parent), context_(context), options_(options) {
    setObjectName(QStringLiteral("Form1"));
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setStyleHint(QFont::SansSerif);
    windowFont.setPointSize(8);
    setFont(windowFont);

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(1000);
    connect(timer1_, &QTimer::timeout, this, pages::Guarded([this] { Timer1Timer(); }));

    BuildDevicePanel();
    BuildPages();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pnlUSB_, 1);
    layout->addWidget(MainPageControl_, 0);

    FormCreate();
    timer1_->start();
}

TForm1::~TForm1() = default;

void TForm1::BuildDevicePanel() {
    pnlUSB_ = new QFrame(this);
    pnlUSB_->setObjectName(QStringLiteral("pnlUSB"));
    pnlUSB_->setFrameShape(QFrame::NoFrame);
    pnlUSB_->setMinimumHeight(kPanelHeight);

    pnlUSBExist_ = new QFrame(pnlUSB_);
    pnlUSBExist_->setObjectName(QStringLiteral("pnlUSBExist"));
    pnlUSBExist_->setFrameShape(QFrame::Box);
    pnlUSBExist_->setLineWidth(1);
    pnlUSBExist_->setFixedSize(22, 22);
    pnlUSBExist_->setAutoFillBackground(true);

    lblDetectDevice_ =
        MakeLabel("lblDetectDevice", QStringLiteral("No device is available"), 12, pnlUSB_);
    lblUpdaeFileStatus_ =
        MakeLabel("lblUpdaeFileStatus", QStringLiteral("No Updated File !"), 12, pnlUSB_);
    lblUpdaeFileStatus_->setWordWrap(true);
    lblISPProcStatus_ =
        MakeLabel("lblISPProcStatus", QStringLiteral("Abort Firmware update process"), 16, pnlUSB_);
    lblISPProcStatus_->setWordWrap(true);

    barUpdateProgress_ = new QProgressBar(pnlUSB_);
    barUpdateProgress_->setObjectName(QStringLiteral("barUpdateProgress"));
    barUpdateProgress_->setRange(0, 1000);
    barUpdateProgress_->setTextVisible(true);
    barUpdateProgress_->hide();

    btnSimpleAuto_ = new QPushButton(QStringLiteral("Start"), pnlUSB_);
    btnSimpleAuto_->setObjectName(QStringLiteral("btnSimpleAuto"));
    btnSimpleAuto_->setEnabled(false);
    btnSimpleAuto_->setMinimumSize(96, 34);
    connect(btnSimpleAuto_, &QPushButton::clicked, this,
            pages::Guarded([this] { btnSimpleAutoClick(); }));

    chkDetectUSB_ = new QCheckBox(QStringLiteral("Detect Device"), pnlUSB_);
    chkDetectUSB_->setObjectName(QStringLiteral("chkDetectUSB"));
    connect(chkDetectUSB_, &QCheckBox::toggled, this,
            pages::Guarded([this](bool) { chkDetectUSBClick(); }));
    lbledtVID_ = new pages::LabeledEdit(QStringLiteral("lbledtVID"), QStringLiteral("VID:"),
                                        QStringLiteral("2fc6"), pnlUSB_);
    lbledtPID_ = new pages::LabeledEdit(QStringLiteral("lbledtPID"), QStringLiteral("PID:"),
                                        QStringLiteral("6012"), pnlUSB_);
    for (pages::LabeledEdit* edit : {lbledtVID_, lbledtPID_}) {
        edit->hide();
        connect(edit, &pages::LabeledEdit::keyDown, this,
                pages::Guarded([this, edit](int key) { lbledtVIDPIDKeyDown(edit, key); }));
    }

    // Indicator at the panel's top left (20, 8); texts beside it; the update
    // control row at the bottom.
    auto* grid = new QGridLayout(pnlUSB_);
    grid->setContentsMargins(20, 8, 16, 10);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(6);
    grid->addWidget(pnlUSBExist_, 0, 0, Qt::AlignTop);
    grid->addWidget(lblDetectDevice_, 0, 1, 1, 2);
    grid->addWidget(lblUpdaeFileStatus_, 1, 1, 1, 2);
    grid->addWidget(lblISPProcStatus_, 2, 1, 1, 2);
    grid->addWidget(barUpdateProgress_, 3, 1);
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

void TForm1::BuildPages() {
    MainPageControl_ = new QTabWidget(this);
    MainPageControl_->setObjectName(QStringLiteral("MainPageControl"));
    MainPageControl_->hide();

    registerPage_ = new pages::RegisterPage(context_);
    i2cPage_ = new pages::I2cPage(context_);
    binFilePage_ = new pages::BinFilePage(context_);
    ispPage_ = new pages::IspPage(context_);
    parameterPage_ = new pages::ParameterPage(context_);
    informationPage_ = new pages::InformationPage(context_, *i2cPage_);

    MainPageControl_->addTab(registerPage_, QStringLiteral("Register"));
    MainPageControl_->addTab(i2cPage_, QStringLiteral("I2C Access"));
    MainPageControl_->addTab(ispPage_, QStringLiteral("ISP"));
    MainPageControl_->addTab(parameterPage_, QStringLiteral("Parameter"));
    MainPageControl_->addTab(informationPage_, QStringLiteral("Information"));
    MainPageControl_->addTab(binFilePage_, QStringLiteral("Gen. Bin File"));

    ispPage_->SetUpdateFileLoader(pages::Guarded([this] { ReadProgramFile1(); }));
    ispPage_->SetSaveHandler(pages::Guarded([this] { binFilePage_->btnSaveBinClick(); }));
    connect(MainPageControl_, &QTabWidget::currentChanged, this,
            pages::Guarded([this](int) { MainPageControlChange(); }));
}

void TForm1::FormCreate() {
    const int dpi = options_.logicalDpi > 0 ? options_.logicalDpi : logicalDpiX();
    extra_ = dpi >= kLargeScalingDpi ? kLargeScalingExtra : 0;
    setWindowTitle(QString::fromLatin1(kWindowTitle));

    ispPage_->ApplyStartupDefaults();
    context_.shell.vidText = QStringLiteral("2fc6");
    context_.shell.pidText = QStringLiteral("f800");
    registerPage_->FillGridHeadings();
    i2cPage_->FillGridHeadings();
    MainPageControl_->setCurrentWidget(registerPage_);
    context_.shell.detectEnabled = false;
    context_.shell.sequenceRunning = false;
    lbledtVID_->setText(context_.shell.vidText);
    lbledtPID_->setText(context_.shell.pidText);
    chkDetectUSB_->setChecked(true);  // runs chkDetectUSBClick: detection on
    context_.devicePages.sysSetting = {0xA1, 0x00, 0x00, 0x00};
    parameterPage_->ShowSysSetting();
    lbledtVID_->setText(QStringLiteral("2fc6"));
    lbledtPID_->setText(QStringLiteral("f800"));

    // Page changes made here are start-up layout, not the user switching pages.
    const QSignalBlocker quietPages(MainPageControl_);
    if (options_.engineering) {
        MainPageControl_->show();
        // The pages get the room; the device panel keeps its own height.
        auto* windowLayout = static_cast<QVBoxLayout*>(layout());
        windowLayout->setStretchFactor(pnlUSB_, 0);
        windowLayout->setStretchFactor(MainPageControl_, 1);
    } else {
        for (QWidget* page :
             {static_cast<QWidget*>(registerPage_), static_cast<QWidget*>(i2cPage_),
              static_cast<QWidget*>(parameterPage_), static_cast<QWidget*>(informationPage_),
              static_cast<QWidget*>(binFilePage_)}) {
            MainPageControl_->setTabVisible(MainPageControl_->indexOf(page), false);
        }
        MainPageControl_->setFixedHeight(100 + extra_);
        ispPage_->HideStartupControls();
        chkDetectUSB_->hide();
        lbledtVID_->hide();
        lbledtPID_->hide();
    }
    ApplyWindowSize(extra_);
    SetIndicatorColour(palette().color(QPalette::Button));
    lblISPProcStatus_->clear();
    binFilePage_->btnSaveBinClick();
}

void TForm1::ApplyWindowSize(int extra) {
    if (options_.engineering) {
        chkDetectUSB_->show();
        lbledtVID_->show();
        lbledtPID_->show();
        resize(kEngineeringWidth + extra, kEngineeringHeight + extra);
        return;
    }
    resize(kCompactWidth + extra, kCompactHeight + extra);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing in the middle of an update would leave the product half written
    // with nobody watching; the window stays until the operation has ended.
    if (context_.devicePages.linkLock.IsHeld()) {
        event->ignore();
        return;
    }
    pages::RunGuarded([this] { FormClose(); });
    QWidget::closeEvent(event);
}

void TForm1::FormClose() {
    if (context_.usbLink.IsFound())
        context_.usbLink.CloseDevice();
}

void TForm1::MainPageControlChange() {
    if (MainPageControl_->currentWidget() != i2cPage_)
        return;
    // Nothing may close the link under a running table read.
    if (context_.devicePages.linkLock.IsHeld())
        return;
    context_.usbLink.OpenDevice();
    chip::I2cPrepare(context_.usbLink);
    context_.usbLink.CloseDevice();
}

void TForm1::SetIndicatorColour(const QColor& colour) {
    QPalette palette = pnlUSBExist_->palette();
    palette.setColor(QPalette::Window, colour);
    pnlUSBExist_->setPalette(palette);
}

void TForm1::SetProcStatus(const QString& text, int pointSize, const QColor& colour) {
    QFont font = lblISPProcStatus_->font();
    font.setPointSize(pointSize);
    lblISPProcStatus_->setFont(font);
    QPalette palette = lblISPProcStatus_->palette();
    palette.setColor(QPalette::WindowText, colour);
    lblISPProcStatus_->setPalette(palette);
    lblISPProcStatus_->setText(text);
}
