#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cli/progress_view.h"

namespace cli {

// The output of devices updated side by side, written from their threads.
// On a terminal a board of one line per device, each redrawn in place; else
// whole lines (plain progress, JSON, summaries), never two mixed in one.
class SideBySideOutput {
public:
    // `columns` gives the terminal's width at each redraw (null or 0: unknown);
    // a row never reaches the last column, so it never wraps.
    SideBySideOutput(std::ostream& out, bool board, std::size_t rows,
                     std::function<int()> columns = {});

    bool Board() const { return board_; }
    // One whole line.
    void Line(const std::string& text);
    // The board's row `row` shows `text` from now on.
    void Row(std::size_t row, const std::string& text);
    // A stream whose lines go out whole through Line(), each after `prefix`.
    std::unique_ptr<std::ostream> LineStream(std::string prefix);
    std::ostream& Out() { return out_; }

private:
    std::mutex mutex_;
    std::ostream& out_;
    bool board_;
    std::function<int()> columns_;
    std::vector<std::string> rows_;
    bool drawn_ = false;
};

// One device's row of the board: its location, step, bar, percent and time.
class RowProgress final : public ProgressView {
public:
    RowProgress(SideBySideOutput& output, std::size_t row, std::string location,
                const usb::Clock& clock);

private:
    void OnStep() override { Draw(); }
    void OnPercent() override { Draw(); }
    void Draw();

    SideBySideOutput& output_;
    std::size_t row_;
    std::string location_;
};

}  // namespace cli
