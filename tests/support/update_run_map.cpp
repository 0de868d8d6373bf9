#include "support/update_run_map.h"

#include <algorithm>
#include <set>

namespace test_support {
namespace {

constexpr std::uint8_t kWriteInstruction = 0x80;
constexpr std::uint8_t kReadInstruction = 0x81;

bool IsInstruction(std::uint8_t request, std::span<const std::uint8_t> outData, std::uint8_t code,
                   std::uint8_t first) {
    return request == code && !outData.empty() && outData[0] == first;
}

// `count` points strictly inside [from, to).
void Spread(std::set<std::uint64_t>& points, std::uint64_t from, std::uint64_t to, int count) {
    for (int j = 1; j <= count; ++j)
        points.insert(from + (to - from) * j / (count + 1));
}

}  // namespace

void UpdateRunMap::Note(std::uint64_t number, std::uint8_t request,
                        std::span<const std::uint8_t> outData) {
    if (number == 0)
        return;  // a probe, which takes no number
    last = number;
    if (erase == 0 && (IsInstruction(request, outData, kWriteInstruction, 0xC7) ||
                       IsInstruction(request, outData, kWriteInstruction, 0x20)))
        erase = number;
    const bool blockRead = IsInstruction(request, outData, kReadInstruction, 0x03);
    if (blank == 0 && blockRead)
        blank = number;
    if (blank != 0 && program == 0 &&
        (IsInstruction(request, outData, kWriteInstruction, 0x02) ||
         IsInstruction(request, outData, kWriteInstruction, 0xAD)))
        program = number;
    if (program != 0 && verify == 0 && blockRead)
        verify = number;
    if (IsInstruction(request, outData, kWriteInstruction, 0x01))
        protect = number;
}

bool UpdateRunMap::Complete() const {
    const auto [first, second] = std::minmax(erase, blank);
    return first > 1 && second > first && program > second && verify > program &&
           protect > verify && last > protect;
}

std::vector<std::uint64_t> InterruptionPoints(const UpdateRunMap& map) {
    std::set<std::uint64_t> points = {1, map.protect, map.last};
    const auto [first, second] = std::minmax(map.erase, map.blank);
    Spread(points, 1, first, 4);
    Spread(points, first, second, 4);
    Spread(points, second, map.program, 4);
    Spread(points, map.program, map.verify, 6);
    Spread(points, map.verify, map.protect, 5);
    Spread(points, map.protect, map.last, 4);
    // A short erase poll (a fast part) yields fewer distinct points there;
    // the programming, the longest part, makes up for them.
    for (std::uint64_t a = map.program + 1; points.size() < 30 && a < map.verify; a += 7)
        points.insert(a);
    return {points.begin(), points.end()};
}

void ExpectEveryInterruptionRecovered(
    const UpdateRunMap& map,
    const std::function<::testing::AssertionResult(std::uint64_t request)>& recovers) {
    ASSERT_TRUE(map.Complete());
    const std::vector<std::uint64_t> points = InterruptionPoints(map);
    ASSERT_EQ(points.size(), 30u);
    for (const std::uint64_t request : points)
        EXPECT_TRUE(recovers(request)) << "cut at request " << request;
}

}  // namespace test_support
