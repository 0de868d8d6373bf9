#include <cstdint>
#include <string>
#include <vector>

#include "backend_rig.h"
#include "usb/transport_blocks.h"

namespace win32_test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class Win32IoControl : public Win32BackendTest {
protected:
    Win32IoControl() {
        windows.AddInterface(usb::kAudioDriverInterfaceClass, path);
        handle = OpenAndClear(path);
    }

    const std::string path = ProductPath("1-1");
    usb::DeviceBackend::HandleId handle = 0;
};

// The block goes to the driver unchanged and the answer lands in the
// caller's own buffer.
TEST_F(Win32IoControl, PassesTheBlockAndTheCallersBufferToTheDriver) {
    Bytes seen;
    windows.SetDriver([&](FakeWindows::IoCall& call) {
        seen = call.input;
        call.output[0] = 0x5A;
        return true;
    });
    std::uint8_t reply[1] = {0x11};
    const Bytes block = usb::EncodeAudioBlock(0xC3, 0x21, 0x0102, 0x0304, reply);
    const auto result = backend.Control(handle, usb::kIoctlKsProperty, block, reply);

    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.bytesReturned, 1u);
    EXPECT_FALSE(result.error.Failed());
    EXPECT_EQ(result.error.subject, "");
    EXPECT_EQ(seen, block);
    EXPECT_EQ(reply[0], 0x5A);
    EXPECT_EQ(windows.Calls(),
              (Lines{"DeviceIoControl 0x100 code=0x2f0003 in=48 out=1 returned=asked "
                     "overlapped=null"}));
}

TEST_F(Win32IoControl, NoOutputBufferIsPassedAsNone) {
    const usb::KsHeader query = usb::EncodeSupportQuery();
    EXPECT_TRUE(backend.IoControl(handle, usb::kIoctlKsProperty, query, {}));
    EXPECT_EQ(windows.Calls(),
              (Lines{"DeviceIoControl 0x100 code=0x2f0003 in=24 out=0 returned=asked "
                     "overlapped=null"}));
}

TEST_F(Win32IoControl, AShortReturnIsReportedWithItsCount) {
    windows.SetDriver([](FakeWindows::IoCall& call) {
        call.output[0] = 0xA1;
        call.returned = 1;
        return true;
    });
    std::uint8_t reply[4] = {1, 2, 3, 4};
    const usb::VendorBlock block = usb::EncodeVendorBlock(0xC3, 0x21, 0, 0);
    const auto result = backend.Control(handle, usb::kIoctlVendorIn, block, reply);
    EXPECT_TRUE(result.ok) << "the driver said it succeeded; the link judges the count";
    EXPECT_EQ(result.bytesReturned, 1u);
    EXPECT_EQ(Bytes(reply, reply + 4), (Bytes{0xA1, 2, 3, 4}));
    EXPECT_FALSE(backend.LastError().Failed());
}

TEST_F(Win32IoControl, AFailedCallKeepsTheCodeReadAtOnceWithTheCallsName) {
    windows.SetDriver([](FakeWindows::IoCall& call) {
        call.error = usb::win32::kErrorGenFailure;
        return false;
    });
    std::uint8_t data[2] = {};
    const usb::VendorBlock block = usb::EncodeVendorBlock(0x43, 0x20, 0, 0);
    const auto result = backend.Control(handle, usb::kIoctlVendorOut, block, data);

    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.bytesReturned, 0u);
    EXPECT_EQ(result.error.code, usb::win32::kErrorGenFailure);
    EXPECT_EQ(result.error.call, "DeviceIoControl");
    EXPECT_EQ(backend.LastError().ToString(),
              "DeviceIoControl 0x222429 " + path + ": ERROR_GEN_FAILURE (31)");
    EXPECT_EQ(windows.Calls(),
              (Lines{"DeviceIoControl 0x100 code=0x222429 in=24 out=2 returned=asked "
                     "overlapped=null",
                     "GetLastError 31"}));
    EXPECT_FALSE(backend.IoControl(handle, usb::kIoctlVendorOut, block, data));
}

TEST_F(Win32IoControl, AClosedHandleFailsWithoutCallingWindows) {
    backend.Close(handle);
    windows.ClearCalls();
    const usb::VendorBlock block = usb::EncodeVendorBlock(0x43, 0x20, 0, 0);
    const auto result = backend.Control(handle, usb::kIoctlVendorOut, block, {});
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error.code, usb::win32::kErrorInvalidHandle);
    EXPECT_EQ(result.error.call, "DeviceIoControl");
    EXPECT_TRUE(windows.Calls().empty());
}

}  // namespace
}  // namespace win32_test
