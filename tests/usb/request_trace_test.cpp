#include "usb/request_trace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "byte_helpers.h"
#include "link_fixture.h"

namespace {

using usb::FormatRequestLine;
using usb_test::Bytes;
using usb_test::LinkTest;
using Lines = std::vector<std::string>;

TEST(RequestLine, HasTheFixedLowerCaseFormat) {
    EXPECT_EQ(FormatRequestLine(0x43, 0x90, 0x0000, 0x0000, Bytes{0x0D}, true),
              "43 90 0000 0000 1 0d ok");
    EXPECT_EQ(FormatRequestLine(0xC3, 0x91, 0x0000, 0x00A6, Bytes{0x05}, true),
              "c3 91 0000 00a6 1 05 ok");
    EXPECT_EQ(FormatRequestLine(0xC3, 0xAB, 0xBEEF, 0xF00D, Bytes{0x0A, 0xFF, 0x00}, false),
              "c3 ab beef f00d 3 0aff00 fail");
}

TEST(RequestLine, WritesADashForNoData) {
    EXPECT_EQ(FormatRequestLine(0x43, 0x05, 0x0001, 0x0002, {}, true), "43 05 0001 0002 0 - ok");
    EXPECT_EQ(FormatRequestLine(0x00, 0x00, 0, 0, {}, false), "00 00 0000 0000 0 - fail");
}

using LinkTrace = LinkTest;

TEST_F(LinkTrace, RecordsProbesOpensRequestsPausesAndCloses) {
    backend.SetHandler([](const usb::DecodedCall& call) {
        if (!call.inBuffer.empty())
            call.inBuffer[0] = 0x05;
        return true;
    });
    link.SetAudioDriver(true);
    link.SetMatchString("vid_2fc6&pid_f066");
    ASSERT_TRUE(link.FindDevice());
    ASSERT_TRUE(link.OpenDevice());
    std::uint8_t out = 0x0D;
    std::uint8_t in = 0xEE;
    ASSERT_TRUE(link.VendorRequest(0x43, 0x90, 0x0000, 0x0000, &out, 1));
    ASSERT_TRUE(link.VendorRequest(0xC3, 0x91, 0x0000, 0x00A6, &in, 1));
    ASSERT_TRUE(link.VendorRequest(0x43, 0x92, 0x0010, 0x0000, nullptr, 0));
    link.SleepMs(1);
    link.CloseDevice();
    EXPECT_EQ(trace.Lines(),
              (Lines{"probe ok", "open ok", "43 90 0000 0000 1 0d ok", "c3 91 0000 00a6 1 05 ok",
                     "43 92 0010 0000 0 - ok", "sleep 1", "close"}));
    EXPECT_EQ(clock.NowUs(), 1000u) << "the pause runs on the link's clock";
}

TEST_F(LinkTrace, RecordsFailures) {
    link.SetAudioDriver(true);
    link.SetMatchString("vid_2fc6&pid_f066");
    backend.SetHandler([](const usb::DecodedCall&) { return false; });
    EXPECT_FALSE(link.FindDevice());
    std::uint8_t byte = 0x42;
    EXPECT_FALSE(link.VendorRequest(0x43, 0x90, 0, 0, &byte, 1)) << "no handle yet";
    backend.SetOpenStatus(usb::OpenStatus::NoSuchDevice);
    EXPECT_FALSE(link.OpenDevice());
    EXPECT_EQ(trace.Lines(), (Lines{"probe fail", "43 90 0000 0000 1 42 fail", "open fail"}));
}

TEST_F(LinkTrace, StaysQuietWithoutASink) {
    link.SetTrace(nullptr);
    link.SetMatchString("vid_2fc6&pid_6000");
    ASSERT_TRUE(link.FindDevice());
    ASSERT_TRUE(link.OpenDevice());
    link.SleepMs(5);
    link.CloseDevice();
    EXPECT_TRUE(trace.Lines().empty());
}

TEST(FileTrace, WritesItsFirstLineThenOneLineEach) {
    const std::string path = ::testing::TempDir() + "usb_trace_test.txt";
    {
        usb::FileTrace file(path, "palereed-flash 1.0.0");
        ASSERT_EQ(file.Error(), "");
        file.Line("open ok");
        file.Line("43 90 0000 0000 1 0d ok");
    }
    std::ifstream in(path);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(all, "palereed-flash 1.0.0\nopen ok\n43 90 0000 0000 1 0d ok\n");
    std::remove(path.c_str());
}

}  // namespace
