#include "sim/spi_flash.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using sim::FlashModel;
using sim::SpiFlash;

std::vector<std::uint8_t> Bytes(std::initializer_list<std::uint8_t> list) {
    return list;
}

std::vector<std::uint8_t> At(std::uint8_t op, std::uint32_t address,
                             std::vector<std::uint8_t> data = {}) {
    // Sized once and filled, rather than an initializer list grown by insert():
    // GCC 12 at -O3 sees an out-of-bounds copy in the latter (-Warray-bounds).
    std::vector<std::uint8_t> bytes(4 + data.size());
    bytes[0] = op;
    bytes[1] = static_cast<std::uint8_t>(address >> 16);
    bytes[2] = static_cast<std::uint8_t>(address >> 8);
    bytes[3] = static_cast<std::uint8_t>(address);
    std::copy(data.begin(), data.end(), bytes.begin() + 4);
    return bytes;
}

// A flash on its own time line; every instruction happens 1 us after the last.
class FlashTest : public ::testing::Test {
protected:
    explicit FlashTest(FlashModel model = FlashModel::W25q80) : flash(model) {}

    std::vector<std::uint8_t> Run(const std::vector<std::uint8_t>& bytes, std::size_t replies = 0) {
        std::vector<std::uint8_t> reply(replies);
        flash.Execute(bytes, reply, ++now);
        return reply;
    }
    std::uint8_t Status() { return Run({0x05}, 1)[0]; }
    std::uint8_t ByteAt(std::uint32_t address) const { return flash.Contents()[address]; }
    void Unprotect() { flash.SetStatusBits(0x00); }
    void Settle() { now += 10'000'000; }

    SpiFlash flash;
    std::uint64_t now = 1000;
};

TEST_F(FlashTest, ReportsTheJedecIdOfEachModel) {
    EXPECT_EQ(Run({0x9F}, 3), Bytes({0xEF, 0x40, 0x14}));
    EXPECT_EQ(SpiFlash(FlashModel::Sst25vf016b).Datasheet().jedecId,
              (std::array<std::uint8_t, 3>{0xBF, 0x25, 0x41}));
    EXPECT_EQ(SpiFlash(FlashModel::Mx25l1021e).Datasheet().jedecId,
              (std::array<std::uint8_t, 3>{0xC2, 0x22, 0x11}));
}

TEST_F(FlashTest, ProgramEraseAndStatusWriteNeedWriteEnableEachTime) {
    Unprotect();
    Run(At(0x02, 0x10, {0x00}));
    Run(At(0x20, 0x0000));
    Run({0x01, 0x1C});
    EXPECT_EQ(ByteAt(0x10), 0xFF);
    EXPECT_EQ(Status(), 0x00) << "nothing started, nothing protected";

    Run({0x06});
    EXPECT_EQ(Status(), SpiFlash::kStatusWriteEnabled);
    Run(At(0x02, 0x10, {0x12}));
    Settle();
    EXPECT_EQ(ByteAt(0x10), 0x12);
    EXPECT_EQ(Status(), 0x00) << "the latch is spent by the program";
    Run(At(0x02, 0x11, {0x34}));
    Settle();
    EXPECT_EQ(ByteAt(0x11), 0xFF);
}

TEST_F(FlashTest, ProgrammingOnlyClearsBits) {
    Unprotect();
    Run({0x06});
    Run(At(0x02, 0x40, {0xF0, 0x3C}));
    Settle();
    Run({0x06});
    Run(At(0x02, 0x40, {0x0F, 0xFF}));
    Settle();
    EXPECT_EQ(ByteAt(0x40), 0x00);
    EXPECT_EQ(ByteAt(0x41), 0x3C);
}

TEST_F(FlashTest, PageProgramWrapsInsideItsPage) {
    Unprotect();
    std::vector<std::uint8_t> data(32);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i);
    Run({0x06});
    Run(At(0x02, 0x1F0, data));
    Settle();
    EXPECT_EQ(ByteAt(0x1F0), 0x00);
    EXPECT_EQ(ByteAt(0x1FF), 0x0F);
    EXPECT_EQ(ByteAt(0x100), 0x10) << "the 17th byte wraps to the start of the page";
    EXPECT_EQ(ByteAt(0x10F), 0x1F);
    EXPECT_EQ(ByteAt(0x200), 0xFF) << "the next page is untouched";
}

