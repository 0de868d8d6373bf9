#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "flash/flash_progress.h"

namespace flash_test {

// Records what the operations show: every text in one list, prefixed with the
// label it went to ("step: ", "addr: ", "sr: ", "panel: "), and the shares.
class ProgressRecorder final : public flash::FlashProgress, public flash::StepReporter {
public:
    void SetStepText(std::string_view text) override { Add("step: ", text); }
    void SetAddressText(std::string_view text) override { Add("addr: ", text); }
    void SetStatusRegisterText(std::string_view text) override { Add("sr: ", text); }
    void PumpEvents() override { ++pumps; }
    void SetShareDone(double share) override { shares.push_back(share); }
    void ShowStep(std::string_view text) override { Add("panel: ", text); }

    // The texts that went to one label, in order.
    std::vector<std::string> To(std::string_view label) const;
    // The last text of one label, or "" when none.
    std::string Last(std::string_view label) const;

    std::vector<std::string> texts;
    std::vector<double> shares;
    int pumps = 0;
    // Called with each recorded text, label prefix included, to act at a
    // chosen moment of a run (unplug, inject a fault).
    std::function<void(const std::string&)> onText;

private:
    void Add(std::string_view label, std::string_view text);
};

}  // namespace flash_test
