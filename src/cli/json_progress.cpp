#include "cli/json_progress.h"

#include <ostream>

#include "cli/json_line.h"

namespace cli {

void JsonProgress::OnStep() {
    Out() << JsonLine()
                 .Text("event", "step")
                 .Text("location", location_)
                 .Text("step", Step())
                 .Number("elapsed_ms", static_cast<std::int64_t>(ElapsedMs()))
                 .Line()
          << std::flush;
}

void JsonProgress::OnPercent() {
    Out() << JsonLine()
                 .Text("event", "progress")
                 .Text("location", location_)
                 .Text("step", Step())
                 .Number("percent", Percent())
                 .Number("elapsed_ms", static_cast<std::int64_t>(ElapsedMs()))
                 .Line()
          << std::flush;
}

}  // namespace cli
