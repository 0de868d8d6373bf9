#pragma once

#include "cli/progress_view.h"

namespace cli {

// On a terminal: one line, redrawn in place, with the step, a bar, the
// percentage and the time since the start.
class TerminalProgress final : public ProgressView {
public:
    using ProgressView::ProgressView;
    void Finish() override;

private:
    void OnStep() override { Redraw(); }
    void OnPercent() override { Redraw(); }
    void Redraw();
    bool drawn_ = false;
};

}  // namespace cli
