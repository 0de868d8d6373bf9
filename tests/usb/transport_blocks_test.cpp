#include "usb/transport_blocks.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "byte_helpers.h"
#include "usb/guid.h"

namespace {

using usb::ControlSetup;
using usb::DecodeControlCall;
using usb::DecodedCall;
using usb_test::Bytes;
using usb_test::Join;
using usb_test::kPropertySetBytes;
using usb_test::Zeros;

Bytes AudioBlock(std::uint8_t type, std::uint8_t code, std::uint16_t value, std::uint16_t index,
                 const Bytes& data) {
    return usb::EncodeAudioBlock(type, code, value, index, data);
}

Bytes ToBytes(std::span<const std::uint8_t> s) {
    return Bytes(s.begin(), s.end());
}

TEST(PropertySetGuid, UsesTheStandardGuidByteLayout) {
    EXPECT_EQ(ToBytes(usb::kVendorRequestPropertySet.bytes), kPropertySetBytes);
    EXPECT_EQ(usb::GuidToString(usb::kVendorRequestPropertySet),
              "{F6D7C04D-C5C3-4181-9ED7-504ABE0CDDFF}");
    EXPECT_EQ(usb::GuidToString(usb::kAudioDriverInterfaceClass),
              "{50894FA4-9206-4A91-8728-CF6F268F271D}");
    EXPECT_EQ(usb::GuidToString(usb::kUsbDeviceInterfaceClass),
              "{A5DCBF10-6530-11D2-901F-00C04FB951ED}");
}

TEST(AudioBlock, WithoutDataIs48BytesAndCarriesLengthZero) {
    const Bytes block = AudioBlock(0x43, 0x90, 0x0000, 0x0000, {});
    const Bytes expected = Join({kPropertySetBytes,
                                 {7, 0, 0, 0},
                                 {2, 0, 0, 0},
                                 {0x20, 0x90},
                                 {0, 0},
                                 {0, 0},
                                 Zeros(6),
                                 {0, 0, 0, 0},
                                 Zeros(8)});
    EXPECT_EQ(block, expected);
}

TEST(AudioBlock, OneByteInCarriesTheCallersByteAtOffset40) {
    const Bytes block = AudioBlock(0xC3, 0x91, 0x1234, 0x00A6, {0x5A});
    const Bytes expected = Join({kPropertySetBytes,
                                 {7, 0, 0, 0},
                                 {1, 0, 0, 0},
                                 {0x20, 0x91},
                                 {0x34, 0x12},
                                 {0xA6, 0x00},
                                 Zeros(6),
                                 {1, 0, 0, 0},
                                 {0x5A},
                                 Zeros(7)});
    EXPECT_EQ(block, expected);
}

TEST(AudioBlock, FourByteOutIs51BytesWithDataAt40To43) {
    const Bytes block = AudioBlock(0x43, 0x92, 0xBEEF, 0x0102, {0x11, 0x22, 0x33, 0x44});
    const Bytes expected = Join({kPropertySetBytes,
                                 {7, 0, 0, 0},
                                 {2, 0, 0, 0},
                                 {0x20, 0x92},
                                 {0xEF, 0xBE},
                                 {0x02, 0x01},
                                 Zeros(6),
                                 {4, 0, 0, 0},
                                 {0x11, 0x22, 0x33, 0x44},
                                 Zeros(7)});
    EXPECT_EQ(block, expected);
}

TEST(AudioBlock, LengthFieldIsLittleEndianThirtyTwoBits) {
    const Bytes block = AudioBlock(0x43, 0x01, 0, 0, Bytes(0x0123, 0xAA));
    ASSERT_EQ(block.size(), 0x0123u + 47);
    EXPECT_EQ(Bytes(block.begin() + 36, block.begin() + 40), (Bytes{0x23, 0x01, 0, 0}));
    EXPECT_EQ(Bytes(block.end() - 7, block.end()), Zeros(7));
}

TEST(AudioBlock, InAndOutDifferOnlyInTheFlags) {
    const Bytes data = {1, 2, 3};
    Bytes out = AudioBlock(0x43, 0x90, 0x5555, 0xAAAA, data);
    Bytes in = AudioBlock(0xC3, 0x90, 0x5555, 0xAAAA, data);
    ASSERT_EQ(out.size(), in.size());
    EXPECT_EQ(Bytes(out.begin() + 20, out.begin() + 24), (Bytes{2, 0, 0, 0}));
    EXPECT_EQ(Bytes(in.begin() + 20, in.begin() + 24), (Bytes{1, 0, 0, 0}));
    std::fill(out.begin() + 20, out.begin() + 24, 0);
    std::fill(in.begin() + 20, in.begin() + 24, 0);
    EXPECT_EQ(out, in);
}

TEST(AudioBlock, OnlyBit7OfTheRequestTypeIsCarried) {
    EXPECT_EQ(AudioBlock(0x80, 0x10, 1, 2, {9}), AudioBlock(0xC3, 0x10, 1, 2, {9}));
    EXPECT_EQ(AudioBlock(0x00, 0x10, 1, 2, {9}), AudioBlock(0x43, 0x10, 1, 2, {9}));
}

TEST(VendorBlock, IsASetupPacketAtOffset4WithLengthZero) {
    const usb::VendorBlock block = usb::EncodeVendorBlock(0xC3, 0x91, 0x1234, 0x00A6);
    const Bytes expected =
        Join({Zeros(4), {0xC3, 0x91, 0x34, 0x12, 0xA6, 0x00}, {0, 0}, Zeros(12)});
    EXPECT_EQ(ToBytes(block), expected);
}

TEST(VendorBlock, PassesTheWholeRequestTypeByte) {
    EXPECT_EQ(usb::EncodeVendorBlock(0x43, 0, 0, 0)[4], 0x43);
    EXPECT_EQ(usb::EncodeVendorBlock(0xA1, 0, 0, 0)[4], 0xA1);
}

TEST(ControlCode, FollowsThePathAndBit7) {
    EXPECT_EQ(usb::ControlCodeFor(false, 0xC3), 0x22242Eu);
    EXPECT_EQ(usb::ControlCodeFor(false, 0x80), 0x22242Eu);
    EXPECT_EQ(usb::ControlCodeFor(false, 0x43), 0x222429u);
    EXPECT_EQ(usb::ControlCodeFor(false, 0x7F), 0x222429u);
    EXPECT_EQ(usb::ControlCodeFor(true, 0xC3), 0x2F0003u);
    EXPECT_EQ(usb::ControlCodeFor(true, 0x43), 0x2F0003u);
}

TEST(ProbeBlocks, SupportQueryIsABareHeaderOfPropertyZero) {
    const Bytes expected = Join({kPropertySetBytes, {0, 0, 0, 0}, {0x00, 0x01, 0, 0}});
    EXPECT_EQ(ToBytes(usb::EncodeSupportQuery()), expected);
}

TEST(ProbeBlocks, DescriptorProbeAsksForTheDeviceDescriptorWithIndex1AndLength18) {
    const Bytes expected =
        Join({Zeros(4), {0x80, 0x06, 0x00, 0x01, 0x01, 0x00, 0x12, 0x00}, Zeros(12)});
    EXPECT_EQ(ToBytes(usb::EncodeDescriptorProbe()), expected);
    EXPECT_EQ(usb::kDeviceDescriptorSize, 18u);
}

// Encoding and decoding must agree, or a backend would run a different request
// from the one the link asked for.
TEST(DecodeRoundTrip, AudioInGivesTheSetupAndTheCallersBuffer) {
    const Bytes block = AudioBlock(0xC3, 0x91, 0x1234, 0x00A6, {0, 0, 0});
    Bytes answer(3, 0);
    const auto call = DecodeControlCall(usb::kIoctlKsProperty, block, answer);
    ASSERT_TRUE(call);
    EXPECT_EQ(call->kind, DecodedCall::Kind::ControlTransfer);
    EXPECT_EQ(call->setup, (ControlSetup{0xC3, 0x91, 0x1234, 0x00A6, 3}));
    EXPECT_EQ(call->inBuffer.data(), answer.data());
    EXPECT_EQ(call->inBuffer.size(), 3u);
    EXPECT_TRUE(call->outData.empty());
}

TEST(DecodeRoundTrip, AudioOutTakesTheDataFromTheBlock) {
    Bytes data = {0xDE, 0xAD, 0xBE, 0xEF};
    const Bytes block = AudioBlock(0x43, 0x90, 0x0001, 0x0002, data);
    const auto call = DecodeControlCall(usb::kIoctlKsProperty, block, data);
    ASSERT_TRUE(call);
    EXPECT_EQ(call->setup, (ControlSetup{0x43, 0x90, 0x0001, 0x0002, 4}));
    EXPECT_EQ(ToBytes(call->outData), data);
    EXPECT_EQ(call->outData.data(), block.data() + 40);
    EXPECT_TRUE(call->inBuffer.empty());
}

TEST(DecodeRoundTrip, AudioWithoutData) {
    const Bytes block = AudioBlock(0xC3, 0x05, 0xFFFF, 0x8000, {});
    const auto call = DecodeControlCall(usb::kIoctlKsProperty, block, {});
    ASSERT_TRUE(call);
    EXPECT_EQ(call->setup, (ControlSetup{0xC3, 0x05, 0xFFFF, 0x8000, 0}));
}

TEST(DecodeRoundTrip, VendorInTakesTheLengthFromTheOutputBuffer) {
    const usb::VendorBlock block = usb::EncodeVendorBlock(0xC3, 0x91, 0x1234, 0x00A6);
    Bytes answer(64, 0);
    const auto call = DecodeControlCall(usb::kIoctlVendorIn, block, answer);
    ASSERT_TRUE(call);
    EXPECT_EQ(call->setup, (ControlSetup{0xC3, 0x91, 0x1234, 0x00A6, 64}));
    EXPECT_EQ(call->inBuffer.data(), answer.data());
    EXPECT_EQ(call->inBuffer.size(), 64u);
}

TEST(DecodeRoundTrip, VendorOutSendsTheOutputBuffer) {
    const usb::VendorBlock block = usb::EncodeVendorBlock(0x43, 0x90, 0x0000, 0x0000);
    Bytes data = {0x0D};
    const auto call = DecodeControlCall(usb::kIoctlVendorOut, block, data);
    ASSERT_TRUE(call);
    EXPECT_EQ(call->setup, (ControlSetup{0x43, 0x90, 0, 0, 1}));
    EXPECT_EQ(ToBytes(call->outData), data);
}

TEST(DecodeRoundTrip, ProbesDecodeToWhatTheBackendsMustRun) {
    const usb::KsHeader query = usb::EncodeSupportQuery();
    const auto support = DecodeControlCall(usb::kIoctlKsProperty, query, {});
    ASSERT_TRUE(support);
    EXPECT_EQ(support->kind, DecodedCall::Kind::SupportQuery);

    const usb::VendorBlock probe = usb::EncodeDescriptorProbe();
    Bytes descriptor(18, 0);
    const auto get = DecodeControlCall(usb::kIoctlVendorIn, probe, descriptor);
    ASSERT_TRUE(get);
    EXPECT_EQ(get->kind, DecodedCall::Kind::ControlTransfer);
    EXPECT_EQ(get->setup, (ControlSetup{0x80, 0x06, 0x0100, 0x0001, 18}));
}

TEST(DecodeRejects, CallsTheDriversWouldRefuse) {
    Bytes buffer(8, 0);
    const Bytes audio = AudioBlock(0xC3, 0x91, 0, 0, Bytes(8, 0));
    const usb::VendorBlock in = usb::EncodeVendorBlock(0xC3, 0x91, 0, 0);
    const usb::VendorBlock out = usb::EncodeVendorBlock(0x43, 0x90, 0, 0);

    EXPECT_FALSE(DecodeControlCall(0x220000, in, buffer)) << "unknown code";
    EXPECT_FALSE(DecodeControlCall(usb::kIoctlVendorOut, in, buffer)) << "IN block, OUT code";
    EXPECT_FALSE(DecodeControlCall(usb::kIoctlVendorIn, out, buffer)) << "OUT block, IN code";
    EXPECT_FALSE(DecodeControlCall(usb::kIoctlVendorIn, std::span(in).first(23), buffer));
    EXPECT_FALSE(DecodeControlCall(usb::kIoctlKsProperty, std::span(audio).first(23), buffer));
    EXPECT_FALSE(DecodeControlCall(usb::kIoctlKsProperty, std::span(audio).first(50), buffer))
        << "block shorter than its length field says";
    EXPECT_FALSE(DecodeControlCall(usb::kIoctlKsProperty, audio, std::span(buffer).first(7)))
        << "output smaller than the length";
}

TEST(DecodeRejects, AudioBlocksWithForeignHeaderFields) {
    Bytes buffer(1, 0);
    const Bytes good = AudioBlock(0xC3, 0x91, 0, 0, {0});
    auto with = [&](std::size_t offset, std::uint8_t byte) {
        Bytes b = good;
        b[offset] = byte;
        return b;
    };
    ASSERT_TRUE(DecodeControlCall(usb::kIoctlKsProperty, good, buffer));
    EXPECT_FALSE(DecodeControlCall(usb::kIoctlKsProperty, with(0, 0x4E), buffer)) << "other set";
    EXPECT_FALSE(DecodeControlCall(usb::kIoctlKsProperty, with(16, 6), buffer)) << "property 6";
    EXPECT_FALSE(DecodeControlCall(usb::kIoctlKsProperty, with(20, 3), buffer)) << "flags 3";
    EXPECT_FALSE(DecodeControlCall(usb::kIoctlKsProperty, with(24, 0x21), buffer)) << "marker";
}

}  // namespace
