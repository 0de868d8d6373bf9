// The Windows backend over the real Windows calls. Built only for Windows; CI
// runs it under Wine. No USB device is present there, but a display adapter
// and Wine's own HID mouse and keyboard are: enough to prove that the real
// table is wired, that SetupAPI accepts both record sizes and that a control
// call reaches a real driver and comes back with its byte count.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sim/virtual_clock.h"
#include "usb/guid.h"
#include "usb/quorvex_usb.h"
#include "usb/win32_backend.h"

namespace {

// Interface classes that every Windows (and Wine) has members of.
const usb::Guid kDisplayAdapterClass =
    usb::MakeGuid(0x5B45201D, 0xF2F2, 0x4F3B, {0x85, 0xBB, 0x30, 0xFF, 0x1F, 0x95, 0x35, 0x99});
const usb::Guid kHidClass =
    usb::MakeGuid(0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30});

// IOCTL_HID_GET_COLLECTION_INFORMATION and the 12 bytes of its answer:
// descriptor size, polled, reserved, then vendor ID at offset 6 and product
// ID at offset 8.
constexpr std::uint32_t kIoctlHidCollectionInformation = 0xB01A8;
constexpr std::size_t kHidCollectionInformationSize = 12;

std::string IdText(const std::uint8_t* answer) {
    char text[24];
    std::snprintf(text, sizeof text, "vid_%02x%02x&pid_%02x%02x", answer[7], answer[6], answer[9],
                  answer[8]);
    return text;
}

class RealWindows : public ::testing::Test {
protected:
    std::unique_ptr<usb::Win32Backend> backend = usb::MakeWin32Backend();
};

// The path comes out of the detail record, so the detail record's size field
// was accepted too.
TEST_F(RealWindows, FetchesWholePathsOfPresentInterfaces) {
    // Windows always has a desktop and its display adapter. Wine starts its
    // desktop for the first program that asks for it, which a console suite
    // never does, and registers the adapter as the desktop comes up.
    GetDesktopWindow();
    auto paths = backend->ListInterfacePaths(kDisplayAdapterClass);
    for (int attempt = 0; attempt < 50 && paths && paths->empty(); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        paths = backend->ListInterfacePaths(kDisplayAdapterClass);
    }
    ASSERT_TRUE(paths.has_value()) << backend->LastError().ToString();
    ASSERT_FALSE(paths->empty()) << backend->LastError().ToString();
    for (const std::string& path : *paths) {
        EXPECT_EQ(path.rfind("\\\\?\\", 0), 0u) << path;
        EXPECT_EQ(path.substr(path.size() - 38), "{5b45201d-f2f2-4f3b-85bb-30ff1f953599}") << path;
    }
}

// A HID device that this user may open answers a standard request with its
// identity; a request its driver does not know fails with the code kept.
TEST_F(RealWindows, CarriesAControlCallToARealDriver) {
    const auto paths = backend->ListInterfacePaths(kHidClass);
    ASSERT_TRUE(paths.has_value()) << backend->LastError().ToString();
    for (const std::string& path : *paths) {
        const auto opened = backend->Open(path);
        if (opened.status != usb::OpenStatus::Ok)
            continue;  // Windows keeps keyboards and mice to itself
        std::uint8_t answer[kHidCollectionInformationSize] = {};
        const auto info =
            backend->Control(opened.handle, kIoctlHidCollectionInformation, {}, answer);
        EXPECT_TRUE(info.ok) << info.error.ToString();
        EXPECT_EQ(info.bytesReturned, kHidCollectionInformationSize);
        EXPECT_NE(path.find(IdText(answer)), std::string::npos) << path;

        const std::vector<std::uint8_t> query(24, 0);
        const auto refused = backend->Control(opened.handle, 0x2F0003, query, {});
        EXPECT_FALSE(refused.ok);
        EXPECT_NE(refused.error.code, 0u);
        EXPECT_EQ(refused.error.call, "DeviceIoControl");
        backend->Close(opened.handle);
        return;
    }
    GTEST_SKIP() << "no HID device that this user may open";
}

// Every path Windows reports is a device path; with no device the list is
// empty, and in neither case did a call fail (a wrong record size would make
// SetupDiEnumDeviceInterfaces fail at index 0).
TEST_F(RealWindows, EnumeratesBothInterfaceClassesCleanly) {
    for (const usb::Guid& cls : {usb::kAudioDriverInterfaceClass, usb::kUsbDeviceInterfaceClass}) {
        const auto paths = backend->ListInterfacePaths(cls);
        ASSERT_TRUE(paths.has_value()) << backend->LastError().ToString();
        for (const std::string& path : *paths)
            EXPECT_EQ(path.rfind("\\\\?\\", 0), 0u) << path;
        EXPECT_FALSE(backend->LastError().Failed()) << backend->LastError().ToString();
    }
}

TEST_F(RealWindows, OpeningAnAbsentDeviceSaysItIsNotThere) {
    const std::string path =
        "\\\\?\\usb#vid_2fc6&pid_f066#absent#" + usb::GuidToString(usb::kAudioDriverInterfaceClass);
    const auto opened = backend->Open(path);
    EXPECT_EQ(opened.status, usb::OpenStatus::NoSuchDevice) << backend->LastError().ToString();
    EXPECT_EQ(backend->LastError().call, "CreateFileA");
}

TEST_F(RealWindows, TheLinkFindsNoProductWhereThereIsNone) {
    sim::VirtualClock clock;
    usb::QuorvexUsb link(*backend, clock);
    link.SetAudioDriver(true);
    link.SetMatchString("vid_2fc6&pid_f066");
    const auto paths = backend->ListInterfacePaths(usb::kAudioDriverInterfaceClass);
    ASSERT_TRUE(paths.has_value());
    bool present = false;
    for (const std::string& path : *paths)
        present = present || path.find("vid_2fc6&pid_f066") != std::string::npos;
    if (present)
        GTEST_SKIP() << "a Pale Reed F066 is plugged in";
    EXPECT_FALSE(link.FindDevice());
    EXPECT_FALSE(link.CheckDevice());
    EXPECT_FALSE(link.IsFound());
}

}  // namespace
