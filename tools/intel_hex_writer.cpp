#include "intel_hex_writer.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace tools {
namespace {

constexpr std::size_t kRecordBytes = 16;

std::string Record(std::uint8_t type, std::uint16_t offset, std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> fields = {static_cast<std::uint8_t>(data.size()),
                                        static_cast<std::uint8_t>(offset >> 8),
                                        static_cast<std::uint8_t>(offset), type};
    fields.insert(fields.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (const std::uint8_t byte : fields)
        sum += byte;
    fields.push_back(static_cast<std::uint8_t>(0x100u - (sum & 0xFFu)));

    std::string line = ":";
    char digits[3];
    for (const std::uint8_t byte : fields) {
        std::snprintf(digits, sizeof digits, "%02X", byte);
        line += digits;
    }
    return line + "\r\n";
}

}  // namespace

std::string WriteIntelHex(std::span<const std::uint8_t> bytes) {
    std::string text;
    std::uint32_t upper = 0;
    for (std::size_t address = 0; address < bytes.size();) {
        if (address >> 16 != upper) {
            upper = static_cast<std::uint32_t>(address >> 16);
            const std::uint8_t base[2] = {static_cast<std::uint8_t>(upper >> 8),
                                          static_cast<std::uint8_t>(upper)};
            text += Record(0x04, 0, base);
        }
        // Never across a 64 KiB boundary: the offset field has 16 bits only.
        const std::size_t room = 0x10000 - (address & 0xFFFF);
        const std::size_t count = std::min({kRecordBytes, bytes.size() - address, room});
        text += Record(0x00, static_cast<std::uint16_t>(address), bytes.subspan(address, count));
        address += count;
    }
    return text + Record(0x01, 0, {});
}

}  // namespace tools
