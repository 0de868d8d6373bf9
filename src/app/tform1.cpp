#include "app/tform1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/keep_awake.h"
#include "catalog/product_table.h"
#include "chip/registers.h"
#include "pages/accessible.h"
#include "pages/binfile_page.h"
#include "pages/handler_guard.h"
#include "pages/i2c_page.h"
#include "pages/information_page.h"
#include "pages/isp_page.h"
#include "pages/labeled_edit.h"
#include "pages/parameter_page.h"
#include "pages/register_page.h"
#include "product/detection.h"
#include "product/run_report.h"
#include "usb/open_scope.h"
#include "usb/quorvex_usb.h"
#include "usb/ring_trace.h"
#include "usb/tee_trace.h"

namespace {

constexpr int kLargeScalingDpi = 120;
constexpr int kLargeScalingExtra = 140;
constexpr int kCompactWidth = 606;
constexpr int kCompactHeight = 200;
constexpr int kEngineeringWidth = 1000;
constexpr int kEngineeringHeight = 780;

}  // namespace

TForm1::TForm1(pages::PageContext& context, Options options, QWidget* parent)
    : QWidget(parent), context_(context), options_(std::move(options)) {
    setObjectName(QStringLiteral("Form1"));
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setStyleHint(QFont::SansSerif);
    windowFont.setPointSize(8);
    setFont(windowFont);
    setAcceptDrops(true);  // a firmware file dropped on the window is the update file

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(1000);
    connect(timer1_, &QTimer::timeout, this, pages::Guarded([this] { Timer1Timer(); }));

    SetUpRunTrace();
    BuildDevicePanel();
    BuildPages();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pnlUSB_, 1);
    layout->addWidget(MainPageControl_, 0);

    FormCreate();
    timer1_->start();
}

TForm1::~TForm1() {
    // The link outlives the window; its lines go on to the trace file alone.
    context_.usbLink.SetTrace(options_.trace);
}

void TForm1::BuildPages() {
    MainPageControl_ = new QTabWidget(this);
    MainPageControl_->setObjectName(QStringLiteral("MainPageControl"));
    pages::SetAccessibleTexts(MainPageControl_->tabBar(), QStringLiteral("Maintenance pages"),
                              QStringLiteral("Chooses the maintenance page shown"));
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

    ispPage_->SetUpdateFileLoader(pages::Guarded([this] { LoadProductFile(); }));
    ispPage_->SetSaveHandler(pages::Guarded([this] { binFilePage_->btnSaveBinClick(); }));
    ispPage_->SetAutoRunWrapper([this](const std::function<void()>& run) {
        const app::KeepAwake awake(RunningProductName(), LinkTrace());
        run();
    });
    connect(MainPageControl_, &QTabWidget::currentChanged, this,
            pages::Guarded([this](int) { MainPageControlChange(); }));
}

void TForm1::FormCreate() {
    const int dpi = options_.logicalDpi > 0 ? options_.logicalDpi : logicalDpiX();
    extra_ = dpi >= kLargeScalingDpi ? kLargeScalingExtra : 0;
    setWindowTitle(QString::fromLatin1(kWindowTitle));

    ispPage_->ApplyStartupDefaults();
    state_.vidText = QStringLiteral("2fc6");
    state_.pidText = QStringLiteral("f800");
    registerPage_->FillGridHeadings();
    i2cPage_->FillGridHeadings();
    MainPageControl_->setCurrentWidget(registerPage_);
    state_.SetDetecting(false);
    lbledtVID_->setText(state_.vidText);
    lbledtPID_->setText(state_.pidText);
    chkDetectUSB_->setChecked(true);  // runs chkDetectUSBClick: detection on
    context_.devicePages.sysSetting = {0xA1, 0x00, 0x00, 0x00};
    parameterPage_->ShowSysSetting();
    lbledtVID_->setText(QStringLiteral("2fc6"));
    lbledtPID_->setText(QStringLiteral("f800"));

    ApplyLayout();
    if (!options_.updateFile.isEmpty())
        givenFileOrigin_ = QStringLiteral("Given on the command line, in %2");
    ShowFilesWithoutDevice();
    binFilePage_->CopyBuiltInBlock();
}

