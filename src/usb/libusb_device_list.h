#pragma once

#include <libusb.h>

#include <span>

namespace usb::libusb {

// The devices present at one moment, each referenced until the list goes.
// Devices taken from it stay valid only as long as the list lives.
class DeviceList {
public:
    explicit DeviceList(libusb_context* context) noexcept;
    DeviceList(DeviceList&& other) noexcept;
    DeviceList& operator=(DeviceList&& other) noexcept;
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;
    ~DeviceList();

    // 0, or the LIBUSB_ERROR_* code when the list could not be obtained.
    int Error() const noexcept { return error_; }
    std::span<libusb_device* const> Devices() const noexcept;

private:
    void Release() noexcept;

    libusb_device** list_ = nullptr;
    std::size_t count_ = 0;
    int error_ = 0;
};

}  // namespace usb::libusb
