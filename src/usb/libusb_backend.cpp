#include "usb/libusb_backend.h"

#include "usb/libusb_device_backend.h"

namespace usb {

LibusbStart MakeLibusbBackend() {
    libusb_context* raw = nullptr;
    const int result = libusb_init(&raw);
    if (result != LIBUSB_SUCCESS)
        return {nullptr, {result, "libusb_init", {}}};
    return {std::make_unique<LibusbDeviceBackend>(libusb::ContextPtr(raw)), {}};
}

}  // namespace usb
