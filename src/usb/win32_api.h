#pragma once

// The Windows calls under the Windows backend, as a table of function
// pointers. The backend's logic only ever calls through a table, so it builds
// and is unit-tested on any system against a fake Windows; the table of the
// real calls exists only in a Windows build (win32_api_real.cpp).
//
// The types here have the memory layout of their Windows counterparts on the
// build's own pointer width: a Guid is a GUID, InterfaceData is an
// SP_DEVICE_INTERFACE_DATA. Nothing here includes <windows.h>.

#include <cstddef>
#include <cstdint>

#include "usb/guid.h"

namespace usb::win32 {

using Handle = void*;  // HANDLE, and HDEVINFO (a set of device interfaces)
using Dword = std::uint32_t;
using Bool = int;  // Windows BOOL: non-zero is success

// INVALID_HANDLE_VALUE, the failure of CreateFileA and SetupDiGetClassDevsA.
inline Handle InvalidHandle() {
    // The all-ones pointer Windows defines; no object is reached through it.
    return reinterpret_cast<Handle>(~std::uintptr_t{0});  // NOLINT(performance-no-int-to-ptr)
}

// SetupDiGetClassDevsA: only present devices, and the GUID names an
// interface class (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE).
inline constexpr Dword kPresentInterfaces = 0x02 | 0x10;

// CreateFileA: read and write, shared with other readers and writers, an
// existing device only.
inline constexpr Dword kGenericReadWrite = 0x80000000u | 0x40000000u;
inline constexpr Dword kShareReadWrite = 0x1 | 0x2;
inline constexpr Dword kOpenExisting = 3;

// The GetLastError codes the backend tells apart.
inline constexpr Dword kErrorInvalidFunction = 1;
inline constexpr Dword kErrorFileNotFound = 2;
inline constexpr Dword kErrorPathNotFound = 3;
inline constexpr Dword kErrorAccessDenied = 5;
inline constexpr Dword kErrorInvalidHandle = 6;
inline constexpr Dword kErrorGenFailure = 31;
inline constexpr Dword kErrorSharingViolation = 32;
inline constexpr Dword kErrorNotSupported = 50;
inline constexpr Dword kErrorInvalidParameter = 87;
inline constexpr Dword kErrorInsufficientBuffer = 122;
inline constexpr Dword kErrorNoMoreItems = 259;
inline constexpr Dword kErrorNoSuchDevice = 433;
inline constexpr Dword kErrorDeviceNotConnected = 1167;
inline constexpr Dword kErrorInvalidUserBuffer = 1784;

// SP_DEVICE_INTERFACE_DATA. Its size field must hold exactly the size that
// SetupAPI was built with, which depends on the pointer width: setupapi.h
// packs its records to 1 byte on 32-bit Windows (4 + 16 + 4 + 4 = 28 bytes)
// and to 8 bytes on 64-bit Windows, where the pointer-sized Reserved field
// moves to offset 24 and the record becomes 32 bytes. SetupAPI refuses any
// other value, so a 64-bit program that wrote 28 would never see a device.
struct InterfaceData {
    Dword cbSize;
    Guid interfaceClassGuid;
    Dword flags;
    std::uintptr_t reserved;
};
inline constexpr Dword kInterfaceDataSize = sizeof(void*) == 8 ? 32 : 28;
static_assert(sizeof(InterfaceData) == kInterfaceDataSize,
              "the layout of SP_DEVICE_INTERFACE_DATA");

// SP_DEVICE_INTERFACE_DETAIL_DATA_A: a size field followed by the interface
// path as zero-terminated text, in a buffer of the size SetupAPI asks for.
// Its size field is not the buffer's size but sizeof the fixed part, again
// per pointer width: 4 + 1 packed to 1 byte = 5 on 32-bit Windows, padded to
// the DWORD's alignment = 8 on 64-bit Windows.
inline constexpr std::size_t kDetailPathOffset = 4;
inline constexpr Dword kDetailDataSize = sizeof(void*) == 8 ? 8 : 5;

// The calls the backend needs, with the argument order of their Windows
// namesakes (WINAPI conventions are taken care of by the real table).
struct Api {
    Handle (*SetupDiGetClassDevsA)(const Guid* classGuid, const char* enumerator, void* parent,
                                   Dword flags);
    Bool (*SetupDiEnumDeviceInterfaces)(Handle set, void* deviceInfo, const Guid* classGuid,
                                        Dword index, InterfaceData* data);
    // `detail` points to a buffer of `detailSize` bytes laid out as
    // SP_DEVICE_INTERFACE_DETAIL_DATA_A, or is null to learn the size.
    Bool (*SetupDiGetDeviceInterfaceDetailA)(Handle set, InterfaceData* data, void* detail,
                                             Dword detailSize, Dword* requiredSize,
                                             void* deviceInfo);
    Bool (*SetupDiDestroyDeviceInfoList)(Handle set);
    Handle (*CreateFileA)(const char* path, Dword access, Dword shareMode, void* security,
                          Dword creation, Dword flags, Handle templateFile);
    Bool (*DeviceIoControl)(Handle device, Dword controlCode, const void* input, Dword inputSize,
                            void* output, Dword outputSize, Dword* bytesReturned, void* overlapped);
    Bool (*CloseHandle)(Handle handle);
    Dword (*GetLastError)();
};

// The real calls; defined only when building for Windows.
const Api& RealApi();

}  // namespace usb::win32
