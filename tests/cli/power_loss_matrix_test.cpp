// Power lost at any point of the one-button update never leaves the product
// beyond recovery: the update is cut at 30 requests spread over every step
// (the first and the last request and the protection write among them) on
// each flash model, and the next `update FILE` brings the product back with
// the image in its flash.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "in_process_tool.h"
#include "sim/firmware_layout.h"
#include "sim/product_factory.h"
#include "support/product_image.h"
#include "support/update_run_map.h"
#include "update_files.h"

namespace cli_test {
namespace {

using sim::FlashModel;

constexpr std::uint32_t kImageLength = 0x2000;

class PowerLoss : public ::testing::TestWithParam<FlashModel> {
protected:
    std::vector<std::string> Update() const { return {"update", file, "--yes"}; }

    test_support::UpdateRunMap MapCleanRun() {
        InProcessTool tool;
        tool.Plug(0, "1-2", GetParam());
        tool.bus.SetLogging(true);
        EXPECT_EQ(tool.Run(Update()), 0) << tool.err;
        test_support::UpdateRunMap map;
        for (const auto& request : tool.bus.Log())
            map.Note(request.planNumber, request.setup.request, request.data);
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
    std::vector<std::uint8_t> image =
        test_support::ProductImage(0x2FC6, 0xF066, kImageLength, 0x6B);
    std::string file = files.WriteBytes("fw.hex", image);
};

TEST_P(PowerLoss, EveryInterruptionIsRecoveredByTheNextUpdate) {
    test_support::ExpectEveryInterruptionRecovered(
        MapCleanRun(), [this](std::uint64_t request) { return RecoversAfterPowerLossAt(request); });
}

INSTANTIATE_TEST_SUITE_P(Models, PowerLoss,
                         ::testing::Values(FlashModel::Sst25vf016b, FlashModel::Mx25l1021e,
                                           FlashModel::W25q80),
                         [](const auto& info) { return sim::DatasheetFor(info.param).name; });

}  // namespace
}  // namespace cli_test