TEST_F(FlashTest, MoreThanAPageKeepsTheLastPageOfData) {
    Unprotect();
    std::vector<std::uint8_t> data(260, 0xFF);
    data[0] = 0x00;  // replaced by data[256]
    data[256] = 0xA5;
    data[259] = 0x5A;
    Run({0x06});
    Run(At(0x02, 0x000, data));
    Settle();
    EXPECT_EQ(ByteAt(0x000), 0xA5);
    EXPECT_EQ(ByteAt(0x003), 0x5A);
}

TEST(SmallPageFlash, WrapsAtThirtyTwoBytes) {
    SpiFlash flash(FlashModel::Mx25l1021e);
    flash.SetStatusBits(0x00);
    std::vector<std::uint8_t> reply;
    flash.Execute(std::vector<std::uint8_t>{0x06}, reply, 1);
    flash.Execute(At(0x02, 0x3C, {1, 2, 3, 4, 5, 6}), reply, 2);
    EXPECT_EQ(flash.Contents()[0x3F], 4);
    EXPECT_EQ(flash.Contents()[0x20], 5);
    EXPECT_EQ(flash.Contents()[0x40], 0xFF);
}

TEST_F(FlashTest, ProtectedBlocksRefuseEraseAndProgram) {
    flash.SetStatusBits(0x04);  // BP = 1: the top 64 KiB
    ASSERT_TRUE(flash.IsProtected(0xF0000));
    ASSERT_FALSE(flash.IsProtected(0xEFFFF));
    Run({0x06});
    Run(At(0x02, 0xF0000, {0x00}));
    Run(At(0x20, 0xF1000));
    Run({0xC7});
    Settle();
    EXPECT_EQ(ByteAt(0xF0000), 0xFF);
    EXPECT_EQ(Status() & SpiFlash::kStatusBusy, 0);
    EXPECT_NE(Status() & SpiFlash::kStatusWriteEnabled, 0) << "refused instructions spend nothing";

    Run(At(0x02, 0x00000, {0x00}));
    Settle();
    EXPECT_EQ(ByteAt(0x00000), 0x00) << "unprotected blocks stay writable";
}

TEST_F(FlashTest, ChipEraseRefusedWhileAnyBlockIsProtected) {
    Unprotect();
    Run({0x06});
    Run(At(0x02, 0x0, {0x00}));
    Settle();
    Run({0x06});
    Run({0x01, 0x04});
    Settle();
    Run({0x06});
    Run({0xC7});
    Settle();
    EXPECT_EQ(ByteAt(0x0), 0x00);
    Run({0x06});
    Run({0x01, 0x00});
    Settle();
    Run({0x06});
    Run({0xC7});
    Settle();
    EXPECT_EQ(ByteAt(0x0), 0xFF);
}

TEST_F(FlashTest, BusyLastsTheModelledTimeAndIgnoresAllButReadStatus) {
    Unprotect();
    flash.Load(0x2000, Bytes({0x00}));
    Run({0x06});
    Run(At(0x20, 0x2345));
    const std::uint64_t started = now;
    const std::uint32_t eraseUs = flash.Datasheet().sectorEraseUs;
    EXPECT_EQ(Status(), SpiFlash::kStatusBusy | SpiFlash::kStatusWriteEnabled);
    EXPECT_EQ(Run(At(0x03, 0x2000), 2), Bytes({0xFF, 0xFF})) << "a busy part does not answer";
    EXPECT_EQ(Run({0x9F}, 1), Bytes({0xFF}));

    now = started + eraseUs - 2;
    EXPECT_TRUE(flash.IsBusy(now + 1));
    EXPECT_EQ(Status() & SpiFlash::kStatusBusy, SpiFlash::kStatusBusy);
    now = started + eraseUs - 1;
    EXPECT_EQ(Status(), 0x00) << "busy and the write-enable latch clear together";
    EXPECT_EQ(ByteAt(0x2000), 0xFF);
}

TEST_F(FlashTest, StatusWriteKeepsReadOnlyBitsAndLastsItsTime) {
    Unprotect();
    Run({0x06});
    Run({0x01, 0xFF});
    EXPECT_EQ(Status() & SpiFlash::kStatusBusy, SpiFlash::kStatusBusy);
    Settle();
    EXPECT_EQ(Status(), 0xFC) << "busy and the latch are not writable";
}

