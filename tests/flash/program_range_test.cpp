#include "flash/range_loops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_flash_rig.h"
#include "flash/flash_profile.h"
#include "progress_recorder.h"
#include "trace_lines.h"

namespace flash_test {
namespace {

using Instructions = std::vector<std::vector<std::uint8_t>>;

const flash::FlashProfile kPages256{256, false};
const flash::FlashProfile kWords{256, true};

std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}

class ProgramRange : public ::testing::Test {
protected:
    ProgramRange() {
        rig.Link().OpenDevice();
        rig.ClearTrace();
    }

    bool Program(const std::vector<std::uint8_t>& image, const flash::FlashProfile& profile,
                 std::uint64_t base, std::uint64_t first, std::uint64_t end) {
        const flash::ImageView view{image, static_cast<std::uint32_t>(image.size())};
        return flash::ProgramRange(rig.Link(), view, base, profile, first, end, progress);
    }

    bool FlashHolds(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
        return std::equal(bytes.begin(), bytes.end(), rig.Memory().begin() + address);
    }

    FakeFlashRig rig;
    ProgressRecorder progress;
};

TEST_F(ProgramRange, PageProgramWaitsWritesEnablesAndPollsReady) {
    const std::vector<std::uint8_t> image = Pattern(256);
    EXPECT_TRUE(Program(image, kPages256, 0, 0, 256));
    Lines expected = StatusReadLines(0x00);
    Append(expected,
           {InstructionLine({0x06}), "43 80 0000 0000 4 02000000 ok",
            "43 80 0000 0001 256 " + Hex(image) + " ok", SleepLine(1), "c3 83 0000 0000 1 01 ok"});
    Append(expected, StatusReadLines(0x00));  // the last page has finished
    EXPECT_TRUE(TraceIs(rig.Lines(), expected));
    EXPECT_EQ(progress.To("addr"), std::vector<std::string>{"0x000000"});
}

// The engine's ready answer after a page is asked at most ten times, each
// after a 1 ms pause; the flash's own busy bit is waited for after that.
TEST_F(ProgramRange, AsksReadyUpToTenTimesAfterAPage) {
    rig.QueueReady({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});  // the wait before, then ten not ready
    EXPECT_TRUE(Program(Pattern(256), kPages256, 0, 0, 256));
    const Lines& lines = rig.Lines();
    const auto data = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.starts_with("43 80 0000 0001 256");
    });
    ASSERT_NE(data, lines.end());
    Lines after(data + 1, lines.end());
    Lines expected;
    for (int n = 0; n < 10; ++n)
        Append(expected, {SleepLine(1), "c3 83 0000 0000 1 00 ok"});
    Append(expected, StatusReadLines(0x00));
    EXPECT_TRUE(TraceIs(after, expected));
}

// A page takes up to 3 ms on 256-byte-page parts; what follows the program
// step must meet a flash that has finished.
TEST_F(ProgramRange, ReturnsOnlyOnceTheLastPageHasFinished) {
    rig.SetProgramTimeUs(3000);
    EXPECT_TRUE(Program(Pattern(0x200), kPages256, 0, 0, 0x200));
    EXPECT_FALSE(rig.IsBusyNow());
}

TEST_F(ProgramRange, AFlashStillBusyAfterTheLastPageFailsTheStep) {
    rig.SetProgramTimeUs(1'000'000);
    flash::FailurePoint failure;
    const std::vector<std::uint8_t> image = Pattern(0x100);
    EXPECT_FALSE(flash::ProgramRange(rig.Link(), {image, 0x100}, 0, kPages256, 0, 0x100, progress,
                                     &failure));
    EXPECT_EQ(failure.address, 0x100u);
    EXPECT_EQ(failure.cause, "the flash stayed busy after the last page");
}

// A word-programming part that still shows its word mode at the end ignores
// everything but write disable; the step must not pass.
TEST_F(ProgramRange, WordModeLeftOnAtTheEndFailsTheStep) {
    rig.QueueStatus({0x00, 0x40});  // before the first page; after the last
    EXPECT_FALSE(Program(Pattern(0x100), kWords, 0, 0, 0x100));
}

TEST_F(ProgramRange, PageProgramSkipsErasedPagesAndStopsBeforeTheEnd) {
    std::vector<std::uint8_t> image = Pattern(0x400);
    std::fill_n(image.begin() + 0x100, 0x100, 0xFF);
    EXPECT_TRUE(Program(image, kPages256, 0, 0, 0x301));
    EXPECT_EQ(progress.To("addr"), (std::vector<std::string>{"0x000000", "0x000200", "0x000300"}));
    EXPECT_TRUE(FlashHolds(0, image));
}

