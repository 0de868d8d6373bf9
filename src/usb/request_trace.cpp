#include "request_trace.h"

#include <cstdio>

namespace usb {

std::string FormatRequestLine(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                              std::uint16_t index, std::span<const std::uint8_t> data, bool ok,
                              std::string_view cause) {
    char head[40];
    std::snprintf(head, sizeof head, "%02x %02x %04x %04x %zu ", requestType, request, value, index,
                  data.size());
    std::string line = head;
    if (data.empty()) {
        line += '-';
    } else {
        static constexpr char kDigits[] = "0123456789abcdef";
        line.reserve(line.size() + 2 * data.size() + 5);
        for (std::uint8_t byte : data) {
            line += kDigits[byte >> 4];
            line += kDigits[byte & 0x0F];
        }
    }
    line += ok ? " ok" : " fail";
    if (!cause.empty()) {
        line += " (";
        line += cause;
        line += ')';
    }
    return line;
}

FileTrace::FileTrace(const std::string& path) : out_(path, std::ios::out | std::ios::trunc) {}

void FileTrace::Line(std::string_view line) {
    out_ << line << '\n';
    out_.flush();
}

}  // namespace usb
