#include "product/system_setting.h"

#include <gtest/gtest.h>

#include <functional>

namespace product_test {
namespace {

using product::SystemSetting;

TEST(SystemSetting, TheStartValueReadsAsTheWindowShowsIt) {
    const SystemSetting s = SystemSetting::FromBytes(product::kDefaultSystemSetting);
    EXPECT_EQ(s.i2sLength, SystemSetting::OutputLength::Bits32);
    EXPECT_EQ(s.spdifLength, SystemSetting::OutputLength::Bits24);
    EXPECT_EQ(s.MclkFrequencyFs(), 512);
    EXPECT_EQ(s.i2sFormat, SystemSetting::I2sFormat::Standard);
    EXPECT_EQ(s.dsdOutput, SystemSetting::DsdOutput::NativeDsd);
    EXPECT_FALSE(s.i2sChannelSwap || s.dsdChannelSwap || s.mclkOutputOff || s.i2sOutputOff ||
                 s.spdifOutputOff || s.eepromPresent);
}

struct FieldBit {
    const char* name;
    std::function<void(SystemSetting&)> set;
    std::size_t byte;
    std::uint8_t bits;
};

void PrintTo(const FieldBit& value, std::ostream* out) {
    *out << value.name;
}

class SystemSettingField : public ::testing::TestWithParam<FieldBit> {};

TEST_P(SystemSettingField, SetsExactlyItsOwnBits) {
    SystemSetting s = SystemSetting::FromBytes({0, 0, 0, 0});
    GetParam().set(s);
    std::array<std::uint8_t, 4> expected{};
    expected[GetParam().byte] = GetParam().bits;
    EXPECT_EQ(s.ToBytes(), expected);
    EXPECT_EQ(SystemSetting::FromBytes(expected), s);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, SystemSettingField,
    ::testing::Values(
        FieldBit{"I2sLength",
                 [](SystemSetting& s) { s.i2sLength = SystemSetting::OutputLength::Bits32; }, 0,
                 0x01},
        FieldBit{"SpdifLength",
                 [](SystemSetting& s) { s.spdifLength = SystemSetting::OutputLength::Bits32; }, 0,
                 0x02},
        FieldBit{"I2sSwap", [](SystemSetting& s) { s.i2sChannelSwap = true; }, 0, 0x04},
        FieldBit{"DsdSwap", [](SystemSetting& s) { s.dsdChannelSwap = true; }, 0, 0x08},
        FieldBit{"Mclk1024", [](SystemSetting& s) { s.mclkFrequencyIndex = 3; }, 0, 0x30},
        FieldBit{"LeftJustified",
                 [](SystemSetting& s) { s.i2sFormat = SystemSetting::I2sFormat::LeftJustified; }, 0,
                 0x40},
        FieldBit{"NativeDsd",
                 [](SystemSetting& s) { s.dsdOutput = SystemSetting::DsdOutput::NativeDsd; }, 0,
                 0x80},
        FieldBit{"SpdifOff", [](SystemSetting& s) { s.spdifOutputOff = true; }, 1, 0x20},
        FieldBit{"I2sOff", [](SystemSetting& s) { s.i2sOutputOff = true; }, 1, 0x40},
        FieldBit{"MclkOff", [](SystemSetting& s) { s.mclkOutputOff = true; }, 1, 0x80},
        FieldBit{"Eeprom", [](SystemSetting& s) { s.eepromPresent = true; }, 3, 0x80}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SystemSetting, EveryByteSurvivesTheRoundTrip) {
    for (int value = 0; value < 256; ++value) {
        const auto byte = static_cast<std::uint8_t>(value);
        const std::array<std::uint8_t, 4> bytes = {byte, static_cast<std::uint8_t>(~byte),
                                                   static_cast<std::uint8_t>(byte ^ 0x5A), byte};
        EXPECT_EQ(SystemSetting::FromBytes(bytes).ToBytes(), bytes) << value;
    }
}

}  // namespace
}  // namespace product_test
