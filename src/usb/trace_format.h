#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "guid.h"

namespace usb {

// The first line of every trace file names the format and its version, then
// the program that wrote it: "palereed-trace 2 palereed-flash 1.4.0". A
// reader meets the version before anything else, so that a trace from a
// later build is refused with a reason instead of being half understood.
inline constexpr std::string_view kTraceFormatName = "palereed-trace";
// 2: the first line names the format; "list" lines record what each listing
// of the bus found, so that a replay can present the same device.
inline constexpr int kTraceFormatVersion = 2;

std::string TraceVersionLine(std::string_view program, std::string_view version);

// "list <audio|usb> <path> <path> ...": the interface paths one listing of a
// driver path found, in order; "-" for none, "?" when the listing failed.
std::string FormatListingLine(const Guid& interfaceClass,
                              const std::optional<std::vector<std::string>>& paths);

// One request line read back. `data` is what the line shows: the bytes sent
// (OUT) or the answer (IN).
struct RecordedRequest {
    std::uint8_t requestType = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    std::vector<std::uint8_t> data;
    bool ok = false;
    std::string cause;  // the bracketed cause of a failure, or ""
};

struct RecordedListing {
    bool audioDriverPath = false;
    std::optional<std::vector<std::string>> paths;
};

// The events of a trace a replay acts on; pauses, closes and notes are for
// people and are left out. An open is "open ok|fail", or the open of a probe
// ("probe ok|fail").
struct TraceEvent {
    enum class Kind { Request, Listing, Open };
    Kind kind = Kind::Request;
    std::size_t lineNumber = 0;  // from 1, the version line being line 1
    std::string text;            // the line as written
    RecordedRequest request;
    RecordedListing listing;
    bool opened = false;  // of an open: whether it succeeded
};

struct RecordedTrace {
    std::string writer;  // the program and version after the format's version
    std::vector<TraceEvent> events;
    std::size_t lineCount = 0;
};

// Reads a whole trace. nullopt with `error` set when the first line is not a
// version line, names a version this build does not read, or a request or
// listing line is malformed (with its line number).
std::optional<RecordedTrace> ParseTrace(std::istream& in, std::string& error);
std::optional<RecordedTrace> ReadTraceFile(const std::string& path, std::string& error);

}  // namespace usb
