#pragma once

#include <string_view>

namespace flash {

// What the flash operations show while they run. The window writes the ISP
// page's labels and pumps its event loop; tests record the calls. Long loops
// call PumpEvents between blocks so the window stays responsive.
class FlashProgress {
public:
    virtual ~FlashProgress() = default;
    virtual void SetStepText(std::string_view text) = 0;            // lblUSBProcessInfo
    virtual void SetAddressText(std::string_view text) = 0;         // lblUSBISPProcess
    virtual void SetStatusRegisterText(std::string_view text) = 0;  // lblUSBISPStatusReg
    virtual void PumpEvents() = 0;
    // Share of the work in hand done, 0 to 1. Inside "Start" this is the
    // share of the whole update; a loop run on its own reports its own share.
    virtual void SetShareDone(double share) = 0;
};

// The device panel's status line (lblISPProcStatus), where "Start" reports
// its steps for the end user.
class StepReporter {
public:
    virtual ~StepReporter() = default;
    virtual void ShowStep(std::string_view text) = 0;
};

// Steps shown where the ISP page shows them: on the progress's own step label.
class ProgressStepReporter final : public StepReporter {
public:
    explicit ProgressStepReporter(FlashProgress& progress) : progress_(progress) {}
    void ShowStep(std::string_view text) override { progress_.SetStepText(text); }

private:
    FlashProgress& progress_;
};

}  // namespace flash
