#include "request_trace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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

FileTrace::FileTrace(const std::string& path, std::string_view firstLine)
    : file_(std::fopen(path.c_str(), "w")) {
    if (file_ && Write(firstLine))
        return;
    // errno is the open's or the write's; a C library that keeps it to
    // itself still gets a sentence.
    const int code = errno;
    error_ = code != 0 ? std::strerror(code) : "the file takes no data";
    file_.reset();
}

void FileTrace::Line(std::string_view line) {
    // A write that fails in the middle of a run must not end the run: the
    // device matters more than its trace.
    const std::lock_guard lock(mutex_);
    if (file_)
        Write(line);
}

bool FileTrace::Write(std::string_view line) {
    errno = 0;
    return std::fwrite(line.data(), 1, line.size(), file_.get()) == line.size() &&
           std::fputc('\n', file_.get()) != EOF && std::fflush(file_.get()) == 0;
}

}  // namespace usb
