#pragma once

#include "cli/progress_view.h"

namespace cli {

// Not on a terminal (a pipe, a log file): one plain line per step, with the
// seconds since the start, and nothing for the percentage.
class PlainProgress final : public ProgressView {
public:
    using ProgressView::ProgressView;

private:
    void OnStep() override;
    void OnPercent() override {}
    void OnDetail(std::string_view text) override;
};

}  // namespace cli
