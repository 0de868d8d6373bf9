#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/recovery_choice.h"
#include "app/update_panel_state.h"

#include "flash/simple_update.h"
#include "pages/file_chooser.h"
#include "pages/page_context.h"
#include "product/run_state.h"
#include "version/version.h"

class QCheckBox;
class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QFrame;
class QLabel;
class QMessageBox;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTimer;

namespace usb {
class RequestTrace;
class RingTrace;
class TeeTrace;
}  // namespace usb
namespace flash {
struct UpdateResult;
}
namespace image {
struct LoadResult;
}
namespace product {
struct UpdateOutcome;
struct ReportHeader;
}  // namespace product

namespace pages {
class LabeledEdit;
class RegisterPage;
class I2cPage;
class IspPage;
class ParameterPage;
class InformationPage;
class BinFilePage;
}  // namespace pages

// The main window: the device panel with the one-button update, the hidden
// maintenance pages and the periodic device detection. Handlers keep the
// names the rest of the tool and its tests know them by; every control's
// objectName is its name.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    struct Options {
        int logicalDpi = 0;        // 0: ask the screen
        bool engineering = false;  // show every maintenance page
        QString updateFile;        // given on the command line: used for the product found
        usb::RequestTrace* trace = nullptr;  // where notes about the run go, if anywhere
        // Where update files are looked for after the current folder (the
        // executable's own folder in the shipped tool); empty: nowhere else.
        QString secondFolder;
        // With --replay: why the replay stopped the run, or "" (see
        // product::BackendStart::replayStop); unset otherwise.
        std::function<std::string()> replayStop;
        // Searched last: the user's download folder in the shipped tool,
        // where a file fetched from the maker's site lands; empty: not searched.
        QString downloadFolder;
    };

    static constexpr const char* kWindowTitle =
        "Pale Reed USB Audio firmware update Tool V" PALEREED_VERSION;

    TForm1(pages::PageContext& context, Options options, QWidget* parent = nullptr);
    ~TForm1() override;

    // Detection (runs on every tick of Timer1).
    void Timer1Timer();
    void chkDetectUSBClick();
    void lbledtVIDPIDKeyDown(pages::LabeledEdit* sender, int key);

    // Finds, loads and shows the found product's update file.
    void LoadProductFile();

    // The one-button update.
    void btnSimpleAutoClick();

    // Recovery of a chip left waiting in ISP mode: the choice of product
    // when the folder holds several update files or the chip cannot say.
    void cbxRecoveryProductChange(int index);
    // Any update file, for whatever is plugged in (or plugged in later).
    void btnChooseFileClick();
    void SetFileChooser(pages::FileChooser chooser) { chooseFile_ = std::move(chooser); }

    // Writes the last run's report to a file the chooser names.
    void btnSaveReportClick();

    void FormClose();
    void MainPageControlChange();

    QTimer* Timer1() const { return timer1_; }
    // The panel's state, which the panel is drawn from.
    app::UpdatePanelState& PanelState() { return state_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void BuildDevicePanel();
    void CreateStatusControls();
    void CreateUpdateControls();
    void CreateDetectionControls();
    void LayOutDevicePanel();
    void BuildPages();
    void ApplyLayout();
    void ShowCompactLayout();
    void ShowEngineeringLayout();
    void SearchNextDevice();
    void ShowDetectionOutcome(bool newlyFound);
    // The colour, and in words what it shows, for a screen reader and a tool tip.
    void SetIndicatorColour(const QColor& colour, const QString& meaning);
    void SetFileStatus(app::PanelLine line, app::Indicator indicator);
    void DrawFileLine();
    // Draws the whole panel from its state.
    void ShowPanel();
    // The compact window grows to show every line of the panel whole.
    void FitCompactWindow();

    // An update file the panel is about to take: where it is, the name it is
    // shown by, and whom it is for.
    struct FileToLoad {
        QString path;
        QString shownName;
        bool anyKind = false;                       // a BIN image too, not only Intel HEX
        std::optional<app::RecoveryFile> recovery;  // for the chip waiting in ISP mode
        QString lookedIn;                           // where a missing file was looked for
        QString origin;  // where it came from, as the file line says it: "%2" is its folder
    };
    // Where update files are looked for, in order.
    QStringList SearchFolders() const;
    QString FolderOrigin(const QString& folder) const;
    // What the file line says while nothing is plugged in: the update files
    // that are there, if any.
    void ShowFilesWithoutDevice();
    // A file the user gave (dropped, chosen): it is the update file from now on.
    void TakeGivenFile(const QString& path, const QString& origin);
    FileToLoad FindProductFile() const;
    static FileToLoad RecoveryFileToLoad(const app::RecoveryFile& recovery);
    image::LoadResult LoadUpdateFile(const FileToLoad& file);
    void ShowUpdateFile(const FileToLoad& file, const image::LoadResult& result);
    void ShowProductFile(const FileToLoad& file, const image::LoadResult& result);
    void TakeUpdateFile(const FileToLoad& file);
    void SetProcStatus(app::MessageKind kind, const QString& text, int pointSize,
                       const QColor& colour);
    void DrawMessage();
    void RunOneButtonUpdate(flash::UpdateMode mode);
    void ShowRunEnd(const product::UpdateOutcome& outcome, app::RunEnd end, bool recovering,
                    const std::optional<app::RecoveryFile>& chosen);
    void ExplainWhyNotClosing();
    void ShowRunFailure(const flash::UpdateResult& result);
    void ShowNotRestarted(const flash::UpdateResult& result);
    QString FileMismatchNote() const;
    void AskToStopTheRun();
    void ShowStoppedRun(const product::UpdateOutcome& outcome);
    void OfferRecovery();
    std::optional<std::size_t> ProductInWaitingFlash();
    void ClearRecoveryOffer();
    void ShowRecoveryFile(const app::RecoveryFile& file, const image::LoadResult& result);
    app::PanelLine RecoveryFileStatus(const app::RecoveryFile& file) const;
    app::PanelLine RecoveryEndedFileStatus(const app::RecoveryFile& file) const;
    QString RecoveryFileOrigin(const app::RecoveryFile& file) const;
    QString RecoveryConfirmationNote() const;
    void FindReturnedProduct();
    QString RunningProductName() const;
    std::size_t ProductRowInView() const;

    // The report of the last run (tform1_report.cpp).
    void SetUpRunTrace();
    usb::RequestTrace* LinkTrace() const;
    void CreateReportControls();
    void BeginRunReport(const app::RecoveryFile& file);
    void EndRunReport(const flash::UpdateResult& result, app::RunEnd end);
    static QString FailurePlaceText(const flash::UpdateResult& result);

    pages::PageContext& context_;
    Options options_;
    int extra_ = 0;

    // The device panel, the only part of the window the end user sees.
    QFrame* pnlUSB_ = nullptr;
    QFrame* pnlUSBExist_ = nullptr;
    QLabel* lblDetectDevice_ = nullptr;
    QLabel* lblUpdaeFileStatus_ = nullptr;
    QLabel* lblISPProcStatus_ = nullptr;
    QProgressBar* barUpdateProgress_ = nullptr;
    QPushButton* btnSimpleAuto_ = nullptr;
    QCheckBox* chkDetectUSB_ = nullptr;
    QComboBox* cbxRecoveryProduct_ = nullptr;
    QPushButton* btnChooseFile_ = nullptr;
    QPushButton* btnSaveReport_ = nullptr;
    QLabel* lblDropHint_ = nullptr;
    pages::LabeledEdit* lbledtVID_ = nullptr;
    pages::LabeledEdit* lbledtPID_ = nullptr;

    // The maintenance pages, shown only to engineers.
    QTabWidget* MainPageControl_ = nullptr;
    pages::RegisterPage* registerPage_ = nullptr;
    pages::I2cPage* i2cPage_ = nullptr;
    pages::IspPage* ispPage_ = nullptr;
    pages::ParameterPage* parameterPage_ = nullptr;
    pages::InformationPage* informationPage_ = nullptr;
    pages::BinFilePage* binFilePage_ = nullptr;

    app::UpdatePanelState state_;
    pages::FileChooser chooseFile_ = pages::ChooseWithDialog;
    // Where the file the user gave came from, as the file line says it.
    QString givenFileOrigin_;
    int searchesSinceFileLook_ = 0;

    QTimer* timer1_ = nullptr;
    QPointer<QMessageBox> closeRefusedBox_;

    // Every run's requests, kept whether or not a trace file was asked for,
    // and what the last run's report says above them.
    std::unique_ptr<usb::RingTrace> runTrace_;
    std::unique_ptr<usb::TeeTrace> linkTrace_;
    std::unique_ptr<product::ReportHeader> report_;
};
