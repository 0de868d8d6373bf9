#pragma once

#include "cli/progress_view.h"

namespace cli {

// With --json: {"event":"step",...} for each step and {"event":"progress",...}
// for each whole percent, one object per line.
class JsonProgress final : public ProgressView {
public:
    using ProgressView::ProgressView;

private:
    void OnStep() override;
    void OnPercent() override;
};

}  // namespace cli
