#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "flash/flash_progress.h"

namespace usb {
class Clock;
}

namespace cli {

// What a run shows while it goes: the step texts of the one-button update
// and the share done. Subclasses decide how it looks (a self-redrawing
// terminal line, one line per step, JSON lines). It also keeps the loops' own
// texts, so a failure can be reported with its address.
class ProgressView : public flash::FlashProgress, public flash::StepReporter {
public:
    ProgressView(std::ostream& out, const usb::Clock& clock);

    // flash::StepReporter: the device panel's status line.
    void ShowStep(std::string_view text) override;
    // flash::FlashProgress: the ISP page's labels and the share done.
    void SetStepText(std::string_view text) override;
    void SetAddressText(std::string_view text) override;
    void SetStatusRegisterText(std::string_view) override {}
    void PumpEvents() override {}
    void SetShareDone(double share) override;

    // Ends the display of a run (the terminal line gets its newline).
    virtual void Finish() {}
    // Also show the loops' own texts under each step (--verbose): what a
    // step waits for, retries and fails on.
    void ShowDetails(bool show) { showDetails_ = show; }

    const std::string& Step() const { return step_; }
    // A loop's failure text ("Verifying Fail at 0x001200"), empty when none.
    const std::string& FailureText() const { return failureText_; }
    // The address of the failure text, or else the last address a loop showed.
    std::optional<std::uint32_t> LastAddress() const { return lastAddress_; }
    std::uint64_t ElapsedMs() const;

protected:
    virtual void OnStep() = 0;
    virtual void OnPercent() = 0;
    // A loop's text within the current step, when details are shown.
    virtual void OnDetail(std::string_view /*text*/) {}
    std::ostream& Out() { return out_; }
    int Percent() const { return percent_; }

private:
    std::ostream& out_;
    const usb::Clock& clock_;
    std::uint64_t startUs_;
    std::string step_;
    int percent_ = -1;
    std::string failureText_;
    bool showDetails_ = false;
    std::string detail_;
    std::optional<std::uint32_t> lastAddress_;
};

// The step text without the erase poll's progress dots and trailing blanks,
// so that "Flash Erase All ..." is one step.
std::string StepName(std::string_view text);

}  // namespace cli
