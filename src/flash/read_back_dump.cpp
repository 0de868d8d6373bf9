#include "flash/read_back_dump.h"

#include <algorithm>
#include <fstream>

namespace flash {

namespace {

constexpr std::uint32_t kBytesPerLine = 16;
constexpr char kLineEnd = '\r';

void AppendEntry(std::string& text, std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    text += "0x";
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
    text += ", ";
}

}  // namespace

std::string FormatReadBackDump(std::span<const std::uint8_t> buffer, std::uint32_t last) {
    constexpr std::size_t kLineChars = kBytesPerLine * 6 + 1;
    const std::uint64_t end = std::min<std::uint64_t>(last, buffer.size());
    std::string text;
    text.reserve((end / kBytesPerLine + 1) * kLineChars);
    for (std::uint64_t p = 0; p < end && p + kBytesPerLine <= buffer.size(); p += kBytesPerLine) {
        for (std::uint32_t i = 0; i < kBytesPerLine; ++i)
            AppendEntry(text, buffer[p + i]);
        text += kLineEnd;
    }
    return text;
}

bool WriteReadBackDump(const std::string& path, std::span<const std::uint8_t> buffer,
                       std::uint32_t last) {
    // Binary, so no platform turns the carriage returns into anything else.
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    const std::string text = FormatReadBackDump(buffer, last);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out.flush());
}

}  // namespace flash