TEST_F(ProgramRange, PageProgramStopsWhenTheFlashStaysBusy) {
    rig.SetStatus(0x01);
    EXPECT_FALSE(Program(Pattern(0x200), kPages256, 0, 0, 0x200));
    EXPECT_EQ(rig.StatusReads(), 101);
    EXPECT_EQ(rig.Instructions(), (Instructions{{0x06}}));  // write enable, then nothing
    EXPECT_EQ(progress.To("addr"), std::vector<std::string>{"0x000000"});
}

TEST_F(ProgramRange, WordProgramWaitsOnceAndEndsEachPageWithWriteDisable) {
    const std::vector<std::uint8_t> image = Pattern(0x200);
    EXPECT_TRUE(Program(image, kWords, 0, 0, 0x200));
    EXPECT_EQ(rig.StatusReads(), 2);  // before the first page and after the last
    const Lines& lines = rig.Lines();
    EXPECT_EQ(CountStartingWith(lines, "43 80 0000 0001 6 ad"), 2);
    EXPECT_EQ(CountStartingWith(lines, "43 80 0000 0001 3 ad"), 2 * 127);
    EXPECT_EQ(CountOf(lines, InstructionLine({0x04})), 2);
    EXPECT_EQ(rig.Instructions()[0], (std::vector<std::uint8_t>{0x06}));
    EXPECT_EQ(rig.Instructions()[1],
              (std::vector<std::uint8_t>{0xAD, 0x00, 0x00, 0x00, image[0], image[1]}));
    EXPECT_EQ(rig.Instructions()[129], (std::vector<std::uint8_t>{0x04}));
    EXPECT_TRUE(FlashHolds(0, image));
}

TEST_F(ProgramRange, WordProgramSendsWriteEnableForSkippedPagesToo) {
    const std::vector<std::uint8_t> image(0x300, 0xFF);
    EXPECT_TRUE(Program(image, kWords, 0, 0, 0x300));
    EXPECT_EQ(rig.Instructions(), (Instructions{{0x06}, {0x06}, {0x06}}));
    EXPECT_EQ(progress.To("addr"), (std::vector<std::string>{"0x000000", "0x000100", "0x000200"}));
}

TEST_F(ProgramRange, WordProgramOnABusyFlashStopsAtTheFirstPageToWrite) {
    rig.SetStatus(0x01);
    std::vector<std::uint8_t> image(0x300, 0xFF);
    image[0x150] = 0x00;
    EXPECT_FALSE(Program(image, kWords, 0, 0, 0x300));
    EXPECT_EQ(rig.Instructions(), (Instructions{{0x06}, {0x06}}));
}

TEST_F(ProgramRange, ProfileWithoutAPageSizeIsRefusedWithoutARequest) {
    EXPECT_FALSE(Program(Pattern(0x100), flash::FlashProfile{}, 0, 0, 0x100));
    EXPECT_TRUE(rig.Lines().empty());
}

TEST_F(ProgramRange, AnEndBeyondTheFlashIsRefusedWithoutARequest) {
    EXPECT_FALSE(Program(Pattern(0x200), kPages256, 0xFFFF00, 0xFFFF00, 0x1000100));
    EXPECT_FALSE(Program(Pattern(0x200), kWords, 0xFFFF00, 0xFFFF00, 0x1000100));
    // 4 GiB on: in 32 bits these pages were written over the boot area.
    EXPECT_FALSE(Program(Pattern(0x200), kPages256, 0x100000000, 0x100000000, 0x100000200));
    EXPECT_TRUE(rig.Lines().empty());
    EXPECT_EQ(progress.To("step"),
              std::vector<std::string>(3, "Range reaches past the 16 MiB flash: nothing done"));
}

TEST_F(ProgramRange, TheLastPageOfTheFlashGoesToItsOwnAddress) {
    const std::vector<std::uint8_t> image = Pattern(0x100);
    EXPECT_TRUE(Program(image, kPages256, 0xFFFF00, 0xFFFF00, 0x1000000));
    EXPECT_EQ(CountOf(rig.Lines(), "43 80 0000 0000 4 02ffff00 ok"), 1);
    EXPECT_EQ(progress.To("addr"), std::vector<std::string>{"0xFFFF00"});
}

}  // namespace
}  // namespace flash_test
