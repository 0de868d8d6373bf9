#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "usb/device_backend.h"
#include "usb/transport_blocks.h"

namespace testing_support {

// A scriptable backend for unit tests of the link and the chip commands:
// tests set the interface paths per class, the outcome of opens, and a
// handler for each decoded control call; every call is recorded raw.
class FakeBackend final : public usb::DeviceBackend {
public:
    struct RecordedCall {
        HandleId handle = 0;
        std::uint32_t controlCode = 0;
        std::vector<std::uint8_t> input;
        std::size_t outputSize = 0;
        std::vector<std::uint8_t> outputBefore;  // the caller's buffer as handed over
    };

    // Answers a decoded call: fill `call.inBuffer` for IN requests. Return
    // false to make the control call fail.
    using Handler = std::function<bool(const usb::DecodedCall& call)>;

    void SetPaths(const usb::Guid& interfaceClass, std::vector<std::string> paths);
    void SetListFails(bool fails) { listFails_ = fails; }
    void SetOpenStatus(usb::OpenStatus status) { openStatus_ = status; }
    void SetHandler(Handler handler) { handler_ = std::move(handler); }
    // From now on IN answers deliver at most `maxBytes` bytes, as a device
    // that ends its data stage early: the call succeeds, reports the shorter
    // count, and the rest of the caller's buffer keeps what it held.
    // With `request` given, only answers to that request code are cut.
    void CutInReplies(std::size_t maxBytes, std::optional<std::uint8_t> request = {}) {
        inReplyLimit_ = maxBytes;
        cutRequest_ = request;
    }
    // The error a failing handler's call reports.
    void SetFailure(int code, std::string text) { failure_ = {code, std::move(text)}; }

    const std::vector<RecordedCall>& Calls() const { return calls_; }
    const std::vector<std::string>& OpenedPaths() const { return openedPaths_; }
    const std::vector<HandleId>& ClosedHandles() const { return closed_; }
    int OpenHandleCount() const { return static_cast<int>(open_.size()); }

    std::optional<std::vector<std::string>> ListInterfacePaths(
        const usb::Guid& interfaceClass) override;
    OpenResult Open(const std::string& path) override;
    void Close(HandleId handle) noexcept override;
    usb::IoResult IoControl(HandleId handle, std::uint32_t controlCode,
                            std::span<const std::uint8_t> input,
                            std::span<std::uint8_t> output) override;

private:
    std::map<std::string, std::vector<std::string>> paths_;  // by GUID text
    bool listFails_ = false;
    usb::OpenStatus openStatus_ = usb::OpenStatus::Ok;
    Handler handler_;
    std::optional<std::size_t> inReplyLimit_;
    std::optional<std::uint8_t> cutRequest_;
    std::pair<int, std::string> failure_;
    HandleId nextHandle_ = 1;
    std::vector<HandleId> open_;
    std::vector<HandleId> closed_;
    std::vector<std::string> openedPaths_;
    std::vector<RecordedCall> calls_;
};

}  // namespace testing_support
