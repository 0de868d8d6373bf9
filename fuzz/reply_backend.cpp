#include "fuzz/reply_backend.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "usb/transport_blocks.h"

namespace fuzz {
namespace {

[[noreturn]] void Finding(const char* what) {
    std::fprintf(stderr, "device replies: %s\n", what);
    std::abort();
}

}  // namespace

std::optional<std::vector<std::string>> ReplyBackend::ListInterfacePaths(const usb::Guid&) {
    if (!input_.ConsumeBool())
        return std::nullopt;
    // Both identities of the bare chip, so either match string finds one.
    return std::vector<std::string>{
        R"(\\?\usb#vid_2fc6&pid_6000#1-2#{a5dcbf10-6530-11d2-901f-00c04fb951ed})",
        R"(\\?\usb#vid_0ea0&pid_6000#1-3#{a5dcbf10-6530-11d2-901f-00c04fb951ed})"};
}

usb::DeviceBackend::OpenResult ReplyBackend::Open(const std::string&) {
    if (!input_.ConsumeBool())
        return {usb::OpenStatus::NoSuchDevice, 0};
    open_.push_back(nextHandle_);
    return {usb::OpenStatus::Ok, nextHandle_++};
}

void ReplyBackend::Close(HandleId handle) noexcept {
    const auto it = std::find(open_.begin(), open_.end(), handle);
    if (it == open_.end())
        Finding("closed a handle that is not open");
    open_.erase(it);
}

usb::IoResult ReplyBackend::IoControl(HandleId handle, std::uint32_t controlCode,
                                      std::span<const std::uint8_t> input,
                                      std::span<std::uint8_t> output) {
    ++calls_;
    if (std::find(open_.begin(), open_.end(), handle) == open_.end())
        Finding("called through a handle that is not open");
    const auto call = usb::DecodeControlCall(controlCode, input, output);
    if (!call)
        Finding("sent a block its driver refuses");
    // The driver may claim success with fewer bytes than asked: the link must
    // treat that as a failed request, never read the rest.
    const std::size_t answered = Answer(call->inBuffer);
    if (!input_.ConsumeBool())
        return usb::IoResult::Failure(0, "fuzzed failure");
    return usb::IoResult::Success(answered);
}

std::size_t ReplyBackend::Answer(std::span<std::uint8_t> reply) {
    if (reply.empty())
        return 0;
    const std::size_t count = input_.ConsumeIntegralInRange<std::size_t>(0, reply.size());
    const std::vector<std::uint8_t> bytes = input_.ConsumeBytes<std::uint8_t>(count);
    std::copy(bytes.begin(), bytes.end(), reply.begin());
    return bytes.size();
}

}  // namespace fuzz
