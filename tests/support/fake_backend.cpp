#include "fake_backend.h"

#include <algorithm>
#include <cstdint>

namespace testing_support {

void FakeBackend::SetPaths(const usb::Guid& interfaceClass, std::vector<std::string> paths) {
    paths_[usb::GuidToString(interfaceClass)] = std::move(paths);
}

std::optional<std::vector<std::string>> FakeBackend::ListInterfacePaths(
    const usb::Guid& interfaceClass) {
    if (listFails_)
        return std::nullopt;
    const auto it = paths_.find(usb::GuidToString(interfaceClass));
    if (it == paths_.end())
        return std::vector<std::string>{};
    return it->second;
}

usb::DeviceBackend::OpenResult FakeBackend::Open(const std::string& path) {
    openedPaths_.push_back(path);
    if (openStatus_ != usb::OpenStatus::Ok)
        return {openStatus_, 0};
    const HandleId id = nextHandle_++;
    open_.push_back(id);
    return {usb::OpenStatus::Ok, id};
}

void FakeBackend::Close(HandleId handle) noexcept {
    open_.erase(std::remove(open_.begin(), open_.end(), handle), open_.end());
    closed_.push_back(handle);
}

usb::IoResult FakeBackend::IoControl(HandleId handle, std::uint32_t controlCode,
                                     std::span<const std::uint8_t> input,
                                     std::span<std::uint8_t> output) {
    calls_.push_back({handle,
                      controlCode,
                      {input.begin(), input.end()},
                      output.size(),
                      {output.begin(), output.end()}});
    if (std::find(open_.begin(), open_.end(), handle) == open_.end())
        return usb::IoResult::Failure();
    const auto call = usb::DecodeControlCall(controlCode, input, output);
    if (!call)
        return usb::IoResult::Failure();
    const std::vector<std::uint8_t> before(output.begin(), output.end());
    if (handler_ && !handler_(*call))
        return usb::IoResult::Failure(failure_.first, failure_.second);
    if (!call->setup.IsIn())
        return usb::IoResult::Success(call->outData.size());
    const bool cut = inReplyLimit_ && (!cutRequest_ || *cutRequest_ == call->setup.request);
    const std::size_t delivered =
        cut ? std::min(call->inBuffer.size(), *inReplyLimit_) : call->inBuffer.size();
    // What the device did not send never reached the caller's buffer.
    std::copy(before.begin() + static_cast<std::ptrdiff_t>(delivered), before.end(),
              output.begin() + static_cast<std::ptrdiff_t>(delivered));
    return usb::IoResult::Success(delivered);
}

}  // namespace testing_support
