#include "flash/range_buttons.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "fake_flash_rig.h"
#include "flash/flash_state.h"
#include "progress_recorder.h"
#include "trace_lines.h"

namespace flash_test {
namespace {

class RangeButtons : public ::testing::Test {
protected:
    RangeButtons() : buffer(0x40000, 0xFF) {
        for (std::uint32_t i = 0; i < 0x100; ++i)
            buffer[i] = static_cast<std::uint8_t>(~i);
    }

    flash::ImageView Image() const { return {buffer, 0x100}; }

    FakeFlashRig rig;
    std::vector<std::uint8_t> buffer;
    flash::FlashState state;
    ProgressRecorder recorder;
};

TEST_F(RangeButtons, ProgramReadsTheChipIdBeforeItsFirstPage) {
    ASSERT_EQ(state.profile.pageSize, 0);
    rig.SetChipId({0xC2, 0x22, 0x11});
    EXPECT_TRUE(flash::RunProgramButton(rig.Link(), Image(), state, true, recorder));
    EXPECT_EQ(state.profile, (flash::FlashProfile{32, false}));
    const Lines& lines = rig.Lines();
    EXPECT_EQ(lines[0], "open ok");
    EXPECT_EQ(lines[1], "43 81 0001 0001 1 05 ok");  // the flash not busy first
    EXPECT_EQ(lines[4], "43 80 0000 0001 1 04 ok");  // then the known state
    EXPECT_EQ(lines[5], "43 81 0003 0001 1 9f ok");
    EXPECT_EQ(CountStartingWith(lines, "43 80 0000 0001 32 "), 8);
    EXPECT_EQ(lines.back(), "close");
    EXPECT_EQ(recorder.To("step"),
              (std::vector<std::string>{"Start Programming...", "Programming Success"}));
}

TEST_F(RangeButtons, ReadFlashReadsTheFirst32KbAndSaysSo) {
    auto readBack = std::make_unique<flash::ReadBackBuffer>();
    EXPECT_TRUE(flash::RunReadFlashButton(rig.Link(), *readBack, recorder));
    EXPECT_EQ(recorder.To("step"),
              (std::vector<std::string>{"Read Flash data back", "Read Flash content Success"}));
    EXPECT_EQ(CountOf(rig.Lines(), "43 81 0040 0001 4 03008000 ok"), 2);
    EXPECT_EQ(rig.Lines().back(), "close");
}

}  // namespace
}  // namespace flash_test
