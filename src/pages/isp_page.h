#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "flash/read_back.h"
#include "pages/file_chooser.h"
#include "pages/isp_page_layout.h"
#include "pages/page_context.h"
#include "product/run_state.h"

namespace flash {
class FlashProgress;
}

namespace pages {

class IspPageProgress;

// The "ISP" page: each flash step on its own button, the access range, the
// instruction codes, and the "Auto" run with its program file. Handlers keep
// the names the window and the tests know them by and are public so both can
// call them; every control's objectName is its name.
class IspPage : public QWidget {
    Q_OBJECT

public:
    explicit IspPage(PageContext& context, QWidget* parent = nullptr);
    ~IspPage() override;

    // Start-up state of the window: every "Auto" step ticked except the
    // flash protection, "All" selected and applied, then 64 KB in both range
    // edits for when "Assign Range" is chosen.
    void ApplyStartupDefaults();
    // The compact layout shows only the instruction codes and the progress.
    void HideStartupControls();

    // The "File" button loads the found product's update file; the window
    // knows how. The " Save" button runs the Gen. Bin File page's save.
    void SetUpdateFileLoader(std::function<void()> loader);
    void SetSaveHandler(std::function<void()> handler);
    // "Auto" runs inside this, so the window can hold what a run needs held.
    void SetAutoRunWrapper(std::function<void(const std::function<void()>&)> wrapper) {
        autoRunWrapper_ = std::move(wrapper);
    }
    // Asks for the name of Read Flash's dump file; tests answer in place of the dialog.
    void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

    // Writes this page's progress labels and keeps the window responsive;
    // the window's one-button update reports its loops through it too.
    flash::FlashProgress& Progress();
    // The same object, for listening to every text it shows.
    IspPageProgress& ProgressLabels();

    // "Function Test" and "Flash Access Range".
    void btnEnterISPClick();
    void btnUSBChipIDClick();
    void btnUSBReadStatusClick();
    void lbledtUSBWriteStatusKeyDown(int key);
    void btnUSBWriteEnableClick();
    void btnUSBWriteDisableClick();
    void btnUSBEraseClick();
    void rbnRangeClick();
    void lbledISPStartKeyDown(int key);
    void btnUSBBlankClick();
    void btnUSBProgramClick();
    void btnUSBVerifyClick();
    void btnReadBackClick();

    // "Auto" and its program file.
    void btnUSBISPAutoClick();
    // False when no file is named or the named one could not be loaded (the
    // image keeps its content).
    bool ReadProgramFile();
    void RememberProgramFile();
    void USBLoadFileBitBtnClick();

    // Whether the page believes the chip is in ISP mode (the Enter ISP button's state).
    bool IspActive() const { return IspActive_; }

private:
    void ConnectFunctionTest();
    void ConnectAutoRun();
    // Runs a device operation unless one is already under way: the loops
    // pump events, and a second operation would close the device handle
    // under the first or load the image it is reading.
    void RunExclusive(const std::function<void()>& operation);
    bool WholeFlashSelected() const;
    void SaveReadBackDump();
    bool ReloadForAutoRun();
    void ValidateRangeEdits() const;

    PageContext& context_;
    IspControls controls_;
    IspPageProgress* progress_ = nullptr;
    std::unique_ptr<flash::ReadBackBuffer> readBackBuffer_;
    std::function<void()> updateFileLoader_;
    std::function<void()> saveHandler_;
    std::function<void(const std::function<void()>&)> autoRunWrapper_;
    FileChooser chooseFile_ = ChooseWithDialog;
    bool IspActive_ = false;
    // The "Auto" run while it lasts; empty otherwise.
    std::optional<product::RunState::Run> autoRun_;
};

}  // namespace pages
