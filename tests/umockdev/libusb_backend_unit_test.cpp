#include <gtest/gtest.h>
#include <libusb.h>

#include <array>
#include <set>
#include <string>

#include "usb/libusb_error.h"
#include "usb/libusb_interfaces.h"

namespace {

using usb::OpenStatus;

TEST(LibusbLocation, IsTheBusAndThePortChain) {
    const std::array<std::uint8_t, 3> chain = {2, 3, 1};
    const std::array<std::uint8_t, 7> deepest = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(usb::libusb::FormatLocation(1, std::span(chain).first(1)), "1-2");
    EXPECT_EQ(usb::libusb::FormatLocation(1, std::span(chain).first(2)), "1-2.3");
    EXPECT_EQ(usb::libusb::FormatLocation(3, chain), "3-2.3.1");
    EXPECT_EQ(usb::libusb::FormatLocation(255, deepest), "255-1.2.3.4.5.6.7");
    EXPECT_EQ(usb::libusb::FormatLocation(12, {}), "12-0") << "a root hub";
}

TEST(OpenStatusFromLibusb, TellsPermissionFromAbsence) {
    EXPECT_EQ(usb::OpenStatusFromLibusb(LIBUSB_SUCCESS), OpenStatus::Ok);
    EXPECT_EQ(usb::OpenStatusFromLibusb(LIBUSB_ERROR_ACCESS), OpenStatus::PermissionDenied);
    EXPECT_EQ(usb::OpenStatusFromLibusb(LIBUSB_ERROR_NO_DEVICE), OpenStatus::NoSuchDevice);
    EXPECT_EQ(usb::OpenStatusFromLibusb(LIBUSB_ERROR_NOT_FOUND), OpenStatus::NoSuchDevice);
    for (int code : {LIBUSB_ERROR_IO, LIBUSB_ERROR_BUSY, LIBUSB_ERROR_NO_MEM, LIBUSB_ERROR_OTHER,
                     LIBUSB_ERROR_NOT_SUPPORTED}) {
        EXPECT_EQ(usb::OpenStatusFromLibusb(code), OpenStatus::Failed) << code;
    }
}

TEST(LibusbUserMessage, PointsAPermissionProblemAtTheUdevRule) {
    const std::string denied = usb::UserMessageFor(OpenStatus::PermissionDenied);
    EXPECT_NE(denied.find("70-palereed.rules"), std::string::npos) << denied;
    EXPECT_NE(denied.find("/etc/udev/rules.d/"), std::string::npos) << denied;
    EXPECT_EQ(usb::UserMessageFor(OpenStatus::Ok), "");
    const std::set<std::string> distinct = {denied, usb::UserMessageFor(OpenStatus::NoSuchDevice),
                                            usb::UserMessageFor(OpenStatus::Failed)};
    EXPECT_EQ(distinct.size(), 3u);
    EXPECT_EQ(usb::UserMessageFor(OpenStatus::NoSuchDevice).find("udev"), std::string::npos);
}

TEST(LibusbError, KeepsTheCallTheSubjectAndLibusbsCode) {
    const usb::LibusbError denied{LIBUSB_ERROR_ACCESS, "libusb_open", "1-2.3"};
    EXPECT_TRUE(denied.Failed());
    EXPECT_EQ(denied.ToString(), "libusb_open 1-2.3: LIBUSB_ERROR_ACCESS (-3)");
    const usb::LibusbError init{LIBUSB_ERROR_OTHER, "libusb_init", {}};
    EXPECT_EQ(init.ToString(), "libusb_init: LIBUSB_ERROR_OTHER (-99)");
    EXPECT_FALSE(usb::LibusbError{}.Failed());
}

}  // namespace
