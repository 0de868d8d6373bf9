#include "flash/flash_profile.h"

#include <gtest/gtest.h>

#include <optional>

#include "flash/flash_capacity.h"

namespace flash_test {
namespace {

using flash::FlashProfile;

// Only the first two bytes decide: any Macronix C2 22 part has 32-byte
// pages, any SST part programs by words, whatever its density byte.
TEST(FlashProfile, TheRuleHoldsForOtherIdsOfTheSameFamilies) {
    EXPECT_EQ(flash::ProfileFor({0xC2, 0x22, 0x12}), (FlashProfile{32, false}));
    EXPECT_EQ(flash::ProfileFor({0xC2, 0x20, 0x11}), (FlashProfile{256, false}));
    EXPECT_EQ(flash::ProfileFor({0xBF, 0x25, 0x8E}), (FlashProfile{256, true}));
    EXPECT_EQ(flash::ProfileFor({0xBF, 0x43, 0x00}), (FlashProfile{256, true}));
    EXPECT_EQ(flash::ProfileFor({0xEF, 0x40, 0x14}), (FlashProfile{256, false}));
    EXPECT_EQ(flash::ProfileFor({0x1F, 0x22, 0x11}), (FlashProfile{256, false}));
}

// The SST value sets all four block-protect levels but leaves BPL clear, so
// that the next update can take the protection off again; the other parts
// get every bit.
TEST(FlashProfile, ProtectionLevels) {
    EXPECT_EQ(flash::ProtectionValueFor(flash::ProfileFor({0xBF, 0x25, 0x41})), 0x7F);
    EXPECT_EQ(flash::ProtectionValueFor(flash::ProfileFor({0xBF, 0x25, 0x8D})), 0x7F);
    EXPECT_EQ(flash::ProtectionValueFor(flash::ProfileFor({0xC2, 0x22, 0x11})), 0xFF);
    EXPECT_EQ(flash::ProtectionValueFor(flash::ProfileFor({0xEF, 0x40, 0x14})), 0xFF);
}

TEST(FlashCapacity, FromTheDensityByteOfTheThreeFamilies) {
    EXPECT_EQ(flash::CapacityFor({0xBF, 0x25, 0x41}), 2u * 1024 * 1024);
    EXPECT_EQ(flash::CapacityFor({0xBF, 0x25, 0x8E}), 1024u * 1024);
    EXPECT_EQ(flash::CapacityFor({0xC2, 0x22, 0x11}), 128u * 1024);
    EXPECT_EQ(flash::CapacityFor({0xC2, 0x20, 0x13}), 512u * 1024);
    EXPECT_EQ(flash::CapacityFor({0xEF, 0x40, 0x14}), 1024u * 1024);
    EXPECT_EQ(flash::CapacityFor({0xEF, 0x40, 0x17}), 8u * 1024 * 1024);
}

TEST(FlashCapacity, UnknownIdsHaveNoCapacityAndAreNotRefused) {
    EXPECT_EQ(flash::CapacityFor({0xBF, 0x25, 0x77}), std::nullopt);
    EXPECT_EQ(flash::CapacityFor({0xC2, 0x22, 0x42}), std::nullopt);
    EXPECT_EQ(flash::CapacityFor({0x1F, 0x45, 0x01}), std::nullopt);
    EXPECT_EQ(flash::LastAddressOnFlash({0x1F, 0x45, 0x01}, 0x20000), 0x20000u);
    EXPECT_EQ(flash::LastAddressOnFlash({0xC2, 0x22, 0x11}, 0x20000), 0x1FFFFu);
    EXPECT_EQ(flash::LastAddressOnFlash({0xC2, 0x22, 0x11}, 0x1FFFF), 0x1FFFFu);
}

}  // namespace
}  // namespace flash_test
