#pragma once

#include <cstdint>
#include <string>

#include "usb/device_backend.h"

namespace usb {

// One failed Windows call as the log keeps it: the call, what it was about and
// the GetLastError code, so a report from the field still says what Windows
// said.
struct Win32Error {
    std::uint32_t code = 0;  // GetLastError(); 0 when nothing failed
    std::string call;        // "CreateFileA", "DeviceIoControl", ...
    std::string subject;     // the interface path or control code, when there is one

    bool Failed() const { return !call.empty(); }
    // "CreateFileA \\?\usb#vid_2fc6&pid_f066#...: ERROR_ACCESS_DENIED (5)"
    std::string ToString() const;
};

// The symbolic name of a GetLastError code ("ERROR_ACCESS_DENIED"), or
// "error" for a code the tool has no name for.
const char* Win32ErrorName(std::uint32_t code);

// How the front ends must treat the GetLastError code of a failed open; never
// Ok, whatever the code.
OpenStatus OpenStatusFromWin32(std::uint32_t code);

// The one sentence the front ends show when a device could not be opened on
// Windows.
std::string Win32UserMessageFor(OpenStatus status);

}  // namespace usb
