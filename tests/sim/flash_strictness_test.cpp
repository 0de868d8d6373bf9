// Where real parts ignore an instruction, the simulated ones do too: wrong
// lengths at chip select, anything but the AAI continuation during word
// programming, and status writes while the lock bit and the write-protect pin
// hold the register.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "sim/spi_flash.h"

namespace {

using sim::FlashModel;
using sim::SpiFlash;
using Bytes = std::vector<std::uint8_t>;

Bytes At(std::uint8_t op, std::uint32_t address, Bytes data = {}) {
    Bytes bytes = {op, static_cast<std::uint8_t>(address >> 16),
                   static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

// A flash on its own time line, with a recognisable byte at 0x1000.
class Part {
public:
    explicit Part(FlashModel model, sim::FlashTiming timing = sim::FlashTiming::Typical)
        : flash(model, timing) {
        flash.SetStatusBits(0x00);
        flash.Load(0x1000, Bytes{0x3C});
    }
    Bytes Run(const Bytes& bytes, std::size_t replies = 0) {
        Bytes reply(replies);
        flash.Execute(bytes, reply, ++now);
        return reply;
    }
    std::uint8_t Status() { return Run({0x05}, 1)[0]; }
    void Settle() { now += 100'000'000; }
    // How long the instruction keeps the part busy, to the microsecond.
    std::uint64_t BusyUs(const Bytes& bytes) {
        Run({0x06});
        Run(bytes);
        const std::uint64_t start = now;
        while (flash.IsBusy(now))
            ++now;
        return now - start;
    }

    SpiFlash flash;
    std::uint64_t now = 1000;
};

struct LengthCase {
    const char* name;
    Bytes bytes;
};

void PrintTo(const LengthCase& c, std::ostream* out) {
    *out << c.name;
}

class WrongLength : public ::testing::TestWithParam<LengthCase> {};

TEST_P(WrongLength, IsIgnoredAndLeavesTheLatchAsItWas) {
    Part part(FlashModel::W25q80);
    const bool enableCase = GetParam().bytes[0] == 0x06;
    if (!enableCase)
        part.Run({0x06});
    const std::uint8_t before = part.Status();
    part.Run(GetParam().bytes);
    part.Settle();
    EXPECT_EQ(part.Status(), before);
    EXPECT_EQ(part.flash.Contents()[0x1000], 0x3C);
    EXPECT_EQ(part.flash.Contents()[0x0000], 0xFF);
}

INSTANTIATE_TEST_SUITE_P(
    W25, WrongLength,
    ::testing::Values(LengthCase{"WriteEnableWithAStrayByte", {0x06, 0x00}},
                      LengthCase{"WriteDisableWithAStrayByte", {0x04, 0x00}},
                      LengthCase{"ChipEraseWithAnExtraByte", {0xC7, 0x00}},
                      LengthCase{"ChipEraseWithPageData", Bytes(256, 0xC7)},
                      LengthCase{"SectorEraseWithAnExtraByte", At(0x20, 0x1000, {0x00})},
                      LengthCase{"SectorEraseWithoutItsLastAddressByte", {0x20, 0x00, 0x10}},
                      LengthCase{"StatusWriteWithoutData", {0x01}},
                      LengthCase{"StatusWriteWithThreeDataBytes", {0x01, 0x1C, 0x00, 0x00}},
                      LengthCase{"PageProgramHeaderAlone", At(0x02, 0x0000)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RightLength, StatusWriteMayCarryTheSecondRegisterOnTheW25Part) {
    Part w25(FlashModel::W25q80);
    w25.Run({0x06});
    w25.Run({0x01, 0x1C, 0x00});
    w25.Settle();
    EXPECT_EQ(w25.Status(), 0x1C);

    Part mx(FlashModel::Mx25l1021e);
    mx.Run({0x06});
    mx.Run({0x01, 0x0C, 0x00});
    mx.Settle();
    EXPECT_EQ(mx.Status(), SpiFlash::kStatusWriteEnabled) << "one status byte only";
}

TEST(AaiSequence, AcceptsOnlyContinuationStatusReadAndWriteDisable) {
    Part part(FlashModel::Sst25vf016b);
    part.Run({0x06});
    part.Run(At(0xAD, 0x0000, {0x11, 0x22}));
    part.Settle();
    const std::uint8_t inSequence = SpiFlash::kStatusAai | SpiFlash::kStatusWriteEnabled;
    for (const Bytes& ignored : {Bytes{0x06}, Bytes{0xC7}, Bytes{0x01, 0x1C}, At(0x20, 0x1000),
                                 At(0x02, 0x0010, {0x00}), At(0xAD, 0x0100, {0x00, 0x00})}) {
        part.Run(ignored);
        part.Settle();
        EXPECT_EQ(part.Status(), inSequence) << "instruction 0x" << std::hex << int{ignored[0]};
    }
    EXPECT_EQ(part.Run({0x9F}, 3), (Bytes{0xFF, 0xFF, 0xFF})) << "no identification";
    EXPECT_EQ(part.Run(At(0x03, 0x1000), 1), (Bytes{0xFF})) << "no reads";
    part.Run({0xAD, 0x33});
    part.Run({0xAD, 0x33, 0x44, 0x55});
    part.Settle();
    part.Run({0xAD, 0x66, 0x77});
    part.Settle();
    part.Run({0x04});
    EXPECT_EQ(part.Status(), 0x00);
    EXPECT_EQ(part.Run(At(0x03, 0x0000), 5), (Bytes{0x11, 0x22, 0x66, 0x77, 0xFF}))
        << "continuations of the wrong length do not advance the address";
    EXPECT_EQ(part.flash.Contents()[0x1000], 0x3C);
}

struct TimingCase {
    FlashModel model;
    sim::FlashTiming timing;
};

void PrintTo(const TimingCase& c, std::ostream* out) {
    *out << sim::DatasheetFor(c.model).name << ' ' << sim::FlashTimingName(c.timing);
}

class BusyTimes : public ::testing::TestWithParam<TimingCase> {};

TEST_P(BusyTimes, FollowTheChosenEndOfTheDatasheetRange) {
    const auto [model, timing] = GetParam();
    Part part(model, timing);
    const sim::FlashDatasheet& sheet = part.flash.Datasheet();
    const bool max = timing == sim::FlashTiming::Maximum;
    const Bytes program = sheet.wordProgram ? At(0xAD, 0x0, {0x00, 0x00}) : At(0x02, 0x0, {0x00});
    EXPECT_EQ(part.BusyUs(program), max ? sheet.programMaxUs : sheet.programUs);
    if (sheet.wordProgram)
        part.Run({0x04});
    EXPECT_EQ(part.BusyUs(At(0x20, 0x1000)), max ? sheet.sectorEraseMaxUs : sheet.sectorEraseUs);
    EXPECT_EQ(part.BusyUs({0x01, 0x00}), max ? sheet.writeStatusMaxUs : sheet.writeStatusUs);
    EXPECT_EQ(part.BusyUs({0xC7}), max ? sheet.chipEraseMaxUs : sheet.chipEraseUs);
    EXPECT_LE(sheet.programUs, sheet.programMaxUs);
    EXPECT_LT(sheet.chipEraseUs, sheet.chipEraseMaxUs);
}

INSTANTIATE_TEST_SUITE_P(
    Parts, BusyTimes,
    ::testing::Values(TimingCase{FlashModel::Sst25vf016b, sim::FlashTiming::Typical},
                      TimingCase{FlashModel::Sst25vf016b, sim::FlashTiming::Maximum},
                      TimingCase{FlashModel::Mx25l1021e, sim::FlashTiming::Typical},
                      TimingCase{FlashModel::Mx25l1021e, sim::FlashTiming::Maximum},
                      TimingCase{FlashModel::W25q80, sim::FlashTiming::Typical},
                      TimingCase{FlashModel::W25q80, sim::FlashTiming::Maximum}),
    [](const auto& info) {
        return std::string(sim::DatasheetFor(info.param.model).name) + "_" +
               sim::FlashTimingName(info.param.timing);
    });

struct LockedPart {
    FlashModel model;
};

void PrintTo(const LockedPart& part, std::ostream* out) {
    *out << sim::DatasheetFor(part.model).name;
}

class StatusLock : public ::testing::TestWithParam<LockedPart> {};

// The protection value the tool writes last sets the lock bit (SRP0, SRWD)
// on two of the parts; on the SST part the lock bit is BPL.
TEST_P(StatusLock, HoldsTheRegisterOnlyWhileThePinIsHeld) {
    Part part(GetParam().model);
    const std::uint8_t locked =
        static_cast<std::uint8_t>(part.flash.Datasheet().statusLockBit | 0x0C);
    part.flash.SetStatusBits(locked);
    part.flash.SetWriteProtectHeld(true);
    part.Run({0x06});
    part.Run({0x01, 0x00});
    part.Settle();
    EXPECT_EQ(part.Status(), locked | SpiFlash::kStatusWriteEnabled) << "pin held: nothing changes";

    part.flash.SetWriteProtectHeld(false);
    part.Run({0x01, 0x00});
    part.Settle();
    EXPECT_EQ(part.Status(), 0x00) << "pin free: the lock bit means nothing";

    part.flash.SetWriteProtectHeld(true);
    part.Run({0x06});
    part.Run({0x01, 0x0C});
    part.Settle();
    EXPECT_EQ(part.Status(), 0x0C) << "without the lock bit the pin holds nothing";
}

INSTANTIATE_TEST_SUITE_P(Parts, StatusLock,
                         ::testing::Values(LockedPart{FlashModel::Sst25vf016b},
                                           LockedPart{FlashModel::Mx25l1021e},
                                           LockedPart{FlashModel::W25q80}),
                         [](const auto& info) {
                             return std::string(sim::DatasheetFor(info.param.model).name);
                         });

TEST(TimingNames, ReadBackAsWrittenAndNothingElse) {
    EXPECT_EQ(sim::FlashTimingNamed("typical"), sim::FlashTiming::Typical);
    EXPECT_EQ(sim::FlashTimingNamed("max"), sim::FlashTiming::Maximum);
    EXPECT_EQ(sim::FlashTimingNamed("maximum"), std::nullopt);
    EXPECT_EQ(sim::FlashTimingNamed("Typical"), std::nullopt);
    EXPECT_EQ(sim::FlashTimingNamed(""), std::nullopt);
}

}  // namespace
