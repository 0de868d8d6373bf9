#include "product/run_report.h"

#include <cerrno>
#include <cstring>

#include "flash/update_result.h"

namespace product {
namespace {

std::string OrUnknown(const std::string& value) {
    return value.empty() ? std::string("unknown") : value;
}

std::string SystemReason() {
    const int code = errno;
    return code != 0 ? std::strerror(code) : "the file takes no data";
}

}  // namespace

std::optional<FailurePlace> FailurePlaceOf(const flash::UpdateResult& result) {
    if (result.succeeded || !result.failedStep)
        return std::nullopt;
    const flash::UpdateStep step = *result.failedStep;
    FailurePlace place;
    place.step = flash::UpdateStepName(step);
    place.address = result.failure.address;
    // A device that stopped answering has no cause of its own to give.
    place.cause =
        result.stoppedAnswering ? flash::StoppedAnsweringText(step) : result.failure.cause;
    return place;
}

std::string AddressText(std::uint64_t address) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%06llX", static_cast<unsigned long long>(address));
    return text;
}

std::vector<std::string> ReportHeaderLines(const ReportHeader& header) {
    std::vector<std::string> lines = {
        "tool: " + OrUnknown(header.tool),
        "product: " + OrUnknown(header.product),
        "flash part: " + OrUnknown(header.flashPart),
        "file: " + OrUnknown(header.file),
        "sha256: " + OrUnknown(header.sha256),
        "outcome: " + OrUnknown(header.outcome),
    };
    if (header.failure) {
        lines.push_back("step: " + OrUnknown(header.failure->step));
        lines.push_back("address: " + (header.failure->address
                                           ? AddressText(*header.failure->address)
                                           : std::string("unknown")));
        lines.push_back("cause: " + OrUnknown(header.failure->cause));
    }
    if (!header.message.empty()) {
        // One line per header field: a message of several lines is joined.
        std::string message = header.message;
        for (char& c : message)
            c = c == '\n' ? ' ' : c;
        lines.push_back("message: " + message);
    }
    return lines;
}

ReportFile::ReportFile(const std::string& path) : file_(std::fopen(path.c_str(), "w")) {
    // Flushed at once: only a written line finds out a target that opens but
    // takes no data.
    if (file_ && Write(kTitle) && std::fflush(file_.get()) == 0)
        return;
    error_ = SystemReason();
    file_.reset();
}

bool ReportFile::Write(const std::string& line) {
    errno = 0;
    return std::fwrite(line.data(), 1, line.size(), file_.get()) == line.size() &&
           std::fputc('\n', file_.get()) != EOF;
}

std::string ReportFile::Complete(const ReportHeader& header, const std::vector<std::string>& lines,
                                 std::size_t dropped) {
    if (!file_)
        return error_;
    bool written = true;
    for (const std::string& line : ReportHeaderLines(header))
        written = written && Write(line);
    std::string requests = "requests: " + std::to_string(lines.size()) + " lines follow";
    if (dropped > 0)
        requests += " (the run's first " + std::to_string(dropped) + " lines were not kept)";
    written = written && Write(requests);
    for (const std::string& line : lines)
        written = written && Write(line);
    errno = 0;
    written = written && std::fflush(file_.get()) == 0;
    std::string error = written ? std::string() : SystemReason();
    // The report is complete or it is not; either way it is done with.
    if (std::fclose(file_.release()) != 0 && error.empty())
        error = SystemReason();
    return error;
}

std::string WriteReport(const std::string& path, const ReportHeader& header,
                        const std::vector<std::string>& lines, std::size_t dropped) {
    ReportFile file(path);
    if (!file.Error().empty())
        return file.Error();
    return file.Complete(header, lines, dropped);
}

}  // namespace product
