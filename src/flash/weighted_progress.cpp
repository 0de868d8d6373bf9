#include "flash/weighted_progress.h"

#include <algorithm>
#include <array>

namespace flash {

namespace {

// In the order of UpdateStep; they add up to 1.
// The checks before the erase take no share of their own.
constexpr std::array<double, 9> kStepWeights = {0.2, 0.2, 0.4, 0.2, 0.0, 0.0, 0.0, 0.0, 0.0};

double ShareBefore(UpdateStep step) {
    double share = 0.0;
    for (int i = 0; i < static_cast<int>(step); ++i)
        share += kStepWeights[i];
    return share;
}

}  // namespace

void WeightedProgress::BeginStep(UpdateStep step) {
    BeginShare(ShareBefore(step), kStepWeights[static_cast<int>(step)]);
}

void WeightedProgress::BeginShare(double start, double weight) {
    stepStart_ = start;
    stepWeight_ = weight;
    Report(stepStart_);
}

void WeightedProgress::Finish() {
    Report(1.0);
}

void WeightedProgress::SetShareDone(double share) {
    Report(stepStart_ + stepWeight_ * std::clamp(share, 0.0, 1.0));
}

// A part that ends where the next begins may end a rounding error above it;
// the bar (and the percent a log shows) must not step back for that.
void WeightedProgress::Report(double share) {
    reported_ = std::max(reported_, share);
    whole_.SetShareDone(reported_);
}

}  // namespace flash
