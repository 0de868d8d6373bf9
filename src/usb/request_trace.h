#pragma once

#include <cstdint>
#include <fstream>
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
// a trace survives a crash of the device under test.
class FileTrace final : public RequestTrace {
public:
    explicit FileTrace(const std::string& path);
    bool IsOpen() const { return out_.is_open(); }
    void Line(std::string_view line) override;

private:
    std::ofstream out_;
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
