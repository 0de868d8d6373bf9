#include "emulated_device.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace umockdev_test {
namespace {

constexpr std::size_t kSetupSize = 8;
constexpr std::uint8_t kDirectionIn = 0x80;
constexpr std::uint8_t kTypeMask = 0x60;
constexpr std::uint8_t kTypeStandard = 0x00;
constexpr std::uint8_t kTypeVendor = 0x40;
constexpr std::uint8_t kGetDescriptor = 6;
constexpr std::uint16_t kDeviceDescriptorValue = 0x0100;

std::uint16_t Le16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

// Resolves a pointer inside `data` to the client memory it points at.
UMockdevIoctlData* Resolve(UMockdevIoctlData* data, std::size_t offset, std::size_t length) {
    GError* error = nullptr;
    UMockdevIoctlData* resolved = umockdev_ioctl_data_resolve(data, offset, length, &error);
    if (error != nullptr)
        g_error_free(error);
    return resolved;
}

}  // namespace

EmulatedDevice::EmulatedDevice(std::vector<std::uint8_t> deviceDescriptor)
    : handler_(umockdev_ioctl_base_new()), deviceDescriptor_(std::move(deviceDescriptor)) {
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&EmulatedDevice::OnIoctl), this);
}

EmulatedDevice::EmulatedDevice(ControlResponder responder)
    : handler_(umockdev_ioctl_base_new()), responder_(std::move(responder)) {
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&EmulatedDevice::OnIoctl), this);
}

EmulatedDevice::~EmulatedDevice() {
    g_signal_handlers_disconnect_by_data(handler_, this);
    std::lock_guard lock(mutex_);
    for (const CompletedUrb& done : completed_) {
        g_object_unref(done.buffer);
        g_object_unref(done.urb);
    }
    g_object_unref(handler_);
}

void EmulatedDevice::SetInAnswer(std::uint8_t request, std::vector<std::uint8_t> answer) {
    std::lock_guard lock(mutex_);
    inAnswers_[request] = std::move(answer);
}

void EmulatedDevice::Disconnect() {
    std::lock_guard lock(mutex_);
    disconnected_ = true;
}

std::vector<ReceivedRequest> EmulatedDevice::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<unsigned long> EmulatedDevice::UnknownIoctls() const {
    std::lock_guard lock(mutex_);
    return unknownIoctls_;
}

gboolean EmulatedDevice::OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    static_cast<EmulatedDevice*>(self)->HandleIoctl(client);
    return TRUE;
}

void EmulatedDevice::HandleIoctl(UMockdevIoctlClient* client) {
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    // libusb only polls; a blocking reap with nothing done would hang it.
    const bool reap = request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY;
    {
        std::lock_guard lock(mutex_);
        if (disconnected_ && !reap) {
            umockdev_ioctl_client_complete(client, -1, ENODEV);
            return;
        }
    }
    switch (request) {
        case USBDEVFS_GET_CAPABILITIES:
            GetCapabilities(client);
            break;
        case USBDEVFS_SUBMITURB:
            SubmitUrb(client);
            break;
        case USBDEVFS_REAPURB:
        case USBDEVFS_REAPURBNDELAY:
            ReapUrb(client);
            break;
        case USBDEVFS_DISCARDURB:
            // Every URB completes when submitted, so there is none to discard.
            umockdev_ioctl_client_complete(client, -1, EINVAL);
            break;
        default: {
            std::lock_guard lock(mutex_);
            unknownIoctls_.push_back(request);
            umockdev_ioctl_client_complete(client, -1, ENOTTY);
            break;
        }
    }
}

void EmulatedDevice::GetCapabilities(UMockdevIoctlClient* client) {
    UMockdevIoctlData* caps =
        Resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(std::uint32_t));
    if (caps == nullptr) {
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return;
    }
    const std::uint32_t none = 0;
    std::memcpy(caps->data, &none, sizeof none);
    umockdev_ioctl_client_complete(client, 0, 0);
    g_object_unref(caps);
}

