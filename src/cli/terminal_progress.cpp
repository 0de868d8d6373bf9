#include "cli/terminal_progress.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace cli {
namespace {

constexpr int kBarWidth = 30;

}  // namespace

void TerminalProgress::Redraw() {
    const int percent = std::clamp(Percent(), 0, 100);
    const int filled = percent * kBarWidth / 100;
    const std::uint64_t seconds = ElapsedMs() / 1000;
    char tail[48];
    std::snprintf(tail, sizeof tail, "] %3d%% %2u:%02u", percent,
                  static_cast<unsigned>(seconds / 60), static_cast<unsigned>(seconds % 60));
    // Carriage return and erase-to-end-of-line: the line is drawn over itself.
    Out() << "\r\x1b[K" << Step() << " [" << std::string(static_cast<std::size_t>(filled), '#')
          << std::string(static_cast<std::size_t>(kBarWidth - filled), '.') << tail << std::flush;
    drawn_ = true;
}

void TerminalProgress::Finish() {
    if (drawn_)
        Out() << "\n" << std::flush;
    drawn_ = false;
}

}  // namespace cli
