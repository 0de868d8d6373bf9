#pragma once

#include <functional>

#include "cli/progress_view.h"

namespace cli {

// On a terminal: one line, redrawn in place, with the step, a bar, the
// percentage and the time since the start. The line is kept narrower than
// the terminal: a line that wraps cannot be redrawn in place, and every
// redraw would leave a line behind.
class TerminalProgress final : public ProgressView {
public:
    TerminalProgress(std::ostream& out, const usb::Clock& clock, std::function<int()> columns);
    void Finish() override;

private:
    void OnStep() override { Redraw(); }
    void OnPercent() override { Redraw(); }
    void Redraw();
    std::function<int()> columns_;
    bool drawn_ = false;
};

}  // namespace cli
