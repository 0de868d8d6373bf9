#include "usb/libusb_device_list.h"

#include <utility>

namespace usb::libusb {

DeviceList::DeviceList(libusb_context* context) noexcept {
    const ssize_t count = libusb_get_device_list(context, &list_);
    if (count < 0) {
        error_ = static_cast<int>(count);
        list_ = nullptr;
    } else {
        count_ = static_cast<std::size_t>(count);
    }
}

DeviceList::DeviceList(DeviceList&& other) noexcept
    : list_(std::exchange(other.list_, nullptr)),
      count_(std::exchange(other.count_, 0)),
      error_(other.error_) {}

DeviceList& DeviceList::operator=(DeviceList&& other) noexcept {
    if (this != &other) {
        Release();
        list_ = std::exchange(other.list_, nullptr);
        count_ = std::exchange(other.count_, 0);
        error_ = other.error_;
    }
    return *this;
}

DeviceList::~DeviceList() {
    Release();
}

std::span<libusb_device* const> DeviceList::Devices() const noexcept {
    return {list_, count_};
}

void DeviceList::Release() noexcept {
    if (list_ != nullptr)
        libusb_free_device_list(list_, 1);
    list_ = nullptr;
    count_ = 0;
}

}  // namespace usb::libusb
