#pragma once

#include "support/trace_match.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace flash_test {

// Expected request-trace lines of the flash commands, as the link writes them.
using Lines = std::vector<std::string>;

// Bytes in lower-case hex, as the trace writes data.
using testing_support::Hex;

// One flash instruction out request (code 0x80) ending the instruction.
std::string InstructionLine(const std::vector<std::uint8_t>& bytes);
// A status read that the engine answers at once.
Lines StatusReadLines(std::uint8_t status);
// A block read (64 bytes, or as many as `bytes` holds) answered at once with these bytes.
Lines BlockReadLines(std::uint32_t address, const std::vector<std::uint8_t>& bytes);
std::string SleepLine(std::uint32_t ms);
Lines IspEnterLines();
// The status read, the write disable and the chip-ID read every sequence
// starts with, the flash idle and the engine answering at once with `id`
// (lower-case hex, e.g. "ef4014").
Lines PrepareLines(const std::string& id = "ef4014");
Lines IspLeaveLines();

// Appends `more` to `lines`.
void Append(Lines& lines, const Lines& more);

// Counts the lines equal to `line`.
int CountOf(const Lines& lines, const std::string& line);
// Counts the lines that start with `prefix`.
int CountStartingWith(const Lines& lines, const std::string& prefix);

// Compares two traces and names the first difference.
using testing_support::TraceIs;

}  // namespace flash_test
