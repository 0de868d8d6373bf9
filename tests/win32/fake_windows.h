#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "usb/guid.h"
#include "usb/win32_api.h"

namespace win32_test {

using usb::win32::Dword;

// A small Windows behind a win32::Api table: device interfaces per class,
// files that open or refuse, a driver that answers DeviceIoControl. It checks
// what SetupAPI checks (record size fields, buffer sizes) and answers as
// Windows does, and writes every call with its arguments to Calls(), so tests
// can assert the exact sequence. Every successful call clears the error code,
// so a caller that reads GetLastError too late reads 0.
//
// The table holds plain function pointers, so one fake at a time is current:
// the one constructed last.
class FakeWindows {
public:
    // One DeviceIoControl as the driver sees it; return false to fail it
    // with `error`, and set `returned` to the byte count to report.
    struct IoCall {
        Dword controlCode = 0;
        std::vector<std::uint8_t> input;
        std::span<std::uint8_t> output;
        Dword returned = 0;
        Dword error = 0;
    };
    using Driver = std::function<bool(IoCall& call)>;

    FakeWindows();
    FakeWindows(const FakeWindows&) = delete;
    FakeWindows& operator=(const FakeWindows&) = delete;
    ~FakeWindows();

    const usb::win32::Api& Api() const;

    void AddInterface(const usb::Guid& interfaceClass, std::string path);
    void FailClassDevs(Dword error) { classDevsError_ = error; }
    // The enumeration fails at `index` with `error` instead of going on.
    void FailEnumAt(Dword index, Dword error) { enumFailures_[index] = error; }
    // The second detail call (the one with a buffer) fails for `path`.
    void FailDetailOf(const std::string& path, Dword error) { detailFailures_[path] = error; }
    void RefuseOpen(const std::string& path, Dword error) { openRefusals_[path] = error; }
    // By default the driver carries out every call and returns the whole
    // output buffer.
    void SetDriver(Driver driver) { driver_ = std::move(driver); }

    const std::vector<std::string>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    int OpenFiles() const { return static_cast<int>(openFiles_.size()); }
    int OpenSets() const { return openSets_; }

    // The size fields SetupAPI insists on for this pointer width.
    static Dword ExpectedInterfaceDataSize() { return sizeof(void*) == 8 ? 32 : 28; }
    static Dword ExpectedDetailDataSize() { return sizeof(void*) == 8 ? 8 : 5; }

private:
    struct Interface {
        usb::Guid interfaceClass;
        std::string path;
    };
    struct Set {
        std::vector<const Interface*> members;
    };

    static FakeWindows& Current();
    static std::string HandleText(usb::win32::Handle handle);

    // The table's entries.
    static usb::win32::Handle GetClassDevs(const usb::Guid* classGuid, const char* enumerator,
                                           void* parent, Dword flags);
    static usb::win32::Bool EnumInterfaces(usb::win32::Handle set, void* deviceInfo,
                                           const usb::Guid* classGuid, Dword index,
                                           usb::win32::InterfaceData* data);
    static usb::win32::Bool InterfaceDetail(usb::win32::Handle set, usb::win32::InterfaceData* data,
                                            void* detail, Dword detailSize, Dword* requiredSize,
                                            void* deviceInfo);
    static usb::win32::Bool DestroyInfoList(usb::win32::Handle set);
    static usb::win32::Handle OpenFile(const char* path, Dword access, Dword shareMode,
                                       void* security, Dword creation, Dword flags,
                                       usb::win32::Handle templateFile);
    static usb::win32::Bool IoControl(usb::win32::Handle device, Dword controlCode,
                                      const void* input, Dword inputSize, void* output,
                                      Dword outputSize, Dword* bytesReturned, void* overlapped);
    static usb::win32::Bool CloseFile(usb::win32::Handle handle);
    static Dword LastError();

    usb::win32::Bool Succeed();
    usb::win32::Bool Fail(Dword error);
    usb::win32::Handle NewHandle();
    const Interface* Member(usb::win32::Handle set, const usb::win32::InterfaceData* data) const;

    std::vector<Interface> interfaces_;
    std::map<usb::win32::Handle, Set> sets_;
    std::set<usb::win32::Handle> openFiles_;
    int openSets_ = 0;
    std::uintptr_t nextHandle_ = 0x100;
    Dword lastError_ = 0;
    Dword classDevsError_ = 0;
    std::map<Dword, Dword> enumFailures_;
    std::map<std::string, Dword> detailFailures_;
    std::map<std::string, Dword> openRefusals_;
    Driver driver_;
    std::vector<std::string> calls_;
    FakeWindows* previous_ = nullptr;
};

}  // namespace win32_test
