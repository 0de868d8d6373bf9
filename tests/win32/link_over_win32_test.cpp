// The device link over the Windows backend over a fake Windows: what the
// drivers would see of a search, a probe and a request.

#include <cstdint>
#include <string>
#include <vector>

#include "backend_rig.h"
#include "sim/virtual_clock.h"
#include "usb/quorvex_usb.h"
#include "usb/request_trace.h"
#include "usb/transport_blocks.h"

namespace win32_test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class LinkOverWin32 : public Win32BackendTest {
protected:
    void LookFor(bool audioPath, const char* match) {
        link.SetAudioDriver(audioPath);
        link.SetMatchString(match);
    }

    // The calls that reached the driver or the file system.
    Lines DeviceCalls() const {
        Lines device;
        for (const std::string& call : windows.Calls()) {
            if (call.rfind("CreateFileA", 0) == 0 || call.rfind("DeviceIoControl", 0) == 0 ||
                call.rfind("CloseHandle", 0) == 0)
                device.push_back(call.substr(0, call.find(" access=")));
        }
        return device;
    }

    sim::VirtualClock clock;
    usb::QuorvexUsb link{backend, clock};
};

TEST_F(LinkOverWin32, APathMatchingTwiceLeavesTheLaterAndProbesBoth) {
    const std::string first = ProductPath("1-1");
    const std::string last = ProductPath("2-4");
    windows.AddInterface(usb::kAudioDriverInterfaceClass, first);
    windows.AddInterface(
        usb::kAudioDriverInterfaceClass,
        usb::MakeInterfacePath(0x2fc6, 0xf067, "1-3", usb::kAudioDriverInterfaceClass));
    windows.AddInterface(usb::kAudioDriverInterfaceClass, last);
    LookFor(true, "vid_2fc6&pid_f066");

    EXPECT_TRUE(link.FindDevice());
    EXPECT_STREQ(link.DevicePath(), last.c_str());
    const std::string probe = " code=0x2f0003 in=24 out=0 returned=asked overlapped=null";
    EXPECT_EQ(DeviceCalls(),
              (Lines{"CreateFileA " + first, "DeviceIoControl 0x101" + probe, "CloseHandle 0x101",
                     "CreateFileA " + last, "DeviceIoControl 0x102" + probe, "CloseHandle 0x102"}));
    EXPECT_EQ(windows.OpenFiles(), 0);
}

TEST_F(LinkOverWin32, TheVendorPathProbeAsksForTheDeviceDescriptor) {
    windows.AddInterface(usb::kUsbDeviceInterfaceClass, IspPath("1-4"));
    Bytes probe;
    windows.SetDriver([&](FakeWindows::IoCall& call) {
        probe = call.input;
        return call.output.size() == usb::kDeviceDescriptorSize;
    });
    LookFor(false, "vid_2fc6&pid_6000");
    EXPECT_TRUE(link.FindDevice());
    const usb::VendorBlock expected = usb::EncodeDescriptorProbe();
    EXPECT_EQ(probe, Bytes(expected.begin(), expected.end()));
}

TEST_F(LinkOverWin32, AnOpenRefusedByWindowsReachesTheLinkAsPermission) {
    windows.AddInterface(usb::kAudioDriverInterfaceClass, ProductPath("1-1"));
    windows.RefuseOpen(ProductPath("1-1"), usb::win32::kErrorAccessDenied);
    LookFor(true, "vid_2fc6&pid_f066");
    EXPECT_FALSE(link.FindDevice());
    EXPECT_TRUE(link.IsFound());
    EXPECT_EQ(link.LastOpenStatus(), usb::OpenStatus::PermissionDenied);
    EXPECT_FALSE(link.OpenDevice());
    EXPECT_EQ(link.LastOpenStatus(), usb::OpenStatus::PermissionDenied);
}

TEST_F(LinkOverWin32, AnUnpluggedDeviceReachesTheLinkAsGone) {
    windows.AddInterface(usb::kAudioDriverInterfaceClass, ProductPath("1-1"));
    LookFor(true, "vid_2fc6&pid_f066");
    ASSERT_TRUE(link.FindDevice());
    windows.RefuseOpen(ProductPath("1-1"), usb::win32::kErrorFileNotFound);
    EXPECT_FALSE(link.OpenDevice());
    EXPECT_EQ(link.LastOpenStatus(), usb::OpenStatus::NoSuchDevice);
}

TEST_F(LinkOverWin32, AVendorPathRequestUsesTheCallersBufferForTheData) {
    windows.AddInterface(usb::kUsbDeviceInterfaceClass, IspPath("1-4"));
    LookFor(false, "vid_2fc6&pid_6000");
    ASSERT_TRUE(link.FindDevice());
    ASSERT_TRUE(link.OpenDevice());
    Bytes sent;
    windows.SetDriver([&](FakeWindows::IoCall& call) {
        sent.assign(call.output.begin(), call.output.end());
        return true;
    });
    std::uint8_t data[3] = {0xAA, 0xBB, 0xCC};
    windows.ClearCalls();
    EXPECT_TRUE(link.VendorRequest(0x43, 0x80, 0x0001, 0x0002, data, 3));
    EXPECT_EQ(sent, (Bytes{0xAA, 0xBB, 0xCC}));
    EXPECT_EQ(DeviceCalls(),
              (Lines{"DeviceIoControl 0x102 code=0x222429 in=24 out=3 returned=asked "
                     "overlapped=null"}));
    link.CloseDevice();
    EXPECT_EQ(windows.OpenFiles(), 0);
}

// A Windows driver's byte count is only its word (an audio driver may leave
// it unset): a short count does not fail the request, and the trace says so.
TEST_F(LinkOverWin32, AShortCountFromTheDriverIsTracedNotFailed) {
    windows.AddInterface(usb::kAudioDriverInterfaceClass, ProductPath("1-1"));
    LookFor(true, "vid_2fc6&pid_f066");
    ASSERT_TRUE(link.FindDevice());
    ASSERT_TRUE(link.OpenDevice());
    windows.SetDriver([](FakeWindows::IoCall& call) {
        call.output[0] = 0x5C;
        call.returned = 0;
        return true;
    });
    usb::MemoryTrace trace;
    link.SetTrace(&trace);
    std::uint8_t value = 0;
    EXPECT_TRUE(link.VendorRequest(0xC3, 0x01, 0, 0x0020, &value, 1));
    EXPECT_EQ(value, 0x5C);
    EXPECT_EQ(trace.Lines(), (Lines{"note: the driver reported 0 of 1 bytes; the request stands",
                                    "c3 01 0000 0020 1 5c ok"}));
    link.SetTrace(nullptr);
    link.CloseDevice();
}

}  // namespace
}  // namespace win32_test
