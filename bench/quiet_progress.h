#pragma once

#include <string_view>

#include "flash/flash_progress.h"

namespace bench_support {

// Progress nobody watches: a benchmark measures the run, not its display.
class QuietProgress final : public flash::FlashProgress, public flash::StepReporter {
public:
    void SetStepText(std::string_view) override {}
    void SetAddressText(std::string_view) override {}
    void SetStatusRegisterText(std::string_view) override {}
    void PumpEvents() override {}
    void SetShareDone(double) override {}
    void ShowStep(std::string_view) override {}
};

}  // namespace bench_support
