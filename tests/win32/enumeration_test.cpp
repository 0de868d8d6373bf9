#include <string>
#include <vector>

#include "backend_rig.h"

namespace win32_test {
namespace {

const std::string kAudioClass = usb::GuidToString(usb::kAudioDriverInterfaceClass);

class Win32Enumeration : public Win32BackendTest {};

TEST_F(Win32Enumeration, ListsThePathsOfTheAskedClassInEnumerationOrder) {
    windows.AddInterface(usb::kAudioDriverInterfaceClass, ProductPath("1-1"));
    windows.AddInterface(usb::kUsbDeviceInterfaceClass, IspPath("1-4"));
    windows.AddInterface(usb::kAudioDriverInterfaceClass, ProductPath("2-3.1"));
    windows.AddInterface(usb::kAudioDriverInterfaceClass, ProductPath("1-2"));

    EXPECT_EQ(backend.ListInterfacePaths(usb::kAudioDriverInterfaceClass),
              (Lines{ProductPath("1-1"), ProductPath("2-3.1"), ProductPath("1-2")}));
    EXPECT_EQ(backend.ListInterfacePaths(usb::kUsbDeviceInterfaceClass), (Lines{IspPath("1-4")}));
    EXPECT_EQ(windows.OpenSets(), 0);
    EXPECT_FALSE(backend.LastError().Failed());
}

// The exact calls for one interface: the set of present interfaces of the
// class, the record with the size field of this pointer width, the detail
// size asked without a buffer, then fetched into a buffer of that size.
TEST_F(Win32Enumeration, CallsSetupApiWithTheExactArguments) {
    const std::string path = ProductPath("1-1");
    windows.AddInterface(usb::kAudioDriverInterfaceClass, path);
    ASSERT_TRUE(backend.ListInterfacePaths(usb::kAudioDriverInterfaceClass));

    const std::string record =
        " cbSize=" + std::to_string(FakeWindows::ExpectedInterfaceDataSize());
    const std::string detail =
        "detail=cbSize " + std::to_string(FakeWindows::ExpectedDetailDataSize());
    const std::string needed = std::to_string(4 + path.size() + 1);
    EXPECT_EQ(windows.Calls(),
              (Lines{
                  "SetupDiGetClassDevsA " + kAudioClass + " enumerator=null parent=null flags=0x12",
                  "SetupDiEnumDeviceInterfaces 0x100 deviceInfo=null " + kAudioClass + " index=0" +
                      record,
                  "SetupDiGetDeviceInterfaceDetailA 0x100 #0 detail=null size=0 required=asked "
                  "deviceInfo=null",
                  "GetLastError 122",
                  "SetupDiGetDeviceInterfaceDetailA 0x100 #0 " + detail + " size=" + needed +
                      " required=null deviceInfo=null",
                  "SetupDiEnumDeviceInterfaces 0x100 deviceInfo=null " + kAudioClass + " index=1" +
                      record,
                  "GetLastError 259",
                  "SetupDiDestroyDeviceInfoList 0x100",
              }));
}

TEST_F(Win32Enumeration, RecordSizesAreThoseOfThisPointerWidth) {
    // 28 and 5 on 32-bit Windows, 32 and 8 on 64-bit Windows.
    EXPECT_EQ(usb::win32::kInterfaceDataSize, FakeWindows::ExpectedInterfaceDataSize());
    EXPECT_EQ(usb::win32::kDetailDataSize, FakeWindows::ExpectedDetailDataSize());
}

TEST_F(Win32Enumeration, NoSetMeansNoListAndKeepsTheCode) {
    windows.FailClassDevs(usb::win32::kErrorInvalidParameter);
    EXPECT_EQ(backend.ListInterfacePaths(usb::kAudioDriverInterfaceClass), std::nullopt);
    EXPECT_EQ(backend.LastError().code, usb::win32::kErrorInvalidParameter);
    EXPECT_EQ(backend.LastError().call, "SetupDiGetClassDevsA");
    EXPECT_EQ(log.Lines(),
              (Lines{"SetupDiGetClassDevsA " + kAudioClass + ": ERROR_INVALID_PARAMETER (87)"}));
}

TEST_F(Win32Enumeration, NoInterfacesIsAnEmptyListNotAFailure) {
    windows.AddInterface(usb::kUsbDeviceInterfaceClass, IspPath("1-4"));
    EXPECT_EQ(backend.ListInterfacePaths(usb::kAudioDriverInterfaceClass), Lines{});
    EXPECT_FALSE(backend.LastError().Failed());
    EXPECT_EQ(windows.OpenSets(), 0);
}

TEST_F(Win32Enumeration, AnotherEnumerationFailureEndsTheListAndIsKept) {
    windows.AddInterface(usb::kAudioDriverInterfaceClass, ProductPath("1-1"));
    windows.AddInterface(usb::kAudioDriverInterfaceClass, ProductPath("1-2"));
    windows.FailEnumAt(1, usb::win32::kErrorGenFailure);
    EXPECT_EQ(backend.ListInterfacePaths(usb::kAudioDriverInterfaceClass),
              (Lines{ProductPath("1-1")}));
    EXPECT_EQ(backend.LastError().ToString(),
              "SetupDiEnumDeviceInterfaces " + kAudioClass + " #1: ERROR_GEN_FAILURE (31)");
    EXPECT_EQ(windows.OpenSets(), 0);
}

TEST_F(Win32Enumeration, AnInterfaceWhosePathCannotBeFetchedIsSkipped) {
    windows.AddInterface(usb::kAudioDriverInterfaceClass, ProductPath("1-1"));
    windows.AddInterface(usb::kAudioDriverInterfaceClass, ProductPath("1-2"));
    windows.AddInterface(usb::kAudioDriverInterfaceClass, ProductPath("1-3"));
    windows.FailDetailOf(ProductPath("1-2"), usb::win32::kErrorNoSuchDevice);
    EXPECT_EQ(backend.ListInterfacePaths(usb::kAudioDriverInterfaceClass),
              (Lines{ProductPath("1-1"), ProductPath("1-3")}));
    EXPECT_EQ(backend.LastError().code, usb::win32::kErrorNoSuchDevice);
    EXPECT_EQ(backend.LastError().call, "SetupDiGetDeviceInterfaceDetailA");
    EXPECT_EQ(backend.LastError().subject, kAudioClass + " #1");
}

TEST_F(Win32Enumeration, LongPathsArriveWhole) {
    const std::string path = ProductPath(std::string(600, '7'));
    windows.AddInterface(usb::kAudioDriverInterfaceClass, path);
    EXPECT_EQ(backend.ListInterfacePaths(usb::kAudioDriverInterfaceClass), (Lines{path}));
}

}  // namespace
}  // namespace win32_test
