#include "usb/libusb_device_backend.h"

#include <cstdio>
#include <utility>

#include "usb/libusb_device_list.h"
#include "usb/libusb_interfaces.h"
#include "usb/request_trace.h"

namespace usb {
namespace {

std::string SetupText(const ControlSetup& setup) {
    char text[32];
    std::snprintf(text, sizeof text, "%02x %02x %04x %04x %u", setup.requestType, setup.request,
                  setup.value, setup.index, static_cast<unsigned>(setup.length));
    return text;
}

}  // namespace

LibusbDeviceBackend::LibusbDeviceBackend(libusb::ContextPtr context)
    : context_(std::move(context)) {}

std::optional<std::vector<std::string>> LibusbDeviceBackend::ListInterfacePaths(
    const Guid& interfaceClass) {
    const libusb::DeviceList list(context_.get());
    if (list.Error() != 0) {
        Fail(list.Error(), "libusb_get_device_list", {});
        return std::nullopt;
    }
    std::vector<std::string> paths;
    for (libusb::InterfaceEntry& entry : libusb::InterfacesOfClass(list, interfaceClass)) {
        paths.push_back(std::move(entry.path));
    }
    return paths;
}

DeviceBackend::OpenResult LibusbDeviceBackend::Open(const std::string& path) {
    // Enumerate afresh: the device may have gone, or come back at a new address.
    const libusb::DeviceList list(context_.get());
    if (list.Error() != 0) {
        Fail(list.Error(), "libusb_get_device_list", path);
        return {OpenStatus::Failed, 0};
    }
    libusb_device* device = libusb::FindByPath(list, path);
    if (device == nullptr) {
        Fail(LIBUSB_ERROR_NO_DEVICE, "open", path);
        return {OpenStatus::NoSuchDevice, 0};
    }
    libusb_device_handle* raw = nullptr;
    const int result = libusb_open(device, &raw);
    if (result != LIBUSB_SUCCESS) {
        Fail(result, "libusb_open", path);
        return {OpenStatusFromLibusb(result), 0};
    }
    if (nextHandle_ == 0)
        nextHandle_ = 1;  // 0 never names a handle
    const HandleId id = nextHandle_++;
    handles_.emplace(id, libusb::DeviceHandlePtr(raw));
    return {OpenStatus::Ok, id};
}

void LibusbDeviceBackend::Close(HandleId handle) noexcept {
    const auto it = handles_.find(handle);
    if (it != handles_.end())
        handles_.erase(it);
}

IoResult LibusbDeviceBackend::IoControl(HandleId handle, std::uint32_t controlCode,
                                        std::span<const std::uint8_t> input,
                                        std::span<std::uint8_t> output) {
    const auto it = handles_.find(handle);
    if (it == handles_.end())
        return IoResult::Failure(LIBUSB_ERROR_NO_DEVICE, "IoControl: no such handle");
    const std::optional<DecodedCall> call = DecodeControlCall(controlCode, input, output);
    if (!call) {
        char code[24];
        std::snprintf(code, sizeof code, "control code %#x", controlCode);
        return Fail(LIBUSB_ERROR_INVALID_PARAM, "decode", code);
    }
    if (call->kind == DecodedCall::Kind::SupportQuery)
        return AnswerSupportQuery(it->second.get());
    return Transfer(it->second.get(), *call);
}

IoResult LibusbDeviceBackend::Transfer(libusb_device_handle* handle, const DecodedCall& call) {
    const ControlSetup& setup = call.setup;
    // libusb takes a non-const pointer in both directions but only reads OUT
    // data; the buffer is exactly setup.length bytes, so a device that sends
    // fewer bytes leaves the rest untouched and one cannot send more.
    unsigned char* data =
        setup.IsIn() ? call.inBuffer.data() : const_cast<unsigned char*>(call.outData.data());
    unsigned char none = 0;
    if (data == nullptr)
        data = &none;
    const int result =
        libusb_control_transfer(handle, setup.requestType, setup.request, setup.value, setup.index,
                                data, setup.length, kTransferTimeoutMs);
    if (result < 0)
        return Fail(result, "libusb_control_transfer", SetupText(setup));
    // The count decides: a device that answers fewer bytes than asked leaves
    // the rest of the buffer as it was, and the link must know.
    return IoResult::Success(static_cast<std::size_t>(result));
}

IoResult LibusbDeviceBackend::AnswerSupportQuery(libusb_device_handle* handle) {
    // There is no kernel-streaming filter to ask; a device that answers a
    // standard request on endpoint 0 is one that vendor requests can reach.
    DecodedCall call;
    std::uint8_t descriptor[kDeviceDescriptorSize] = {};
    call.setup = {LIBUSB_ENDPOINT_IN, LIBUSB_REQUEST_GET_DESCRIPTOR, LIBUSB_DT_DEVICE << 8, 0,
                  kDeviceDescriptorSize};
    call.inBuffer = descriptor;
    IoResult io = Transfer(handle, call);
    io.bytesReturned = 0;  // the query has no output buffer of its own
    return io;
}

IoResult LibusbDeviceBackend::Fail(int code, std::string call, std::string subject) {
    lastError_ = {code, std::move(call), std::move(subject)};
    if (log_ != nullptr)
        log_->Line(lastError_.ToString());
    return IoResult::Failure(code, lastError_.call + ": " + libusb_error_name(code));
}

}  // namespace usb