void EmulatedDevice::SubmitUrb(UMockdevIoctlClient* client) {
    UMockdevIoctlData* urbData =
        Resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(usbdevfs_urb));
    if (urbData == nullptr) {
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return;
    }
    auto* urb = reinterpret_cast<usbdevfs_urb*>(urbData->data);
    const int length = urb->buffer_length;
    UMockdevIoctlData* buffer = nullptr;
    if (urb->type == USBDEVFS_URB_TYPE_CONTROL && length >= static_cast<int>(kSetupSize)) {
        buffer = Resolve(urbData, offsetof(usbdevfs_urb, buffer), static_cast<std::size_t>(length));
    }
    const std::size_t wLength = buffer != nullptr ? Le16(buffer->data + 6) : 0;
    if (buffer == nullptr || kSetupSize + wLength > static_cast<std::size_t>(length)) {
        if (buffer != nullptr)
            g_object_unref(buffer);
        g_object_unref(urbData);
        umockdev_ioctl_client_complete(client, -1, EINVAL);
        return;
    }
    ReceivedRequest request;
    std::copy_n(buffer->data, kSetupSize, request.setup.begin());
    const bool in = (request.setup[0] & kDirectionIn) != 0;
    if (!in)
        request.outData.assign(buffer->data + kSetupSize, buffer->data + kSetupSize + wLength);
    ControlAnswer answer;
    if (responder_) {
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        answer = responder_(request);
    } else {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        answer = AnswerControl(request);
    }
    const std::size_t inLength = std::min(answer.inData.size(), wLength);
    std::copy_n(answer.inData.begin(), inLength, buffer->data + kSetupSize);
    urb = reinterpret_cast<usbdevfs_urb*>(urbData->data);
    urb->status = answer.status;
    urb->actual_length = answer.status != 0 ? 0 : static_cast<int>(in ? inLength : wLength);
    std::lock_guard lock(mutex_);
    completed_.push_back({urbData, buffer});
    umockdev_ioctl_client_complete(client, 0, 0);
}

void EmulatedDevice::ReapUrb(UMockdevIoctlClient* client) {
    std::lock_guard lock(mutex_);
    if (completed_.empty()) {
        umockdev_ioctl_client_complete(client, -1, disconnected_ ? ENODEV : EAGAIN);
        return;
    }
    UMockdevIoctlData* slot = Resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(void*));
    if (slot == nullptr) {
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return;
    }
    const CompletedUrb done = completed_.front();
    completed_.pop_front();
    // The kernel hands back the caller's own address of the finished URB. Its
    // status, length and IN data already went back when it was submitted, so
    // the address is written as a plain value: umockdev_ioctl_data_set_ptr()
    // with the URB resolved by that earlier call gave libusb a bad pointer.
    const auto address = static_cast<std::uintptr_t>(done.urb->client_addr);
    std::memcpy(slot->data, &address, sizeof address);
    umockdev_ioctl_client_complete(client, 0, 0);
    g_object_unref(slot);
    g_object_unref(done.buffer);
    g_object_unref(done.urb);
}

ControlAnswer EmulatedDevice::AnswerControl(const ReceivedRequest& request) const {
    const std::uint8_t type = request.setup[0];
    const std::uint8_t code = request.setup[1];
    const std::size_t wLength = Le16(&request.setup[6]);
    auto cut = [wLength](const std::vector<std::uint8_t>& bytes) {
        return std::vector<std::uint8_t>(bytes.begin(),
                                         bytes.begin() + std::min(bytes.size(), wLength));
    };
    if ((type & kTypeMask) == kTypeStandard && (type & kDirectionIn) != 0 &&
        code == kGetDescriptor && Le16(&request.setup[2]) == kDeviceDescriptorValue) {
        return {0, cut(deviceDescriptor_)};
    }
    if ((type & kTypeMask) == kTypeVendor) {
        if ((type & kDirectionIn) == 0)
            return {0, {}};
        const auto it = inAnswers_.find(code);
        if (it != inAnswers_.end())
            return {0, cut(it->second)};
    }
    return {-EPIPE, {}};
}

}  // namespace umockdev_test
