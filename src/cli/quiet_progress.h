#pragma once

#include "cli/progress_view.h"

namespace cli {

// With --quiet: nothing while the run goes, only its result at the end. The
// loops' texts are still kept, for the result's address and cause.
class QuietProgress final : public ProgressView {
public:
    using ProgressView::ProgressView;

private:
    void OnStep() override {}
    void OnPercent() override {}
};

}  // namespace cli
