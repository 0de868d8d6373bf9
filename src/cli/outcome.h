#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "cli/exit_codes.h"
#include "cli/unit_record.h"

namespace cli {

// How a command ended, for the last line of its output: the exit code, a
// sentence for the user and, for runs, where they stopped.
struct Outcome {
    Outcome() = default;
    Outcome(int code, std::string text) : exitCode(code), message(std::move(text)) {}

    int exitCode = kExitDone;
    std::string message;
    std::optional<std::string> step;
    std::optional<std::uint32_t> address;
    std::optional<std::string> cause;
    std::uint64_t durationMs = 0;
    std::uint64_t requests = 0;
    UnitRecord unit;
    // Of a batch (--all): the devices it planned and those updated.
    std::size_t units = 0;
    std::size_t unitsDone = 0;
};

// "success", "failed", "usage", "no_device", "file_refused", "permission",
// "interrupted": the status field of the JSON result.
const char* StatusName(int exitCode);

}  // namespace cli
