#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace flash {
struct UpdateResult;
}

namespace product {

// Where and why a run failed, as both front ends show it and a report
// states it: the step by the name the user reads it by, the flash address
// when the step works on one, and the cause in plain words.
struct FailurePlace {
    std::string step;
    std::optional<std::uint64_t> address;
    std::string cause;
};

// Nothing for a run that succeeded or failed before naming a step.
std::optional<FailurePlace> FailurePlaceOf(const flash::UpdateResult& result);

// "0x001240": addresses as the trace and the JSON result print them.
std::string AddressText(std::uint64_t address);

// What a report says of the run above its request lines. An empty field is
// written as "unknown": the header always has the same lines.
struct ReportHeader {
    std::string tool;  // program and version: "palereed-flash 1.4.0"
    std::string product;
    std::string flashPart;
    std::string file;
    std::string sha256;
    std::string outcome;  // "success", "failed", "interrupted", ...
    std::optional<FailurePlace> failure;
    std::string message;  // the sentence the user was shown
};

// "key: value" lines, in a fixed order.
std::vector<std::string> ReportHeaderLines(const ReportHeader& header);

// A report to attach to a bug report: a title line, the header, then the
// run's request lines exactly as the trace writes them. Opened before the run
// (its title line is written and flushed at once, so that a target that takes
// no data is refused before anything is sent, as the trace file is) and
// completed once the run has ended.
class ReportFile {
public:
    static constexpr const char* kTitle = "Pale Reed update report";

    explicit ReportFile(const std::string& path);
    // Empty when the title line reached the file; else the system's reason.
    const std::string& Error() const { return error_; }
    // Writes the header and the lines; `dropped` counts the run's oldest
    // lines that the memory no longer held. Returns why it failed, or "".
    std::string Complete(const ReportHeader& header, const std::vector<std::string>& lines,
                         std::size_t dropped = 0);

private:
    struct Closer {
        void operator()(std::FILE* file) const noexcept { std::fclose(file); }
    };

    bool Write(const std::string& line);

    std::unique_ptr<std::FILE, Closer> file_;
    std::string error_;
};

// Opens, writes and closes in one go (the window's "Save report…"); returns
// why it failed, or "".
std::string WriteReport(const std::string& path, const ReportHeader& header,
                        const std::vector<std::string>& lines, std::size_t dropped = 0);

}  // namespace product
