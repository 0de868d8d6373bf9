#include "cli/plain_progress.h"

#include <cstdio>
#include <ostream>

namespace cli {

void PlainProgress::OnStep() {
    char elapsed[24];
    std::snprintf(elapsed, sizeof elapsed, "[%6.1f s] ", static_cast<double>(ElapsedMs()) / 1000.0);
    Out() << elapsed << Step() << "\n" << std::flush;
}

}  // namespace cli
