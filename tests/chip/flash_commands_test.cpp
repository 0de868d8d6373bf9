#include "chip/flash_commands.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <numeric>
#include <utility>
#include <vector>

#include "chip/registers.h"
#include "chip/request_codes.h"
#include "chip_test_rig.h"

namespace chip_test {
namespace {

const std::string kReadyLine = "c3 83 0000 0000 1 01 ok";
const std::string kBusyLine = "c3 83 0000 0000 1 00 ok";

std::string FetchLine(const std::vector<std::uint8_t>& bytes) {
    return "c3 82 0000 0000 " + std::to_string(bytes.size()) + " " + Hex(bytes) + " ok";
}

std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}

TEST(FlashWrite, SimpleInstructionsEndTheirInstructionInOneRequest) {
    ChipRig rig;
    EXPECT_TRUE(chip::FlashWriteEnable(rig.Link()));
    EXPECT_TRUE(chip::FlashWriteDisable(rig.Link()));
    EXPECT_TRUE(chip::FlashEraseChip(rig.Link()));
    EXPECT_TRUE(chip::FlashWriteStatus(rig.Link(), 0x3C));
    EXPECT_TRUE(TraceIs(rig.Lines(), {"43 80 0000 0001 1 06 ok", "43 80 0000 0001 1 04 ok",
                                      "43 80 0000 0001 1 c7 ok", "43 80 0000 0001 2 013c ok"}));
}

TEST(FlashWrite, SectorEraseSendsTheAddressMostSignificantFirst) {
    ChipRig rig;
    EXPECT_TRUE(chip::FlashEraseSector(rig.Link(), 0x8000));
    EXPECT_TRUE(chip::FlashEraseSector(rig.Link(), 0x012345));
    EXPECT_TRUE(
        TraceIs(rig.Lines(), {"43 80 0000 0001 4 20008000 ok", "43 80 0000 0001 4 20012345 ok"}));
}

TEST(FlashWrite, ResultIsTheRequests) {
    ChipRig rig;
    rig.FailCode(chip::kRequestFlashInstruction);
    EXPECT_FALSE(chip::FlashEraseChip(rig.Link()));
}

TEST(FlashCommand, NamesTheReplyCountInTheValue) {
    ChipRig rig;
    EXPECT_TRUE(chip::FlashCommand(rig.Link(), 0x9F, 3));
    EXPECT_TRUE(TraceIs(rig.Lines(), {"43 81 0003 0001 1 9f ok"}));
}

TEST(FlashFetch, FailedFetchLeavesTheDestinationAlone) {
    ChipRig rig;
    rig.FailCode(chip::kRequestFlashFetch);
    std::array<std::uint8_t, 4> destination{1, 2, 3, 4};
    EXPECT_FALSE(chip::FlashFetch(rig.Link(), 4, destination.data()));
    EXPECT_EQ(destination, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
}

TEST(FlashReadStatus, FetchesOneByteAfterTheFirstReadyAnswer) {
    ChipRig rig;
    rig.QueueReady({0, 0, 1});
    rig.SetFetchData({0x02});
    EXPECT_EQ(chip::FlashReadStatus(rig.Link()), 0x02);
    EXPECT_TRUE(TraceIs(rig.Lines(), {"43 81 0001 0001 1 05 ok", kBusyLine, kBusyLine, kReadyLine,
                                      FetchLine({0x02})}));
}

TEST(FlashReadStatus, GivesUpAfterTenPollsWithoutPausing) {
    ChipRig rig;
    rig.SetReady(0);
    EXPECT_EQ(chip::FlashReadStatus(rig.Link()), 0xFF);
    std::vector<std::string> expected{"43 81 0001 0001 1 05 ok"};
    expected.insert(expected.end(), 10, kBusyLine);
    EXPECT_TRUE(TraceIs(rig.Lines(), expected));
}

// After a lost instruction the engine still holds the previous reply (a data
// byte during a chip erase, say): nothing is fetched, and the read is busy.
TEST(FlashReadStatus, LostInstructionReadsBusyWithoutFetchingAStaleReply) {
    ChipRig instructionLost;
    instructionLost.FailCode(chip::kRequestFlashReadBackInstruction);
    instructionLost.SetFetchData({0x51});
    EXPECT_EQ(chip::FlashReadStatus(instructionLost.Link()), 0xFF);
    EXPECT_TRUE(TraceIs(instructionLost.Lines(), {"43 81 0001 0001 1 05 fail"}));

    ChipRig fetchLost;
    fetchLost.FailCode(chip::kRequestFlashFetch);
    fetchLost.SetFailureGarbage(0x00);
    EXPECT_EQ(chip::FlashReadStatus(fetchLost.Link()), 0xFF);
}

TEST(FlashReadStatus, AFetchThatDeliversNothingReadsBusy) {
    ChipRig rig;
    rig.SetFetchData({0x00});
    rig.CutReplies(chip::kRequestFlashFetch, 0);
    EXPECT_EQ(chip::FlashReadStatus(rig.Link()), 0xFF);
}

TEST(FlashReadId, LostInstructionLeavesTheChipUnidentified) {
    ChipRig rig;
    rig.FailCode(chip::kRequestFlashReadBackInstruction);
    rig.SetFetchData({0x51, 0x52, 0x53});
    chip::ChipIdBytes id{0xEF, 0x40, 0x14};
    EXPECT_FALSE(chip::FlashReadId(rig.Link(), id));
    EXPECT_EQ(id, (chip::ChipIdBytes{0xEF, 0x40, 0x14}));
    EXPECT_EQ(rig.Lines().size(), 1u) << "no poll, no fetch";
}

TEST(FlashReadId, FetchesThreeBytesIntoTheChipId) {
    ChipRig rig;
    rig.SetFetchData({0xBF, 0x25, 0x41});
    chip::ChipIdBytes id{};
    EXPECT_TRUE(chip::FlashReadId(rig.Link(), id));
    EXPECT_EQ(id, (chip::ChipIdBytes{0xBF, 0x25, 0x41}));
    EXPECT_TRUE(TraceIs(rig.Lines(),
                        {"43 81 0003 0001 1 9f ok", kReadyLine, FetchLine({0xBF, 0x25, 0x41})}));
}

TEST(FlashReadId, ReadyAtTheHundredthPollStillCounts) {
    ChipRig rig;
    rig.QueueReady(std::vector<std::uint8_t>(99, 0));
    rig.SetFetchData({0xEF, 0x40, 0x15});
    chip::ChipIdBytes id{};
    EXPECT_TRUE(chip::FlashReadId(rig.Link(), id));
    EXPECT_EQ(id, (chip::ChipIdBytes{0xEF, 0x40, 0x15}));
}

TEST(FlashReadId, NeverReadyFailsAfterAHundredPollsAndKeepsTheOldId) {
    ChipRig rig;
    rig.SetReady(0);
    chip::ChipIdBytes id{0xC2, 0x22, 0x17};
    EXPECT_FALSE(chip::FlashReadId(rig.Link(), id));
    EXPECT_EQ(id, (chip::ChipIdBytes{0xC2, 0x22, 0x17}));
    std::vector<std::string> expected{"43 81 0003 0001 1 9f ok"};
    expected.insert(expected.end(), 100, kBusyLine);
    EXPECT_TRUE(TraceIs(rig.Lines(), expected));
}

TEST(FlashReadId, FailedFetchKeepsTheOldId) {
    ChipRig rig;
    rig.FailCode(chip::kRequestFlashFetch);
    chip::ChipIdBytes id{0xC2, 0x22, 0x17};
    EXPECT_FALSE(chip::FlashReadId(rig.Link(), id));
    EXPECT_EQ(id, (chip::ChipIdBytes{0xC2, 0x22, 0x17}));
}

TEST(FlashReadBlock, ReadsSixtyFourBytesWithAOneMillisecondPausePerBusyAnswer) {
    ChipRig rig;
    const std::vector<std::uint8_t> content = Pattern(64);
    rig.QueueReady({0, 0});
    rig.SetFetchData(content);
    std::vector<std::uint8_t> destination(64);
    EXPECT_TRUE(chip::FlashReadBlock(rig.Link(), 0x012345, 64, destination.data()));
    EXPECT_EQ(destination, content);
    EXPECT_TRUE(TraceIs(rig.Lines(), {"43 81 0040 0001 4 03012345 ok", kBusyLine, SleepLine(1),
                                      kBusyLine, SleepLine(1), kReadyLine, FetchLine(content)}));
}

TEST(FlashReadBlock, FailedInstructionReturnsAtOnce) {
    ChipRig rig;
    rig.FailRequest(1);
    std::vector<std::uint8_t> destination(64, 0x5A);
    EXPECT_FALSE(chip::FlashReadBlock(rig.Link(), 0x8000, 64, destination.data()));
    EXPECT_TRUE(TraceIs(rig.Lines(), {"43 81 0040 0001 4 03008000 fail"}));
    EXPECT_EQ(destination, std::vector<std::uint8_t>(64, 0x5A));
}

TEST(FlashReadBlock, NeverReadyFailsAfterAHundredPollsEachFollowedByAPause) {
    ChipRig rig;
    rig.SetReady(0);
    std::vector<std::uint8_t> destination(64, 0x5A);
    EXPECT_FALSE(chip::FlashReadBlock(rig.Link(), 0x8000, 64, destination.data()));
    std::vector<std::string> expected{"43 81 0040 0001 4 03008000 ok"};
    for (int i = 0; i < 100; ++i) {
        expected.push_back(kBusyLine);
        expected.push_back(SleepLine(1));
    }
    EXPECT_TRUE(TraceIs(rig.Lines(), expected));
    EXPECT_EQ(rig.SleptMs(), 100u);
    EXPECT_EQ(destination, std::vector<std::uint8_t>(64, 0x5A));
}

TEST(FlashReadBlock, LongestReadIs255Bytes) {
    ChipRig rig;
    std::vector<std::uint8_t> destination(255);
    EXPECT_TRUE(chip::FlashReadBlock(rig.Link(), 0, 255, destination.data()));
    EXPECT_EQ(rig.Lines().front(), "43 81 00ff 0001 4 03000000 ok");
    EXPECT_EQ(rig.Lines().back().substr(0, 20), "c3 82 0000 0000 255 ");
}

TEST(FlashPageProgram, HeaderContinuesAndTheDataEndsTheInstruction) {
    ChipRig rig;
    const std::vector<std::uint8_t> page = Pattern(256);
    EXPECT_TRUE(chip::FlashPageProgram(rig.Link(), 0x001000, 256, page.data()));
    EXPECT_TRUE(TraceIs(rig.Lines(), {"43 80 0000 0000 4 02001000 ok",
                                      "43 80 0000 0001 256 " + Hex(page) + " ok"}));
}

// Without its header the page data would run as an instruction of its own:
// data starting with 0xC7 would erase the whole chip.
TEST(FlashPageProgram, AFailedHeaderSendsNothingMoreAndFails) {
    std::vector<std::uint8_t> page = Pattern(16);
    page[0] = 0xC7;
    ChipRig headerLost;
    headerLost.FailRequest(1);
    EXPECT_FALSE(chip::FlashPageProgram(headerLost.Link(), 0, 16, page.data()));
    EXPECT_TRUE(TraceIs(headerLost.Lines(), {"43 80 0000 0000 4 02000000 fail"}));

    ChipRig dataLost;
    dataLost.FailRequest(2);
    EXPECT_FALSE(chip::FlashPageProgram(dataLost.Link(), 0, 16, page.data()));
}

TEST(FlashWordProgram, OneWordIsASingleSixByteInstruction) {
    ChipRig rig;
    const std::uint8_t word[] = {0xAA, 0xBB};
    EXPECT_TRUE(chip::FlashWordProgram(rig.Link(), 0x012345, 2, word));
    EXPECT_TRUE(TraceIs(rig.Lines(), {"43 80 0000 0001 6 ad012345aabb ok"}));
}

TEST(FlashWordProgram, FullPageIsOneAddressedWordAnd127FollowingWords) {
    ChipRig rig;
    const std::vector<std::uint8_t> page = Pattern(256);
    EXPECT_TRUE(chip::FlashWordProgram(rig.Link(), 0x020000, 256, page.data()));
    std::vector<std::string> expected{"43 80 0000 0001 6 ad020000" + Hex({page[0], page[1]}) +
                                      " ok"};
    for (std::size_t k = 2; k < 256; k += 2) {
        expected.push_back("43 80 0000 0001 3 ad" + Hex({page[k], page[k + 1]}) + " ok");
    }
    EXPECT_EQ(expected.size(), 128u);
    EXPECT_TRUE(TraceIs(rig.Lines(), expected));
}

// After a lost word every later one would land two bytes early.
TEST(FlashWordProgram, StopsAtTheFirstFailedRequest) {
    const std::vector<std::uint8_t> page = Pattern(32);
    ChipRig midLoss;
    midLoss.FailRequest(5);
    EXPECT_FALSE(chip::FlashWordProgram(midLoss.Link(), 0, 32, page.data()));
    EXPECT_EQ(midLoss.Lines().size(), 5u);

    ChipRig lastLost;
    lastLost.FailRequest(16);
    EXPECT_FALSE(chip::FlashWordProgram(lastLost.Link(), 0, 32, page.data()));
}

// A failed request is reported, never sent again by the command itself.
TEST(FlashCommands, NoCommandRetriesAFailedRequest) {
    const std::vector<std::uint8_t> page = Pattern(16);
    const std::vector<std::pair<const char*, std::function<void(usb::QuorvexUsb&)>>> commands = {
        {"write enable", [](usb::QuorvexUsb& l) { chip::FlashWriteEnable(l); }},
        {"sector erase", [](usb::QuorvexUsb& l) { chip::FlashEraseSector(l, 0x1000); }},
        {"write status", [](usb::QuorvexUsb& l) { chip::FlashWriteStatus(l, 0); }},
        {"read status", [](usb::QuorvexUsb& l) { chip::FlashReadStatus(l); }},
        {"read id",
         [](usb::QuorvexUsb& l) {
             chip::ChipIdBytes id{};
             chip::FlashReadId(l, id);
         }},
        {"read block",
         [](usb::QuorvexUsb& l) {
             std::uint8_t block[64];
             chip::FlashReadBlock(l, 0, 64, block);
         }},
        {"page program",
         [&](usb::QuorvexUsb& l) { chip::FlashPageProgram(l, 0, 16, page.data()); }},
        {"word program",
         [&](usb::QuorvexUsb& l) { chip::FlashWordProgram(l, 0, 16, page.data()); }},
        {"ready", [](usb::QuorvexUsb& l) { chip::FlashReady(l); }},
        {"register write", [](usb::QuorvexUsb& l) { chip::RegWrite(l, 0x10, 1); }},
        {"register read",
         [](usb::QuorvexUsb& l) {
             std::uint8_t value = 0;
             chip::RegRead(l, 0x10, value);
         }},
    };
    for (const auto& [name, command] : commands) {
        ChipRig rig;
        rig.FailRequest(1);
        command(rig.Link());
        EXPECT_EQ(rig.Lines().size(), 1u) << name;
    }
}

TEST(FlashLengths, OutOfRangeLengthsAreRefusedWithNothingSent) {
    ChipRig rig;
    std::vector<std::uint8_t> buffer(300, 0x11);
    const std::uint8_t* data = buffer.data();
    EXPECT_FALSE(chip::FlashWrite(rig.Link(), 0x02, std::span(data, 4)));
    EXPECT_FALSE(chip::FlashFetch(rig.Link(), 0, buffer.data()));
    EXPECT_FALSE(chip::FlashReadBlock(rig.Link(), 0, 0, buffer.data()));
    EXPECT_FALSE(chip::FlashReadBlock(rig.Link(), 0, 256, buffer.data()));
    EXPECT_FALSE(chip::FlashPageProgram(rig.Link(), 0, 0, data));
    EXPECT_FALSE(chip::FlashPageProgram(rig.Link(), 0, 257, data));
    EXPECT_FALSE(chip::FlashWordProgram(rig.Link(), 0, 0, data));
    EXPECT_FALSE(chip::FlashWordProgram(rig.Link(), 0, 1, data));
    EXPECT_FALSE(chip::FlashWordProgram(rig.Link(), 0, 5, data));
    EXPECT_FALSE(chip::FlashWordProgram(rig.Link(), 0, 258, data));
    EXPECT_TRUE(rig.Lines().empty());
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(300, 0x11));
}

}  // namespace
}  // namespace chip_test
