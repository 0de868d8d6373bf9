#include "trace_lines.h"

#include <algorithm>
#include <cstdio>

namespace flash_test {

std::string InstructionLine(const std::vector<std::uint8_t>& bytes) {
    return "43 80 0000 0001 " + std::to_string(bytes.size()) + " " + Hex(bytes) + " ok";
}

Lines StatusReadLines(std::uint8_t status) {
    return {"43 81 0001 0001 1 05 ok", "c3 83 0000 0000 1 01 ok",
            "c3 82 0000 0000 1 " + Hex({status}) + " ok"};
}

Lines BlockReadLines(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    const std::vector<std::uint8_t> instruction = {0x03, static_cast<std::uint8_t>(address >> 16),
                                                   static_cast<std::uint8_t>(address >> 8),
                                                   static_cast<std::uint8_t>(address)};
    char value[8];
    std::snprintf(value, sizeof value, "%04zx", bytes.size());
    return {"43 81 " + std::string(value) + " 0001 4 " + Hex(instruction) + " ok",
            "c3 83 0000 0000 1 01 ok",
            "c3 82 0000 0000 " + std::to_string(bytes.size()) + " " + Hex(bytes) + " ok"};
}

std::string SleepLine(std::uint32_t ms) {
    return "sleep " + std::to_string(ms);
}

Lines PrepareLines(const std::string& id) {
    Lines lines = StatusReadLines(0x00);
    Append(lines, {InstructionLine({0x04}), "43 81 0003 0001 1 9f ok", "c3 83 0000 0000 1 01 ok",
                   "c3 82 0000 0000 3 " + id + " ok"});
    return lines;
}

Lines IspEnterLines() {
    return {"43 84 3b92 4e71 0 - ok", "43 90 0000 0000 1 0d ok", "43 90 0000 0007 1 10 ok",
            "43 90 0000 0001 1 03 ok"};
}

Lines IspLeaveLines() {
    return {"43 85 29e6 1a9d 0 - ok", "43 90 0000 0000 1 0d ok", "43 90 0000 0007 1 00 ok"};
}

void Append(Lines& lines, const Lines& more) {
    lines.insert(lines.end(), more.begin(), more.end());
}

int CountOf(const Lines& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

int CountStartingWith(const Lines& lines, const std::string& prefix) {
    return static_cast<int>(std::count_if(
        lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(prefix); }));
}

}  // namespace flash_test
