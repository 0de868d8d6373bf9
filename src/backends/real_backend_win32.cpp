#include "backends/real_backend.h"

#include "usb/win32_backend.h"
#include "usb/win32_error.h"

namespace product {

// SetupAPI needs no start-up: a Windows backend always starts, and a system
// without devices shows up as empty interface lists.
RealBackendStart StartRealBackend(usb::RequestTrace* errorLog) {
    std::unique_ptr<usb::Win32Backend> backend = usb::MakeWin32Backend();
    backend->SetErrorLog(errorLog);
    return {std::move(backend), {}};
}

std::string RealBackendOpenFailureMessage(usb::OpenStatus status) {
    return usb::Win32UserMessageFor(status);
}

}  // namespace product
