#include "device_backend.h"

#include <utility>

namespace usb {

const char* OpenStatusText(OpenStatus status) {
    switch (status) {
        case OpenStatus::Ok:
            return "ok";
        case OpenStatus::NoSuchDevice:
            return "no such device";
        case OpenStatus::PermissionDenied:
            return "permission denied";
        case OpenStatus::Failed:
            break;
    }
    return "failed";
}

std::string OpenFailureMessage(OpenStatus status, std::string_view permissionSentence) {
    switch (status) {
        case OpenStatus::Ok:
            return {};
        case OpenStatus::PermissionDenied:
            return std::string(permissionSentence);
        case OpenStatus::NoSuchDevice:
            return "The device is no longer connected. Plug it in again.";
        case OpenStatus::Failed:
            break;
    }
    return "The device could not be opened. Unplug it and plug it in again.";
}

BackendHandle& BackendHandle::operator=(BackendHandle&& other) noexcept {
    if (this != &other) {
        Reset();
        backend_ = std::exchange(other.backend_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void BackendHandle::Reset() noexcept {
    if (backend_ != nullptr) {
        backend_->Close(id_);
        backend_ = nullptr;
        id_ = 0;
    }
}

}  // namespace usb
