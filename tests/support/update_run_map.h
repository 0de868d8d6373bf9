#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace test_support {

// Request numbers (from 1, as a fault plan counts them) where each part of a
// clean one-button update begins, noted request by request. A changed-only
// update reads (its compare) before it erases, the full one after.
struct UpdateRunMap {
    std::uint64_t erase = 0;    // the chip erase or first sector erase instruction
    std::uint64_t blank = 0;    // the first block read: the blank check or the compare
    std::uint64_t program = 0;  // the first program instruction
    std::uint64_t verify = 0;   // the first block read after programming
    std::uint64_t protect = 0;  // the protection write
    std::uint64_t last = 0;     // the last request (the ISP leave)

    // Request `number`, with its vendor request code and OUT data; number 0
    // (a probe, as the bus logs it) is passed over.
    void Note(std::uint64_t number, std::uint8_t request, std::span<const std::uint8_t> outData);
    // Whether every part was seen, in the order of a run.
    bool Complete() const;
};

// 30 request numbers spread over every part of the run, the first and the
// last request and the protection write among them: where a test cuts it.
std::vector<std::uint64_t> InterruptionPoints(const UpdateRunMap& map);

// Cuts the run at each of the 30 points in turn: `recovers(request)` cuts it
// there, recovers, and says whether the product came back with its image.
void ExpectEveryInterruptionRecovered(
    const UpdateRunMap& map,
    const std::function<::testing::AssertionResult(std::uint64_t request)>& recovers);

}  // namespace test_support
