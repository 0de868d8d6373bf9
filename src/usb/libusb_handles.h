#pragma once

// Owners for the libusb objects the backend holds. Only the libusb backend
// includes this header: nothing else in the tool sees a libusb type.

#include <libusb.h>

#include <memory>

namespace usb::libusb {

struct ContextDeleter {
    void operator()(libusb_context* context) const noexcept { libusb_exit(context); }
};
using ContextPtr = std::unique_ptr<libusb_context, ContextDeleter>;

struct DeviceHandleDeleter {
    void operator()(libusb_device_handle* handle) const noexcept { libusb_close(handle); }
};
using DeviceHandlePtr = std::unique_ptr<libusb_device_handle, DeviceHandleDeleter>;

struct ConfigDescriptorDeleter {
    void operator()(libusb_config_descriptor* config) const noexcept {
        libusb_free_config_descriptor(config);
    }
};
using ConfigDescriptorPtr = std::unique_ptr<libusb_config_descriptor, ConfigDescriptorDeleter>;

}  // namespace usb::libusb
