#include "cli/terminal_progress.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <utility>

namespace cli {
namespace {

constexpr std::size_t kBarWidth = 30;
// Below this the bar says too little to be worth its room.
constexpr std::size_t kShortestBar = 10;
// When the terminal does not say.
constexpr int kUsualColumns = 80;

// "Step [#####.....] 100%  0:02", cut to `width` characters: the bar
// narrows first, then the step's name, and on a very narrow terminal the
// bar goes, since the percentage says the same.
std::string FitLine(const std::string& step, int percent, std::uint64_t seconds,
                    std::size_t width) {
    char numbers[32];
    std::snprintf(numbers, sizeof numbers, "%3d%% %2u:%02u", percent,
                  static_cast<unsigned>(seconds / 60), static_cast<unsigned>(seconds % 60));
    const std::string tail = std::string("] ") + numbers;
    const std::size_t frame = 2 + tail.size();  // " [" and the tail
    std::string name = step;
    std::size_t bar = kBarWidth;
    if (name.size() + frame + bar > width)
        bar = std::max(kShortestBar, width > name.size() + frame ? width - name.size() - frame : 0);
    if (name.size() + frame + bar > width && width >= frame + bar + 1)
        name.resize(width - frame - bar);
    if (name.size() + frame + bar > width) {
        const std::string figures = std::string(" ") + numbers;
        if (width <= figures.size())
            return figures.substr(1, width);
        return step.substr(0, width - figures.size()) + figures;
    }
    const std::size_t filled = static_cast<std::size_t>(percent) * bar / 100;
    return name + " [" + std::string(filled, '#') + std::string(bar - filled, '.') + tail;
}

}  // namespace

TerminalProgress::TerminalProgress(std::ostream& out, const usb::Clock& clock,
                                   std::function<int()> columns)
    : ProgressView(out, clock), columns_(std::move(columns)) {}

void TerminalProgress::Redraw() {
    const int asked = columns_ ? columns_() : 0;
    const int columns = asked > 0 ? asked : kUsualColumns;
    // The last column stays free: some terminals wrap as soon as it is written.
    const auto width = static_cast<std::size_t>(std::max(columns - 1, 1));
    const std::string line =
        FitLine(Step(), std::clamp(Percent(), 0, 100), ElapsedMs() / 1000, width);
    // Carriage return and erase-to-end-of-line: the line is drawn over itself.
    Out() << "\r\x1b[K" << line << std::flush;
    drawn_ = true;
}

void TerminalProgress::Finish() {
    if (drawn_)
        Out() << "\n" << std::flush;
    drawn_ = false;
}

}  // namespace cli
