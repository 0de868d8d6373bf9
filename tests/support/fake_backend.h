#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
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

    const std::vector<RecordedCall>& Calls() const { return calls_; }
    const std::vector<std::string>& OpenedPaths() const { return openedPaths_; }
    const std::vector<HandleId>& ClosedHandles() const { return closed_; }
    int OpenHandleCount() const { return static_cast<int>(open_.size()); }

    std::optional<std::vector<std::string>> ListInterfacePaths(
        const usb::Guid& interfaceClass) override;
    OpenResult Open(const std::string& path) override;
    void Close(HandleId handle) noexcept override;
    bool IoControl(HandleId handle, std::uint32_t controlCode, std::span<const std::uint8_t> input,
                   std::span<std::uint8_t> output) override;

private:
    std::map<std::string, std::vector<std::string>> paths_;  // by GUID text
    bool listFails_ = false;
    usb::OpenStatus openStatus_ = usb::OpenStatus::Ok;
    Handler handler_;
    HandleId nextHandle_ = 1;
    std::vector<HandleId> open_;
    std::vector<HandleId> closed_;
    std::vector<std::string> openedPaths_;
    std::vector<RecordedCall> calls_;
};

}  // namespace testing_support