void TForm1::ApplyLayout() {
    // Page changes made here are start-up layout, not the user switching pages.
    const QSignalBlocker quietPages(MainPageControl_);
    if (options_.engineering) {
        ShowEngineeringLayout();
    } else {
        ShowCompactLayout();
    }
}

void TForm1::ShowCompactLayout() {
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
    resize(kCompactWidth + extra_, kCompactHeight + extra_);
}

// Never smaller than it starts; larger when the panel's text needs it, so
// that no line is cut at any font size or scale. It does not shrink back
// when a long text goes: a window that jumps under the pointer is worse.
void TForm1::FitCompactWindow() {
    if (options_.engineering || layout() == nullptr)
        return;
    // A label's new text invalidates only the panel's own layout; the window's
    // keeps the height it worked out for the old text until told.
    pnlUSB_->layout()->invalidate();
    pnlUSB_->updateGeometry();
    layout()->invalidate();
    const QSize least = layout()->totalMinimumSize().expandedTo(
        QSize(kCompactWidth + extra_, kCompactHeight + extra_));
    const int width = std::max(this->width(), least.width());
    const int need =
        layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width) : least.height();
    setMinimumSize(least.width(), std::max(least.height(), need));
    if (width > this->width() || need > height())
        resize(width, std::max(need, height()));
}

void TForm1::ShowEngineeringLayout() {
    MainPageControl_->show();
    // The pages get the room; the device panel keeps its own height.
    auto* windowLayout = static_cast<QVBoxLayout*>(layout());
    windowLayout->setStretchFactor(pnlUSB_, 0);
    windowLayout->setStretchFactor(MainPageControl_, 1);
    chkDetectUSB_->show();
    lbledtVID_->show();
    lbledtPID_->show();
    resize(kEngineeringWidth + extra_, kEngineeringHeight + extra_);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing in the middle of an update would leave the product half written
    // with nobody watching; the window stays until the operation has ended.
    if (context_.runState.LinkBusy()) {
        event->ignore();
        ExplainWhyNotClosing();
        return;
    }
    pages::RunGuarded([this] { FormClose(); });
    QWidget::closeEvent(event);
}

void TForm1::ExplainWhyNotClosing() {
    if (closeRefusedBox_ != nullptr) {
        closeRefusedBox_->raise();
        return;
    }
    const QString text =
        context_.runState.Running()
            ? QStringLiteral(
                  "The firmware update is still running. Closing the window now would "
                  "leave the product half written. The window can be closed once the "
                  "update has ended.")
            : QStringLiteral(
                  "A device operation is still running. The window can be closed "
                  "once it has ended.");
    // Not a blocking box: the update it explains goes on while the box is open.
    closeRefusedBox_ = new QMessageBox(QMessageBox::Warning, QStringLiteral("Warning"), text,
                                       QMessageBox::Ok, this);
    closeRefusedBox_->setObjectName(QStringLiteral("CloseRefusedBox"));
    closeRefusedBox_->setAttribute(Qt::WA_DeleteOnClose);
    closeRefusedBox_->open();
}

void TForm1::FormClose() {
    if (context_.usbLink.IsFound())
        context_.usbLink.CloseDevice();
}

void TForm1::MainPageControlChange() {
    if (MainPageControl_->currentWidget() != i2cPage_)
        return;
    // Nothing may close the link under a running table read.
    if (context_.runState.LinkBusy())
        return;
    const usb::OpenScope device(context_.usbLink);
    chip::I2cPrepare(context_.usbLink);
}

// The product a run of the ISP page works on, for the lock's reason.
QString TForm1::RunningProductName() const {
    if (context_.usbLink.UsesAudioDriver())
        return app::ProductName(ProductRowInView());
    const std::optional<app::RecoveryFile>& chosen = state_.Recovery().chosen;
    return chosen ? app::ProductName(chosen->row) : QStringLiteral("the chip waiting in ISP mode");
}

// The row of the product the detection found; while none is found (the ISP
// page may load the update file without a device), the row searched last.
std::size_t TForm1::ProductRowInView() const {
    const std::optional<product::ListedDevice> found =
        product::FoundDevice(context_.usbLink, state_.Detection());
    if (found && found->row != nullptr)
        return static_cast<std::size_t>(found->row - product::productTable.data());
    return product::LastProductRow(state_.Detection());
}
