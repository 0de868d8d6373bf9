#pragma once

#include <memory>
#include <string>

#include "usb/device_backend.h"

namespace usb {
class RequestTrace;
}

namespace product {

// The backend for real devices this build was made with: libusb on Linux,
// the Windows device calls on Windows. CMake compiles exactly one of
// real_backend_libusb.cpp and real_backend_win32.cpp, so the choice is made
// once, at build time, and nothing else names a platform.
struct RealBackendStart {
    std::unique_ptr<usb::DeviceBackend> backend;  // null when it could not start
    std::string error;                            // the backend's own words, for the trace
};

// `errorLog`, when given, receives the backend's failed calls for the trace.
RealBackendStart StartRealBackend(usb::RequestTrace* errorLog);

// The real backend's sentence for a failed open: what the user can mend on
// this system (a udev rule on Linux, another program holding the device on
// Windows).
std::string RealBackendOpenFailureMessage(usb::OpenStatus status);

}  // namespace product
