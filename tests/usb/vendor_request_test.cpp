#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "byte_helpers.h"
#include "link_fixture.h"
#include "usb/transport_blocks.h"

namespace {

using testing_support::FakeBackend;
using usb_test::Bytes;
using usb_test::Join;
using usb_test::kPropertySetBytes;
using usb_test::LinkTest;
using usb_test::Zeros;

std::uint32_t Le32At(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

using VendorRequestAudioPath = LinkTest;

TEST_F(VendorRequestAudioPath, LengthZeroSendsA48ByteBlockAndNoOutput) {
    OpenOn(true);
    ASSERT_TRUE(link.VendorRequest(0x43, 0x90, 0x0000, 0x0000, nullptr, 0));
    EXPECT_EQ(LastCall().controlCode, 0x2F0003u);
    ASSERT_EQ(LastCall().input.size(), 48u);
    EXPECT_EQ(Le32At(LastCall().input, 36), 0u);
    EXPECT_EQ(LastCall().outputSize, 0u);
}

TEST_F(VendorRequestAudioPath, OneByteInCopiesTheCallersByteAndReturnsTheAnswer) {
    OpenOn(true);
    backend.SetHandler([](const usb::DecodedCall& call) {
        call.inBuffer[0] = 0xA5;
        return true;
    });
    std::uint8_t byte = 0x5A;
    ASSERT_TRUE(link.VendorRequest(0xC3, 0x91, 0x0000, 0x00A6, &byte, 1));
    const Bytes expected = Join({kPropertySetBytes,
                                 {7, 0, 0, 0},
                                 {1, 0, 0, 0},
                                 {0x20, 0x91},
                                 {0, 0},
                                 {0xA6, 0},
                                 Zeros(6),
                                 {1, 0, 0, 0},
                                 {0x5A},
                                 Zeros(7)});
    EXPECT_EQ(LastCall().input, expected);
    EXPECT_EQ(LastCall().outputSize, 1u);
    EXPECT_EQ(byte, 0xA5);
}

TEST_F(VendorRequestAudioPath, FourByteOutSends51BytesWithTheData) {
    OpenOn(true);
    std::uint8_t data[4] = {0x11, 0x22, 0x33, 0x44};
    ASSERT_TRUE(link.VendorRequest(0x43, 0x92, 0x0001, 0x0002, data, 4));
    const Bytes& block = LastCall().input;
    ASSERT_EQ(block.size(), 51u);
    EXPECT_EQ(Le32At(block, 20), 2u);
    EXPECT_EQ(Bytes(block.begin() + 40, block.begin() + 44), (Bytes{0x11, 0x22, 0x33, 0x44}));
    EXPECT_EQ(Bytes(block.begin() + 44, block.end()), Zeros(7));
    EXPECT_EQ(LastCall().outputSize, 4u);
}

TEST_F(VendorRequestAudioPath, UsesTheOpenHandle) {
    OpenOn(true);
    std::uint8_t byte = 0;
    ASSERT_TRUE(link.VendorRequest(0xC3, 0x91, 0, 0, &byte, 1));
    ASSERT_EQ(backend.OpenHandleCount(), 1);
    EXPECT_NE(LastCall().handle, 0u);
    EXPECT_EQ(backend.OpenedPaths().back(), usb_test::kProductPath);
}

using VendorRequestVendorPath = LinkTest;

TEST_F(VendorRequestVendorPath, DirectionChoosesTheControlCode) {
    OpenOn(false);
    std::uint8_t byte = 0;
    ASSERT_TRUE(link.VendorRequest(0xC3, 0x91, 0, 0, &byte, 1));
    EXPECT_EQ(LastCall().controlCode, 0x22242Eu);
    ASSERT_TRUE(link.VendorRequest(0x43, 0x90, 0, 0, &byte, 1));
    EXPECT_EQ(LastCall().controlCode, 0x222429u);
}

TEST_F(VendorRequestVendorPath, LengthTravelsOnlyAsTheOutputSize) {
    OpenOn(false);
    for (std::uint32_t length : {0u, 1u, 64u, 300u}) {
        Bytes data(length, 0x77);
        for (std::uint8_t type : {0x43, 0xC3}) {
            ASSERT_TRUE(link.VendorRequest(type, 0x90, 0xABCD, 0x1234, data.data(), length));
            const Bytes expected =
                Join({Zeros(4), {type, 0x90, 0xCD, 0xAB, 0x34, 0x12}, {0, 0}, Zeros(12)});
            EXPECT_EQ(LastCall().input, expected) << "length " << length;
            EXPECT_EQ(LastCall().outputSize, length);
        }
    }
}

TEST_F(VendorRequestVendorPath, OutDataTravelsInTheOutputBuffer) {
    OpenOn(false);
    std::uint8_t data[3] = {0xC0, 0xFF, 0xEE};
    Bytes sent;
    backend.SetHandler([&](const usb::DecodedCall& call) {
        sent.assign(call.outData.begin(), call.outData.end());
        return true;
    });
    ASSERT_TRUE(link.VendorRequest(0x43, 0x90, 0, 0, data, 3));
    EXPECT_EQ(LastCall().outputBefore, (Bytes{0xC0, 0xFF, 0xEE}));
    EXPECT_EQ(sent, (Bytes{0xC0, 0xFF, 0xEE}));
}

// Both paths: what the link reports back to the chip commands.
class BothPaths : public LinkTest, public ::testing::WithParamInterface<bool> {};

TEST_P(BothPaths, FailureOfTheDriverCallIsReportedWithItsCause) {
    OpenOn(GetParam());
    backend.SetHandler([](const usb::DecodedCall&) { return false; });
    backend.SetFailure(-7, "libusb_control_transfer: LIBUSB_ERROR_TIMEOUT");
    std::uint8_t byte = 0;
    EXPECT_FALSE(link.VendorRequest(0xC3, 0x91, 0, 0, &byte, 1));
    EXPECT_FALSE(link.VendorRequest(0x43, 0x90, 0, 0, &byte, 1));
    EXPECT_TRUE(link.HasOpenHandle()) << "a failed request leaves the link as it was";
    EXPECT_TRUE(link.IsFound());
    EXPECT_EQ(trace.Lines().back(),
              "43 90 0000 0000 1 00 fail (libusb_control_transfer: LIBUSB_ERROR_TIMEOUT)");
    EXPECT_EQ(link.LastRequestError(), "libusb_control_transfer: LIBUSB_ERROR_TIMEOUT");
}

// The tail of a short answer holds whatever the buffer held before: taken
// for the device's, it once let a verify pass over bytes never read.
TEST_P(BothPaths, ShortInAnswerIsAFailedRequest) {
    OpenOn(GetParam());
    backend.SetHandler([](const usb::DecodedCall& call) {
        if (!call.inBuffer.empty())
            call.inBuffer[0] = 0x01;
        return true;
    });
    backend.CutInReplies(1);
    std::uint8_t buffer[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_FALSE(link.VendorRequest(0xC3, 0x91, 0, 0, buffer, 4));
    EXPECT_EQ(trace.Lines().back(), "c3 91 0000 0000 4 01eeeeee fail (short reply: 1 of 4 bytes)");
    EXPECT_EQ(link.LastRequestError(), "short reply: 1 of 4 bytes");
    EXPECT_TRUE(link.VendorRequest(0x43, 0x90, 0, 0, buffer, 4)) << "OUT requests are not cut";
}

TEST_P(BothPaths, NullBufferWithALengthSendsNothing) {
    OpenOn(GetParam());
    const std::size_t before = backend.Calls().size();
    EXPECT_FALSE(link.VendorRequest(0xC3, 0x91, 0, 0, nullptr, 4));
    EXPECT_EQ(backend.Calls().size(), before);
}

INSTANTIATE_TEST_SUITE_P(VendorRequest, BothPaths, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Audio" : "Vendor"; });

// Without an open handle nothing may reach the backend, whatever the request.
class NoOpenHandle
    : public LinkTest,
      public ::testing::WithParamInterface<std::tuple<bool, std::uint8_t, std::uint32_t>> {};

TEST_P(NoOpenHandle, FailsAndSendsNothing) {
    const auto [audioPath, type, length] = GetParam();
    link.SetAudioDriver(audioPath);
    link.SetMatchString(audioPath ? "vid_2fc6&pid_f066" : "vid_2fc6&pid_6000");
    ASSERT_TRUE(link.FindDevice());
    const std::size_t probes = backend.Calls().size();
    Bytes buffer(length, 0x33);
    EXPECT_FALSE(link.VendorRequest(type, 0x90, 0, 0, buffer.data(), length));
    EXPECT_EQ(backend.Calls().size(), probes);
    EXPECT_EQ(buffer, Bytes(length, 0x33));
}

TEST_P(NoOpenHandle, FailsAfterCloseToo) {
    const auto [audioPath, type, length] = GetParam();
    OpenOn(audioPath);
    link.CloseDevice();
    Bytes buffer(length, 0);
    const std::size_t before = backend.Calls().size();
    EXPECT_FALSE(link.VendorRequest(type, 0x90, 0, 0, buffer.data(), length));
    EXPECT_EQ(backend.Calls().size(), before);
}

std::string NoOpenHandleName(
    const ::testing::TestParamInfo<std::tuple<bool, std::uint8_t, std::uint32_t>>& info) {
    const auto [audioPath, type, length] = info.param;
    return std::string(audioPath ? "Audio" : "Vendor") + (type == 0x43 ? "Out" : "In") +
           std::to_string(length);
}

INSTANTIATE_TEST_SUITE_P(
    VendorRequest, NoOpenHandle,
    ::testing::Combine(::testing::Bool(), ::testing::Values(std::uint8_t{0x43}, std::uint8_t{0xC3}),
                       ::testing::Values(0u, 1u, 4u, 256u)),
    NoOpenHandleName);

}  // namespace
