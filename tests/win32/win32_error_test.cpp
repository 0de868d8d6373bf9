#include <gtest/gtest.h>

#include <string>

#include "usb/device_backend.h"
#include "usb/win32_error.h"

namespace {

TEST(Win32Error, NothingFailedUntilACallIsNamed) {
    EXPECT_FALSE(usb::Win32Error{}.Failed());
    EXPECT_TRUE((usb::Win32Error{0, "CreateFileA", {}}.Failed()));
}

TEST(Win32Error, TextWithoutASubject) {
    EXPECT_EQ((usb::Win32Error{259, "SetupDiEnumDeviceInterfaces", {}}.ToString()),
              "SetupDiEnumDeviceInterfaces: ERROR_NO_MORE_ITEMS (259)");
}

// What the user reads on Windows names neither udev nor any other system.
TEST(Win32Error, UserMessagesSayWhatToDoOnWindows) {
    EXPECT_EQ(usb::Win32UserMessageFor(usb::OpenStatus::Ok), "");
    const std::string denied = usb::Win32UserMessageFor(usb::OpenStatus::PermissionDenied);
    EXPECT_NE(denied.find("Windows refused access"), std::string::npos);
    EXPECT_EQ(denied.find("udev"), std::string::npos);
    EXPECT_EQ(usb::Win32UserMessageFor(usb::OpenStatus::NoSuchDevice),
              "The device is no longer connected. Plug it in again.");
    EXPECT_EQ(usb::Win32UserMessageFor(usb::OpenStatus::Failed),
              "The device could not be opened. Unplug it and plug it in again.");
}

}  // namespace
