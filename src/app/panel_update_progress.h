#pragma once

#include "flash/flash_progress.h"

class QLabel;
class QProgressBar;

namespace app {

// What "Start" shows while it runs: its step texts in the device panel's
// status line, the share of the whole update in the panel's progress bar,
// and everything else (loop texts, event pumping) on the ISP page as usual.
class PanelUpdateProgress final : public flash::FlashProgress, public flash::StepReporter {
public:
    PanelUpdateProgress(flash::FlashProgress& ispPage, QLabel* statusLine, QProgressBar* bar);

    void ShowStep(std::string_view text) override;

    void SetStepText(std::string_view text) override { ispPage_.SetStepText(text); }
    void SetAddressText(std::string_view text) override { ispPage_.SetAddressText(text); }
    void SetStatusRegisterText(std::string_view text) override {
        ispPage_.SetStatusRegisterText(text);
    }
    void PumpEvents() override { ispPage_.PumpEvents(); }
    void SetShareDone(double share) override;

private:
    flash::FlashProgress& ispPage_;
    QLabel* statusLine_;
    QProgressBar* bar_;
};

}  // namespace app
