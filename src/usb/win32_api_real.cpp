// The real Windows calls behind the backend's table. Compiled only for Windows.

#include <windows.h>
// setupapi.h needs windows.h first.
#include <setupapi.h>

#include <cstddef>

#include "usb/win32_api.h"
#include "usb/win32_backend.h"

namespace usb::win32 {
namespace {

// The portable records must be the Windows ones byte for byte, since they are
// handed to SetupAPI as they are.
static_assert(sizeof(Dword) == sizeof(DWORD));
static_assert(sizeof(Guid) == sizeof(GUID));
static_assert(sizeof(InterfaceData) == sizeof(SP_DEVICE_INTERFACE_DATA));
static_assert(offsetof(InterfaceData, interfaceClassGuid) ==
              offsetof(SP_DEVICE_INTERFACE_DATA, InterfaceClassGuid));
static_assert(offsetof(InterfaceData, flags) == offsetof(SP_DEVICE_INTERFACE_DATA, Flags));
static_assert(offsetof(InterfaceData, reserved) == offsetof(SP_DEVICE_INTERFACE_DATA, Reserved));
static_assert(kInterfaceDataSize == sizeof(SP_DEVICE_INTERFACE_DATA));
static_assert(kDetailDataSize == sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A));
static_assert(kDetailPathOffset == offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath));
static_assert(kPresentInterfaces == (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
static_assert(kGenericReadWrite == (GENERIC_READ | GENERIC_WRITE));
static_assert(kShareReadWrite == (FILE_SHARE_READ | FILE_SHARE_WRITE));
static_assert(kOpenExisting == OPEN_EXISTING);
static_assert(kErrorNoMoreItems == ERROR_NO_MORE_ITEMS);
static_assert(kErrorInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER);
static_assert(kErrorAccessDenied == ERROR_ACCESS_DENIED);
static_assert(kErrorFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(kErrorDeviceNotConnected == ERROR_DEVICE_NOT_CONNECTED);

// Thunks rather than casts of the functions themselves: on 32-bit Windows the
// calls are __stdcall, GUID and the records are distinct types, and DWORD is
// an unsigned long where Dword is an unsigned int.
const GUID* AsGuid(const Guid* guid) {
    return reinterpret_cast<const GUID*>(guid);
}

SP_DEVICE_INTERFACE_DATA* AsInterfaceData(InterfaceData* data) {
    return reinterpret_cast<SP_DEVICE_INTERFACE_DATA*>(data);
}

Handle GetClassDevs(const Guid* classGuid, const char* enumerator, void* parent, Dword flags) {
    return ::SetupDiGetClassDevsA(AsGuid(classGuid), enumerator, static_cast<HWND>(parent), flags);
}

Bool EnumInterfaces(Handle set, void* deviceInfo, const Guid* classGuid, Dword index,
                    InterfaceData* data) {
    return ::SetupDiEnumDeviceInterfaces(set, static_cast<SP_DEVINFO_DATA*>(deviceInfo),
                                         AsGuid(classGuid), index, AsInterfaceData(data));
}

Bool InterfaceDetail(Handle set, InterfaceData* data, void* detail, Dword detailSize,
                     Dword* requiredSize, void* deviceInfo) {
    DWORD required = 0;
    const BOOL ok = ::SetupDiGetDeviceInterfaceDetailA(
        set, AsInterfaceData(data), static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(detail),
        detailSize, requiredSize != nullptr ? &required : nullptr,
        static_cast<SP_DEVINFO_DATA*>(deviceInfo));
    if (requiredSize != nullptr)
        *requiredSize = required;
    return ok;
}

Bool DestroyInfoList(Handle set) {
    return ::SetupDiDestroyDeviceInfoList(set);
}

Handle OpenFile(const char* path, Dword access, Dword shareMode, void* security, Dword creation,
                Dword flags, Handle templateFile) {
    return ::CreateFileA(path, access, shareMode, static_cast<SECURITY_ATTRIBUTES*>(security),
                         creation, flags, templateFile);
}

Bool IoControl(Handle device, Dword controlCode, const void* input, Dword inputSize, void* output,
               Dword outputSize, Dword* bytesReturned, void* overlapped) {
    DWORD returned = 0;
    // DeviceIoControl takes a non-const input pointer; drivers only read it.
    const BOOL ok =
        ::DeviceIoControl(device, controlCode, const_cast<void*>(input), inputSize, output,
                          outputSize, &returned, static_cast<OVERLAPPED*>(overlapped));
    if (bytesReturned != nullptr)
        *bytesReturned = returned;
    return ok;
}

Bool CloseOne(Handle handle) {
    return ::CloseHandle(handle);
}

Dword LastError() {
    return ::GetLastError();
}

}  // namespace

const Api& RealApi() {
    static const Api api{GetClassDevs, EnumInterfaces, InterfaceDetail, DestroyInfoList,
                         OpenFile,     IoControl,      CloseOne,        LastError};
    return api;
}

}  // namespace usb::win32

namespace usb {

std::unique_ptr<Win32Backend> MakeWin32Backend() {
    return std::make_unique<Win32Backend>(win32::RealApi());
}

}  // namespace usb
