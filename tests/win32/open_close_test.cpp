#include <ostream>
#include <string>
#include <vector>

#include "backend_rig.h"

namespace win32_test {
namespace {

using usb::OpenStatus;

class Win32Open : public Win32BackendTest {
protected:
    Win32Open() { windows.AddInterface(usb::kAudioDriverInterfaceClass, path); }

    const std::string path = ProductPath("1-1");
};

TEST_F(Win32Open, OpensReadWriteSharedExistingOnly) {
    const auto opened = backend.Open(path);
    EXPECT_EQ(opened.status, OpenStatus::Ok);
    EXPECT_NE(opened.handle, 0u);
    EXPECT_EQ(windows.Calls(), (Lines{"CreateFileA " + path +
                                      " access=0xc0000000 share=0x3 security=null creation=3 "
                                      "flags=0 template=null"}));
    EXPECT_EQ(windows.OpenFiles(), 1);
}

TEST_F(Win32Open, CloseClosesThatHandleOnceAndUnknownHandlesAreIgnored) {
    const auto first = backend.Open(path);
    const auto second = backend.Open(path);
    ASSERT_NE(first.handle, second.handle);
    windows.ClearCalls();
    backend.Close(first.handle);
    backend.Close(first.handle);
    backend.Close(0);
    EXPECT_EQ(windows.Calls(), (Lines{"CloseHandle 0x100"}));
    EXPECT_EQ(windows.OpenFiles(), 1);
}

TEST_F(Win32Open, TheBackendClosesWhatIsStillOpenWhenItGoes) {
    {
        usb::Win32Backend other(windows.Api());
        other.Open(path);
        other.Open(path);
        ASSERT_EQ(windows.OpenFiles(), 2);
    }
    EXPECT_EQ(windows.OpenFiles(), 0);
}

struct Refusal {
    const char* name;
    usb::win32::Dword code;
    OpenStatus status;
    const char* text;
};

// Failure messages name the case rather than dumping its bytes.
void PrintTo(const Refusal& refusal, std::ostream* out) {
    *out << refusal.name;
}

class Win32OpenRefused : public Win32Open, public ::testing::WithParamInterface<Refusal> {};

TEST_P(Win32OpenRefused, TellsWhyAndKeepsTheCodeWithTheCall) {
    windows.RefuseOpen(path, GetParam().code);
    const auto opened = backend.Open(path);
    EXPECT_EQ(opened.status, GetParam().status);
    EXPECT_EQ(opened.handle, 0u);
    EXPECT_EQ(backend.LastError().ToString(), "CreateFileA " + path + ": " + GetParam().text);
    EXPECT_EQ(log.Lines(), (Lines{backend.LastError().ToString()}));
    EXPECT_EQ(windows.OpenFiles(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Win32Open, Win32OpenRefused,
    ::testing::Values(Refusal{"AccessDenied", usb::win32::kErrorAccessDenied,
                              OpenStatus::PermissionDenied, "ERROR_ACCESS_DENIED (5)"},
                      Refusal{"FileNotFound", usb::win32::kErrorFileNotFound,
                              OpenStatus::NoSuchDevice, "ERROR_FILE_NOT_FOUND (2)"},
                      Refusal{"PathNotFound", usb::win32::kErrorPathNotFound,
                              OpenStatus::NoSuchDevice, "ERROR_PATH_NOT_FOUND (3)"},
                      Refusal{"DeviceNotConnected", usb::win32::kErrorDeviceNotConnected,
                              OpenStatus::NoSuchDevice, "ERROR_DEVICE_NOT_CONNECTED (1167)"},
                      Refusal{"SharingViolation", usb::win32::kErrorSharingViolation,
                              OpenStatus::Failed, "ERROR_SHARING_VIOLATION (32)"},
                      Refusal{"UnknownCode", 1450, OpenStatus::Failed, "error (1450)"},
                      Refusal{"NoCodeAtAll", 0, OpenStatus::Failed, "ERROR_SUCCESS (0)"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace win32_test
