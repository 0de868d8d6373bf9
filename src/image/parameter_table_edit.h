#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "image/parameter_table.h"

namespace image {

// The new values for a parameter table: the USB IDs and the five strings in
// slot order, each string as the single-byte codes the table stores.
struct TableEdits {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::array<std::string, kTableStringCount> strings;
};

// Why the table whose marker stands at `offset` is not one this tool can
// write into, or an empty text when it is: the whole marker, the number of
// string slots and every slot's length byte must be those of our layout, and
// the table must lie inside the `length` defined bytes. A table of another
// revision would be damaged by edits placed after our layout.
std::string TableLayoutProblem(std::span<const std::uint8_t> bytes, std::uint32_t length,
                               std::uint32_t offset);

// What the table at `offset` holds, or nothing when it fails the check above:
// a table of another layout has no values this tool can show truthfully.
std::optional<TableEdits> ReadTableEdits(std::span<const std::uint8_t> bytes, std::uint32_t length,
                                         std::uint32_t offset);

// Puts the edits into the table at `offset`, which must have passed the check
// above, and every string no longer than a slot's text. A slot whose text
// changes is rewritten with zeros after the text; a slot that already holds
// its text keeps every byte, whatever follows the text, so values read with
// ReadTableEdits and written back leave the image byte for byte as it was.
// No byte outside the table changes.
void WriteTableEdits(std::span<std::uint8_t> bytes, std::uint32_t offset, const TableEdits& edits);

}  // namespace image
