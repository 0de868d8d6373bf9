// Power lost at any point of the one-button update never leaves the product
// beyond recovery: the update is cut at 30 requests spread over every step
// (the first and the last request and the protection write among them) on
// each flash model, and the next `update FILE` brings the product back with
// the image in its flash.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "in_process_tool.h"
#include "sim/firmware_layout.h"
#include "sim/product_factory.h"
#include "update_files.h"
#include "usb/transport_blocks.h"

namespace cli_test {
namespace {

using sim::FlashModel;

constexpr std::uint32_t kImageLength = 0x2000;

// Request numbers (from 1, as the fault plan counts them) where each part of
// a clean run begins.
struct RunMap {
    std::uint64_t erase = 0;    // the chip erase instruction
    std::uint64_t blank = 0;    // the first block read
    std::uint64_t program = 0;  // the first program instruction
    std::uint64_t verify = 0;   // the first block read after programming
    std::uint64_t protect = 0;  // the protection write
    std::uint64_t last = 0;     // the ISP leave
};

bool IsInstruction(const usb::DecodedCall& call, std::uint8_t request, std::uint8_t first) {
    return call.setup.request == request && !call.outData.empty() && call.outData[0] == first;
}

void Note(RunMap& map, std::uint64_t n, const usb::DecodedCall& call) {
    map.last = n;
    if (map.erase == 0 && IsInstruction(call, 0x80, 0xC7))
        map.erase = n;
    const bool blockRead = IsInstruction(call, 0x81, 0x03);
    if (map.blank == 0 && blockRead)
        map.blank = n;
    if (map.blank != 0 && map.program == 0 &&
        (IsInstruction(call, 0x80, 0x02) || IsInstruction(call, 0x80, 0xAD)))
        map.program = n;
    if (map.program != 0 && map.verify == 0 && blockRead)
        map.verify = n;
    if (IsInstruction(call, 0x80, 0x01))
        map.protect = n;
}

// `count` points strictly inside [from, to).
void Spread(std::set<std::uint64_t>& points, std::uint64_t from, std::uint64_t to, int count) {
    for (int j = 1; j <= count; ++j)
        points.insert(from + (to - from) * j / (count + 1));
}

std::vector<std::uint64_t> PointsOf(const RunMap& map) {
    std::set<std::uint64_t> points = {1, map.protect, map.last};
    Spread(points, 1, map.erase, 4);
    Spread(points, map.erase, map.blank, 4);
    Spread(points, map.blank, map.program, 4);
    Spread(points, map.program, map.verify, 6);
    Spread(points, map.verify, map.protect, 5);
    Spread(points, map.protect, map.last, 4);
    // A short erase poll (a fast part) yields fewer distinct points there;
    // the programming, the longest part, makes up for them.
    for (std::uint64_t a = map.program + 1; points.size() < 30 && a < map.verify; a += 7)
        points.insert(a);
    return {points.begin(), points.end()};
}

class PowerLoss : public ::testing::TestWithParam<FlashModel> {
protected:
    std::vector<std::string> Update() const { return {"update", file, "--yes"}; }

    RunMap MapCleanRun() {
        InProcessTool tool;
        tool.Plug(0, "1-2", GetParam());
        RunMap map;
        std::uint64_t n = 0;
        // The fault plan counts the calls that reach a device, not those the
        // bus refuses for a device that has gone or a driver that is not there.
        tool.interrupting.onCall = [&](std::uint32_t code, std::span<const std::uint8_t> input,
                                       std::span<std::uint8_t> output,
                                       const usb::IoResult& result) {
            if (result.errorText.starts_with("simulated bus") ||
                result.errorText.starts_with("simulated driver"))
                return;
            if (const auto call = usb::DecodeControlCall(code, input, output))
                Note(map, ++n, *call);
        };
        EXPECT_EQ(tool.Run(Update()), 0) << tool.err;
        return map;
    }

    ::testing::AssertionResult RecoversAfterPowerLossAt(std::uint64_t request) {
        InProcessTool tool;
        const auto chip = tool.Plug(0, "1-2", GetParam());
        sim::FaultPlan plan;
        plan.powerLossAtRequest = request;
        tool.bus.SetFaultPlan(plan);
        tool.Run(Update());
        tool.bus.ClearFaultPlan();
        if (const int code = tool.Run(Update()); code != 0)
            return ::testing::AssertionFailure() << "recovery exit " << code << ": " << tool.err;
        const auto flash = chip->Flash().Contents();
        if (!std::equal(image.begin(), image.end(), flash.begin()))
            return ::testing::AssertionFailure() << "the flash does not hold the image";
        if (chip->InIspMode() || chip->Identity() != sim::ProductIdentity(0))
            return ::testing::AssertionFailure() << "the product is not back";
        return ::testing::AssertionSuccess();
    }

    UpdateFiles files;
    std::vector<std::uint8_t> image = sim::MakeFirmwareImage(kImageLength, 0x6B);
    std::string file = files.WriteBytes("fw.hex", image);
};

TEST_P(PowerLoss, EveryInterruptionIsRecoveredByTheNextUpdate) {
    const RunMap map = MapCleanRun();
    ASSERT_TRUE(map.erase > 1 && map.blank > map.erase && map.program > map.blank &&
                map.verify > map.program && map.protect > map.verify && map.last > map.protect);
    const std::vector<std::uint64_t> points = PointsOf(map);
    ASSERT_EQ(points.size(), 30u);
    for (const std::uint64_t request : points)
        EXPECT_TRUE(RecoversAfterPowerLossAt(request)) << "power lost at request " << request;
}

INSTANTIATE_TEST_SUITE_P(Models, PowerLoss,
                         ::testing::Values(FlashModel::Sst25vf016b, FlashModel::Mx25l1021e,
                                           FlashModel::W25q80),
                         [](const auto& info) { return sim::DatasheetFor(info.param).name; });

}  // namespace
}  // namespace cli_test
