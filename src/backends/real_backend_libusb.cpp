#include "backends/real_backend.h"

#include "usb/libusb_backend.h"
#include "usb/libusb_error.h"

namespace product {

RealBackendStart StartRealBackend(usb::RequestTrace* errorLog) {
    usb::LibusbStart start = usb::MakeLibusbBackend();
    if (!start.backend)
        return {nullptr, start.error.ToString()};
    start.backend->SetErrorLog(errorLog);
    return {std::move(start.backend), {}};
}

std::string RealBackendOpenFailureMessage(usb::OpenStatus status) {
    return usb::UserMessageFor(status);
}

}  // namespace product
