#include "flash/flash_texts.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "flash/range.h"
#include "flash/update_result.h"

namespace flash_test {
namespace {

TEST(FlashTexts, LabelsReadAsOnTheIspPage) {
    EXPECT_EQ(flash::SectorEraseText(0x8000), "Flash Sector Erase: 0x 008000");
    EXPECT_EQ(flash::StatusRegisterText(0x9C), "Status Register: 0x9C");
    EXPECT_EQ(flash::ChipIdText({0xBF, 0x25, 0x41}), "0xBF,  0x25,  0x41,  ");
    EXPECT_EQ(flash::EraseAllText(19), "Flash Erase All ");
    EXPECT_EQ(flash::EraseAllText(20), "Flash Erase All .");
    EXPECT_EQ(flash::EraseAllText(199), "Flash Erase All .........");
    EXPECT_EQ(flash::EraseAllText(200), "Flash Erase All ");
}

TEST(ImageByteAt, OutsideTheBufferReadsAsErased) {
    const std::vector<std::uint8_t> image = {1, 2, 3, 4};
    EXPECT_EQ(flash::ImageByteAt(image, 0, 0), 1);
    EXPECT_EQ(flash::ImageByteAt(image, 0, 3), 4);
    EXPECT_EQ(flash::ImageByteAt(image, 0, 4), 0xFF);
    EXPECT_EQ(flash::ImageByteAt(image, 0x10, 0x11), 2);
    EXPECT_EQ(flash::ImageByteAt(image, 0x10, 0x0F), 0xFF);  // below the image base
}

flash::UpdateResult FailedAt(std::optional<flash::UpdateStep> step,
                             flash::FailurePoint failure = {}) {
    flash::UpdateResult result;
    result.failedStep = step;
    result.failure = std::move(failure);
    return result;
}

TEST(UpdateResult, FailedStepsLeaveTheirTextsAndNameThemselves) {
    EXPECT_STREQ(flash::StepStatusText(flash::UpdateStep::Erase), "Erase Flash Fail");
    EXPECT_STREQ(flash::StepStatusText(flash::UpdateStep::BlankCheck), "Start Blanking Check");
    EXPECT_STREQ(flash::StepStatusText(flash::UpdateStep::Program), "Start Programming");
    EXPECT_STREQ(flash::StepStatusText(flash::UpdateStep::Verify), "Start Verifying Check");
    EXPECT_EQ(flash::UpdateFailureMessage(FailedAt(flash::UpdateStep::Verify)),
              "Firmware update failed at the verification step. Keep the device connected and "
              "press \"Start\" again.");
    EXPECT_EQ(flash::UpdateFailureMessage(FailedAt(flash::UpdateStep::Erase)),
              "Firmware update failed while erasing the flash. Keep the device connected and "
              "press \"Start\" again.");
    EXPECT_EQ(flash::UpdateFailureMessage(FailedAt(std::nullopt)),
              "Firmware update failed. Keep the device connected and press \"Start\" again.");
}

// The cause a front end shows, with the address where a loop failed.
TEST(UpdateResult, TheCauseCarriesTheAddressWhereALoopFailed) {
    EXPECT_EQ(flash::FailureCause(
                  FailedAt(flash::UpdateStep::Verify, {0x40, "reads 0x00, expected 0x5C"})),
              "address 0x000040: reads 0x00, expected 0x5C");
    EXPECT_EQ(
        flash::FailureCause(FailedAt(flash::UpdateStep::Identify,
                                     {std::nullopt, "flash not identified (chip ID FF FF FF)"})),
        "flash not identified (chip ID FF FF FF)");
}

TEST(UpdateResult, ARunStoppedBeforeTheEraseSaysNothingWasChanged) {
    EXPECT_EQ(flash::UpdateFailureMessage(
                  FailedAt(flash::UpdateStep::Identify,
                           {std::nullopt, "flash not identified (chip ID FF FF FF)"})),
              "Stopped: flash not identified (chip ID FF FF FF); nothing was changed. Unplug the "
              "device, plug it in again and press \"Start\".");
    const std::string tooLarge =
        "The update file (160 KiB) is larger than the flash of this device (128 KiB); nothing "
        "was changed.";
    EXPECT_EQ(flash::UpdateFailureMessage(
                  FailedAt(flash::UpdateStep::CheckSize, {std::nullopt, tooLarge})),
              tooLarge);
}

TEST(UpdateResult, AProtectionNotSetIsSaidBesideTheSuccess) {
    flash::UpdateResult result;
    result.succeeded = true;
    EXPECT_EQ(flash::UpdateSuccessNote(result), "");
    EXPECT_FALSE(flash::NotRestarted(result));
    result.protectionNotSet = true;
    EXPECT_EQ(flash::UpdateSuccessNote(result),
              "The firmware is written and verified, but the flash protection could not be set");
    EXPECT_FALSE(flash::NotRestarted(result));
}

TEST(UpdateResult, AProductThatDidNotRestartIsNoSuccess) {
    flash::UpdateResult result;
    result.succeeded = true;
    result.deviceNotBack = true;
    result.protectionNotSet = true;
    EXPECT_TRUE(flash::NotRestarted(result));
    EXPECT_EQ(flash::NotRestartedMessage(result),
              "The firmware is written and verified, but the device did not restart: unplug it "
              "and plug it in again\nThe firmware is written and verified, but the flash "
              "protection could not be set");
    result.succeeded = false;  // a failed run is a failure, whatever followed it
    EXPECT_FALSE(flash::NotRestarted(result));
}

}  // namespace
}  // namespace flash_test
