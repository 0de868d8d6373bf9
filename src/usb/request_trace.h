#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace usb {

// Receives one line per device-link event: requests, pauses, opens, closes and
// probes. Used for the --trace option and by tests that check request orders.
class RequestTrace {
public:
    virtual ~RequestTrace() = default;
    virtual void Line(std::string_view line) = 0;
};

// "<type> <code> <value> <index> <length> <data> <ok|fail>" in lower-case hex,
// e.g. "43 90 0000 0000 1 0d ok"; the data is "-" when the length is 0. A
// failure's cause, when known, follows in brackets:
// "... fail (libusb_control_transfer: LIBUSB_ERROR_TIMEOUT)".
std::string FormatRequestLine(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                              std::uint16_t index, std::span<const std::uint8_t> data, bool ok,
                              std::string_view cause = {});

// Writes the trace to a text file, one line each, flushed as it goes so that
// a trace survives a crash of the device under test. The first line (the
// program and its version) is written and flushed at once: a target that
// opens but takes no data (/dev/full, a full disk) is found out before the
// run sends anything, not after it. Links working side by side may share
// one: each line is written whole.
class FileTrace final : public RequestTrace {
public:
    FileTrace(const std::string& path, std::string_view firstLine);
    // Empty when the first line reached the file; else the system's reason
    // ("No space left on device"), and nothing more is written.
    const std::string& Error() const { return error_; }
    void Line(std::string_view line) override;

private:
    struct Closer {
        void operator()(std::FILE* file) const noexcept { std::fclose(file); }
    };

    bool Write(std::string_view line);

    std::mutex mutex_;
    std::unique_ptr<std::FILE, Closer> file_;
    std::string error_;
};

// Keeps the trace in memory (tests, benchmarks).
class MemoryTrace final : public RequestTrace {
public:
    void Line(std::string_view line) override { lines_.emplace_back(line); }
    const std::vector<std::string>& Lines() const { return lines_; }
    void Clear() { lines_.clear(); }

private:
    std::vector<std::string> lines_;
};

}  // namespace usb
