#pragma once

#include "flash/flash_progress.h"
#include "flash/update_result.h"

namespace flash {

// Turns the share each step reports of its own work into the share of the
// whole "Start" update, by fixed weights that follow where the time goes on
// a typical product: erase 20 %, blank check 20 %, programming 40 %,
// verification 20 %. The share it reports never falls. Texts and event
// pumping pass straight through.
class WeightedProgress final : public FlashProgress {
public:
    explicit WeightedProgress(FlashProgress& whole) : whole_(whole) {}

    // Reports the share done before `step` and maps later shares into it.
    void BeginStep(UpdateStep step);
    // The same for a part of the bar of the caller's choosing: from `start`,
    // `weight` wide (a run whose parts are not the steps above).
    void BeginShare(double start, double weight);
    void Finish();

    void SetStepText(std::string_view text) override { whole_.SetStepText(text); }
    void SetAddressText(std::string_view text) override { whole_.SetAddressText(text); }
    void SetStatusRegisterText(std::string_view text) override {
        whole_.SetStatusRegisterText(text);
    }
    void PumpEvents() override { whole_.PumpEvents(); }
    void SetShareDone(double share) override;

private:
    void Report(double share);

    FlashProgress& whole_;
    double stepStart_ = 0.0;
    double stepWeight_ = 0.0;
    double reported_ = 0.0;  // the share the whole has been given; it only rises
};

}  // namespace flash
