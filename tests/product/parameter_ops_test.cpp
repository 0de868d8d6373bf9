#include "product/parameter_ops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "chip/registers.h"
#include "product_rig.h"

namespace product_test {
namespace {

class ParameterOps : public ::testing::Test {
protected:
    void SetUp() override {
        chip = rig.Plug(0, "1-2");
        rig.link.SetAudioDriver(true);
        rig.link.SetMatchString("vid_2fc6&pid_f066");
        rig.link.FindDevice();
    }
    ProductRig rig;
    std::shared_ptr<sim::SimChip> chip;
};

TEST_F(ParameterOps, IdsTravelAsTheirFirstFourCharacters) {
    ASSERT_TRUE(product::WriteVid(rig.link, "2fc0"));
    ASSERT_TRUE(product::WritePid(rig.link, "60"));
    EXPECT_EQ(chip->Params().Vid(), "2fc0");
    EXPECT_EQ(chip->Params().Pid(), std::string("60\0\0", 4));
    EXPECT_EQ(product::ReadVid(rig.link), "2fc0");
    EXPECT_EQ(product::ReadPid(rig.link), "60");
}

TEST_F(ParameterOps, StringsGoAsTheLengthBytePacketInChunks) {
    rig.backend.SetLogging(true);
    ASSERT_EQ(
        product::WriteProductString(rig.link, product::ProductString::Manufacturer, "Quorvex-inc"),
        product::StringWrite::Written);
    EXPECT_EQ(chip->Params().String(1), "Quorvex-inc");
    // Length byte and 11 characters: a chunk of 8 data bytes, then one of 4.
    const auto dataWrites =
        std::count_if(rig.backend.Log().begin(), rig.backend.Log().end(), [](const auto& request) {
            return request.setup.request == 0x90 && request.setup.index >= 0x93 &&
                   request.setup.index <= 0x9A;
        });
    EXPECT_EQ(dataWrites, 12);
    EXPECT_EQ(product::ReadProductString(rig.link, product::ProductString::Manufacturer),
              "Quorvex-inc");
    const std::string longest(31, 'x');
    ASSERT_EQ(product::WriteProductString(rig.link, product::ProductString::SerialNumber, longest),
              product::StringWrite::Written);
    EXPECT_EQ(product::ReadProductString(rig.link, product::ProductString::SerialNumber), longest);
}

TEST_F(ParameterOps, RefusesAStringTooLongForThePacketAndSendsNothing) {
    rig.backend.SetLogging(true);
    EXPECT_EQ(product::WriteProductString(rig.link, product::ProductString::ModelName,
                                          std::string(32, 'x')),
              product::StringWrite::TooLong);
    EXPECT_TRUE(rig.backend.Log().empty());
    EXPECT_EQ(chip->Params().String(2), "Pale Reed F066");
}

TEST_F(ParameterOps, SystemSettingTravelsWholeWithItsUnnamedBits) {
    const std::array<std::uint8_t, 4> stored = {0x5E, 0x9F, 0x3C, 0x81};
    chip->Params().SetSysSetting(stored);
    const std::optional<product::SystemSetting> setting = product::ReadSystemSetting(rig.link);
    ASSERT_TRUE(setting);
    EXPECT_EQ(setting->ToBytes(), stored);

    product::SystemSetting changed = *setting;
    changed.mclkOutputOff = false;
    changed.dsdOutput = product::SystemSetting::DsdOutput::NativeDsd;
    ASSERT_TRUE(product::WriteSystemSetting(rig.link, changed));
    EXPECT_EQ(chip->Params().SysSetting(), (std::array<std::uint8_t, 4>{0xDE, 0x1F, 0x3C, 0x81}));
}

// In ISP mode no firmware serves the mailbox: every request times out, and
// a read must not hand on what the data registers held from before.
TEST_F(ParameterOps, AStoreThatDoesNotAnswerGivesNothingBack) {
    chip->Params().SetSysSetting({0x5E, 0x9F, 0x3C, 0x81});
    ASSERT_TRUE(product::ReadSystemSetting(rig.link));
    rig.link.OpenDevice();
    chip::IspMode(rig.link, true);
    rig.link.CloseDevice();

    EXPECT_FALSE(product::ReadSystemSetting(rig.link));
    EXPECT_FALSE(product::ReadVid(rig.link));
    EXPECT_FALSE(product::ReadProductString(rig.link, product::ProductString::ModelName));
    EXPECT_FALSE(product::WriteSystemSetting(rig.link, {}));
    EXPECT_FALSE(product::WriteVid(rig.link, "1234"));
    EXPECT_EQ(chip->Params().Vid(), "2fc6");
}

TEST_F(ParameterOps, AStringWriteTellsAStoreSilentFromTheStartFromOneLostPartWay) {
    rig.backend.SetLogging(true);
    ASSERT_EQ(
        product::WriteProductString(rig.link, product::ProductString::SerialNumber, "1234567"),
        product::StringWrite::Written);
    const std::uint64_t oneChunk = rig.backend.Log().size();
    sim::FaultPlan plan;
    plan.unplugAtRequest = oneChunk + 1;  // the first request of the second chunk
    rig.backend.SetFaultPlan(plan);
    EXPECT_EQ(product::WriteProductString(rig.link, product::ProductString::SerialNumber,
                                          std::string(20, 'z')),
              product::StringWrite::StoppedPartWay);
    EXPECT_EQ(product::WriteProductString(rig.link, product::ProductString::SerialNumber, "z"),
              product::StringWrite::NotAnswered);
}

}  // namespace
}  // namespace product_test
