#include "trace_format.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>

namespace usb {
namespace {

constexpr std::string_view kListing = "list";

bool ParseHex(std::string_view text, std::size_t digits, std::uint32_t& value) {
    if (text.size() != digits)
        return false;
    const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return code == std::errc() && end == text.data() + text.size();
}

bool ParseData(std::string_view text, std::size_t length, std::vector<std::uint8_t>& data) {
    data.clear();
    if (length == 0)
        return text == "-";
    if (text.size() != 2 * length)
        return false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        std::uint32_t byte = 0;
        if (!ParseHex(text.substr(i, 2), 2, byte))
            return false;
        data.push_back(static_cast<std::uint8_t>(byte));
    }
    return true;
}

std::vector<std::string_view> Fields(std::string_view line, std::size_t most) {
    std::vector<std::string_view> fields;
    while (!line.empty() && fields.size() + 1 < most) {
        const std::size_t end = line.find(' ');
        fields.push_back(line.substr(0, end));
        line = end == std::string_view::npos ? std::string_view() : line.substr(end + 1);
    }
    if (!line.empty())
        fields.push_back(line);
    return fields;
}

// "<type> <code> <value> <index> <length> <data> <ok|fail> [(cause)]"
bool ParseRequest(std::string_view line, RecordedRequest& out) {
    const std::vector<std::string_view> f = Fields(line, 8);
    std::uint32_t type = 0, code = 0, value = 0, index = 0;
    std::size_t length = 0;
    if (f.size() < 7 || !ParseHex(f[0], 2, type) || !ParseHex(f[1], 2, code) ||
        !ParseHex(f[2], 4, value) || !ParseHex(f[3], 4, index))
        return false;
    const auto [end, error] = std::from_chars(f[4].data(), f[4].data() + f[4].size(), length);
    if (error != std::errc() || end != f[4].data() + f[4].size() ||
        !ParseData(f[5], length, out.data) || (f[6] != "ok" && f[6] != "fail"))
        return false;
    out.requestType = static_cast<std::uint8_t>(type);
    out.request = static_cast<std::uint8_t>(code);
    out.value = static_cast<std::uint16_t>(value);
    out.index = static_cast<std::uint16_t>(index);
    out.ok = f[6] == "ok";
    out.cause.clear();
    if (f.size() == 8) {
        if (out.ok || f[7].size() < 2 || f[7].front() != '(' || f[7].back() != ')')
            return false;
        out.cause = std::string(f[7].substr(1, f[7].size() - 2));
    }
    return true;
}

bool ParseListing(std::string_view line, RecordedListing& out) {
    std::vector<std::string_view> f = Fields(line, std::string_view::npos);
    if (f.size() < 3 || (f[1] != "audio" && f[1] != "usb"))
        return false;
    out.audioDriverPath = f[1] == "audio";
    if (f.size() == 3 && f[2] == "?") {
        out.paths.reset();
        return true;
    }
    out.paths.emplace();
    if (f.size() == 3 && f[2] == "-")
        return true;
    for (std::size_t i = 2; i < f.size(); ++i)
        out.paths->emplace_back(f[i]);
    return true;
}

// A request line starts with two hex digits and a blank; nothing else the
// trace holds does ("sleep 5", "open ok", "# step: ...", "note: ...").
bool LooksLikeRequest(std::string_view line) {
    std::uint32_t ignored = 0;
    return line.size() > 3 && line[2] == ' ' && ParseHex(line.substr(0, 2), 2, ignored);
}

bool ReadVersionLine(const std::string& line, RecordedTrace& trace, std::string& error) {
    const std::string name(kTraceFormatName);
    std::istringstream fields(line);
    std::string first, version;
    fields >> first >> version;
    if (first != name) {
        error = "its first line is not \"" + name + " <version> ...\" (a trace of format " +
                std::to_string(kTraceFormatVersion) +
                " or later starts so; older traces cannot be replayed)";
        return false;
    }
    if (version != std::to_string(kTraceFormatVersion)) {
        error = "it is of trace format version '" + version +
                "', which this build does not read (it reads version " +
                std::to_string(kTraceFormatVersion) + ")";
        return false;
    }
    std::getline(fields >> std::ws, trace.writer);
    return true;
}

}  // namespace

std::string TraceVersionLine(std::string_view program, std::string_view version) {
    return std::string(kTraceFormatName) + " " + std::to_string(kTraceFormatVersion) + " " +
           std::string(program) + " " + std::string(version);
}

std::string FormatListingLine(const Guid& interfaceClass,
                              const std::optional<std::vector<std::string>>& paths) {
    std::string line(kListing);
    line += interfaceClass == kAudioDriverInterfaceClass ? " audio" : " usb";
    if (!paths)
        return line + " ?";
    if (paths->empty())
        return line + " -";
    for (const std::string& path : *paths)
        line += ' ' + path;
    return line;
}

std::optional<RecordedTrace> ParseTrace(std::istream& in, std::string& error) {
    RecordedTrace trace;
    std::string line;
    if (!std::getline(in, line)) {
        error = "it is empty";
        return std::nullopt;
    }
    trace.lineCount = 1;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (!ReadVersionLine(line, trace, error))
        return std::nullopt;
    while (std::getline(in, line)) {
        ++trace.lineCount;
        // A trace written on Windows (text mode) and read elsewhere.
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        TraceEvent event;
        event.lineNumber = trace.lineCount;
        const std::string_view view(line);
        if (LooksLikeRequest(view)) {
            if (!ParseRequest(view, event.request)) {
                error = "line " + std::to_string(event.lineNumber) + " is not a request line";
                return std::nullopt;
            }
        } else if (view.substr(0, kListing.size() + 1) == "list ") {
            event.kind = TraceEvent::Kind::Listing;
            if (!ParseListing(view, event.listing)) {
                error = "line " + std::to_string(event.lineNumber) + " is not a listing line";
                return std::nullopt;
            }
        } else if (view == "open ok" || view == "open fail" || view == "probe ok" ||
                   view == "probe fail") {
            event.kind = TraceEvent::Kind::Open;
            event.opened = view.substr(view.size() - 2) == "ok";
        } else {
            continue;
        }
        event.text = line;
        trace.events.push_back(std::move(event));
    }
    return trace;
}

std::optional<RecordedTrace> ReadTraceFile(const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read the trace '" + path + "': " + std::strerror(errno);
        return std::nullopt;
    }
    std::optional<RecordedTrace> trace = ParseTrace(in, error);
    if (!trace)
        error = "the trace '" + path + "' cannot be replayed: " + error;
    return trace;
}

}  // namespace usb