TEST_F(FlashTest, NonVolatileProtectionSurvivesPowerUp) {
    flash.SetStatusBits(0x1C);
    Run({0x06});
    flash.PowerUp();
    EXPECT_EQ(Status(), 0x1C);
}

// An erase cut by the power stops where it has got to: a quarter of the way
// through its time the first quarter of the array is erased, the rest holds
// what it held, and the part comes up idle with its latch clear.
TEST_F(FlashTest, PowerLossStopsAChipEraseWhereItHasGot) {
    Unprotect();
    const std::uint32_t size = flash.Datasheet().sizeBytes;
    flash.Load(0, std::vector<std::uint8_t>(size, 0x00));
    Run({0x06});
    Run({0xC7});
    now += flash.Datasheet().chipEraseUs / 4;
    flash.PowerLoss(now);
    flash.PowerUp();
    EXPECT_EQ(ByteAt(0), 0xFF);
    EXPECT_EQ(ByteAt(size / 4 - 1), 0xFF);
    EXPECT_EQ(ByteAt(size / 4), 0x00);
    EXPECT_EQ(ByteAt(size - 1), 0x00);
    EXPECT_EQ(Status(), 0x00);
}

class SstFlashTest : public FlashTest {
protected:
    SstFlashTest() : FlashTest(FlashModel::Sst25vf016b) {}
};

TEST_F(SstFlashTest, ComesUpProtectedAtEveryPowerUp) {
    EXPECT_EQ(Status(), 0x1C);
    Run({0x06});
    Run(At(0xAD, 0x0, {0x00, 0x00}));
    Settle();
    EXPECT_EQ(ByteAt(0x0), 0xFF);
    Run({0x04});

    Run({0x06});
    Run({0x01, 0x00});
    EXPECT_EQ(Status(), 0x00);
    flash.PowerUp();
    EXPECT_EQ(Status(), 0x1C);
}

TEST_F(SstFlashTest, AaiProgramsWordsUntilWriteDisable) {
    Unprotect();
    Run({0x06});
    Run(At(0xAD, 0x101, {0x11, 0x22}));  // words start at even addresses
    now += 20;
    EXPECT_EQ(Status(), SpiFlash::kStatusAai | SpiFlash::kStatusWriteEnabled);
    Run({0xAD, 0x33, 0x44});
    now += 20;
    EXPECT_EQ(Run(At(0x03, 0x100), 1), Bytes({0xFF})) << "reads are ignored inside the sequence";
    Run({0xAD, 0x55, 0x66});
    now += 20;
    Run({0x04});
    EXPECT_EQ(Status(), 0x00);
    EXPECT_EQ(Run(At(0x03, 0x100), 7), Bytes({0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0xFF}));

    Run({0xAD, 0x00, 0x00});
    now += 20;
    EXPECT_EQ(ByteAt(0x106), 0xFF) << "after write disable a data-only AAI is nothing";
}

TEST_F(SstFlashTest, AaiWordSentWhileTheLastIsProgrammingIsLost) {
    Unprotect();
    Run({0x06});
    Run(At(0xAD, 0x0, {0x01, 0x02}));
    Run({0xAD, 0x03, 0x04});  // 1 us later: the first word is still programming
    now += 20;
    Run({0xAD, 0x05, 0x06});
    now += 20;
    Run({0x04});
    EXPECT_EQ(Run(At(0x03, 0x0), 4), Bytes({0x01, 0x02, 0x05, 0x06}));
}

TEST_F(SstFlashTest, ByteProgramTakesExactlyOneDataByte) {
    Unprotect();
    Run({0x06});
    Run(At(0x02, 0x10, {0x12, 0x34}));
    Settle();
    EXPECT_EQ(ByteAt(0x10), 0xFF) << "chip select rose a byte late";
    EXPECT_NE(Status() & SpiFlash::kStatusWriteEnabled, 0);
    Run(At(0x02, 0x10, {0x12}));
    Settle();
    EXPECT_EQ(ByteAt(0x10), 0x12);
    EXPECT_EQ(ByteAt(0x11), 0xFF);
}

}  // namespace
