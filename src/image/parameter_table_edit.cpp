#include "image/parameter_table_edit.h"

#include <algorithm>
#include <stdexcept>

#include "image/table_marker.h"

namespace image {

namespace {

void Put16(std::span<std::uint8_t> bytes, std::uint32_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint32_t SlotOffset(std::uint32_t slot) {
    return TableStringOffset(static_cast<TableString>(slot));
}

std::uint16_t Get16(std::span<const std::uint8_t> bytes, std::uint32_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

// The text a slot holds: its length byte's count of characters after it.
std::string SlotText(std::span<const std::uint8_t> slot) {
    return {slot.begin() + 1, slot.begin() + 1 + slot[0]};
}

}  // namespace

std::string TableLayoutProblem(std::span<const std::uint8_t> bytes, std::uint32_t length,
                               std::uint32_t offset) {
    const std::uint64_t end = std::uint64_t{offset} + kTableSize;
    if (end > length || end > bytes.size())
        return "the table would reach past the end of the file's data";
    const auto table = bytes.subspan(offset, kTableSize);
    if (!std::equal(kTableMarker.begin(), kTableMarker.end(), table.begin()))
        return "its marker is not exactly \"" + std::string(kTableMarker) + "\"";
    const std::uint8_t slots = table[kTableStringCountOffset];
    if (slots != kTableStringCount) {
        return "it announces " + std::to_string(slots) + " string slots instead of " +
               std::to_string(kTableStringCount);
    }
    for (std::uint32_t slot = 0; slot < kTableStringCount; ++slot) {
        const std::uint8_t used = table[SlotOffset(slot)];
        if (used > kTableStringMaxLength) {
            return "string slot " + std::to_string(slot + 1) + " claims " + std::to_string(used) +
                   " characters, more than a slot holds";
        }
    }
    return {};
}

std::optional<TableEdits> ReadTableEdits(std::span<const std::uint8_t> bytes, std::uint32_t length,
                                         std::uint32_t offset) {
    if (!TableLayoutProblem(bytes, length, offset).empty())
        return std::nullopt;
    const auto table = bytes.subspan(offset, kTableSize);
    TableEdits values;
    values.vendorId = Get16(table, kTableVidOffset);
    values.productId = Get16(table, kTablePidOffset);
    for (std::uint32_t slot = 0; slot < kTableStringCount; ++slot)
        values.strings[slot] = SlotText(table.subspan(SlotOffset(slot), kTableStringSlotSize));
    return values;
}

void WriteTableEdits(std::span<std::uint8_t> bytes, std::uint32_t offset, const TableEdits& edits) {
    if (std::uint64_t{offset} + kTableSize > bytes.size())
        throw std::out_of_range("parameter table beyond the image");
    const auto table = bytes.subspan(offset, kTableSize);
    Put16(table, kTableVidOffset, edits.vendorId);
    Put16(table, kTablePidOffset, edits.productId);
    for (std::uint32_t slot = 0; slot < kTableStringCount; ++slot) {
        const std::string& text = edits.strings[slot];
        if (text.size() > kTableStringMaxLength)
            throw std::length_error("string longer than a parameter-table slot");
        const auto slotBytes = table.subspan(SlotOffset(slot), kTableStringSlotSize);
        if (slotBytes[0] <= kTableStringMaxLength && SlotText(slotBytes) == text)
            continue;
        std::fill(slotBytes.begin(), slotBytes.end(), 0);
        slotBytes[0] = static_cast<std::uint8_t>(text.size());
        std::copy(text.begin(), text.end(), slotBytes.begin() + 1);
    }
}

}  // namespace image
