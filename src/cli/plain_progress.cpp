#include "cli/plain_progress.h"

#include <cstdio>
#include <ostream>

namespace cli {

namespace {

std::string Elapsed(std::uint64_t ms) {
    char elapsed[24];
    std::snprintf(elapsed, sizeof elapsed, "[%6.1f s] ", static_cast<double>(ms) / 1000.0);
    return elapsed;
}

}  // namespace

void PlainProgress::OnStep() {
    Out() << Elapsed(ElapsedMs()) << Step() << "\n" << std::flush;
}

void PlainProgress::OnDetail(std::string_view text) {
    Out() << Elapsed(ElapsedMs()) << "  " << text << "\n" << std::flush;
}

}  // namespace cli
