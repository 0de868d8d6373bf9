#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_windows.h"
#include "usb/guid.h"
#include "usb/interface_path.h"
#include "usb/request_trace.h"
#include "usb/win32_backend.h"

namespace win32_test {

using Lines = std::vector<std::string>;

inline std::string ProductPath(const std::string& location) {
    return usb::MakeInterfacePath(0x2fc6, 0xf066, location, usb::kAudioDriverInterfaceClass);
}

inline std::string IspPath(const std::string& location) {
    return usb::MakeInterfacePath(0x2fc6, 0x6000, location, usb::kUsbDeviceInterfaceClass);
}

// The Windows backend over a fake Windows; the error log is kept.
class Win32BackendTest : public ::testing::Test {
protected:
    Win32BackendTest() { backend.SetErrorLog(&log); }

    // Opens `path`, which must succeed, and forgets the calls so far.
    usb::DeviceBackend::HandleId OpenAndClear(const std::string& path) {
        const auto opened = backend.Open(path);
        EXPECT_EQ(opened.status, usb::OpenStatus::Ok);
        windows.ClearCalls();
        return opened.handle;
    }

    FakeWindows windows;
    usb::Win32Backend backend{windows.Api()};
    usb::MemoryTrace log;
};

}  // namespace win32_test
