#include "flash/flash_texts.h"

#include <gtest/gtest.h>

#include <vector>

#include "flash/image_view.h"
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

TEST(UpdateResult, FailedStepsLeaveTheirTextsAndNameThemselves) {
    EXPECT_STREQ(flash::StepStatusText(flash::UpdateStep::Erase), "Erase Flash Fail");
    EXPECT_STREQ(flash::StepStatusText(flash::UpdateStep::BlankCheck), "Start Blanking Check");
    EXPECT_STREQ(flash::StepStatusText(flash::UpdateStep::Program), "Start Programming");
    EXPECT_STREQ(flash::StepStatusText(flash::UpdateStep::Verify), "Start Verifying Check");
    EXPECT_EQ(flash::UpdateFailureMessage({false, flash::UpdateStep::Verify}),
              "Firmware update failed at the verification step. Keep the device connected and "
              "press \"Start\" again.");
    EXPECT_EQ(flash::UpdateFailureMessage({false, flash::UpdateStep::Erase}),
              "Firmware update failed while erasing the flash. Keep the device connected and "
              "press \"Start\" again.");
    EXPECT_EQ(flash::UpdateFailureMessage({false, std::nullopt}),
              "Firmware update failed. Keep the device connected and press \"Start\" again.");
}

}  // namespace
}  // namespace flash_test
