#pragma once

#include <umockdev.h>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

namespace umockdev_test {

// One control request as the device received it.
struct ReceivedRequest {
    std::array<std::uint8_t, 8> setup{};
    std::vector<std::uint8_t> outData;
};

// How a control request ended: a URB status (0, -EPIPE for a stall,
// -ESHUTDOWN for a device that went away under it) and the IN data.
struct ControlAnswer {
    int status = 0;
    std::vector<std::uint8_t> inData;
};

// Answers one control request. It runs on umockdev's thread.
using ControlResponder = std::function<ControlAnswer(const ReceivedRequest&)>;

// The device end of usbdevfs for one emulated device: answers the URB ioctls
// that libusb issues for control transfers. A scripted device returns its
// device descriptor for standard GET_DESCRIPTOR(device), what the test
// scripted for a vendor IN request code, accepts vendor OUT requests and
// stalls all else; a responding device hands every control request to its
// responder. The ioctl handler runs on umockdev's own thread, so every piece
// of state is guarded by one mutex, which is not held while a responder runs:
// a responder may unplug the very device it answers for.
class EmulatedDevice {
public:
    explicit EmulatedDevice(std::vector<std::uint8_t> deviceDescriptor);
    explicit EmulatedDevice(ControlResponder responder);
    EmulatedDevice(const EmulatedDevice&) = delete;
    EmulatedDevice& operator=(const EmulatedDevice&) = delete;
    ~EmulatedDevice();

    UMockdevIoctlBase* Handler() const { return handler_; }

    // The answer to vendor IN request `request`; cut to the requested length.
    void SetInAnswer(std::uint8_t request, std::vector<std::uint8_t> answer);
    // From now on every ioctl fails with ENODEV, as after a real unplug;
    // URBs that completed before can still be reaped, as with the kernel.
    void Disconnect();

    std::vector<ReceivedRequest> Requests() const;
    std::vector<unsigned long> UnknownIoctls() const;

private:
    struct CompletedUrb {
        UMockdevIoctlData* urb = nullptr;
        UMockdevIoctlData* buffer = nullptr;
    };
    static gboolean OnIoctl(UMockdevIoctlBase* base, UMockdevIoctlClient* client, gpointer self);
    void HandleIoctl(UMockdevIoctlClient* client);
    void SubmitUrb(UMockdevIoctlClient* client);
    void ReapUrb(UMockdevIoctlClient* client);
    void GetCapabilities(UMockdevIoctlClient* client);
    ControlAnswer AnswerControl(const ReceivedRequest& request) const;

    UMockdevIoctlBase* handler_ = nullptr;
    const std::vector<std::uint8_t> deviceDescriptor_;
    const ControlResponder responder_;

    mutable std::mutex mutex_;
    bool disconnected_ = false;
    std::map<std::uint8_t, std::vector<std::uint8_t>> inAnswers_;
    std::vector<ReceivedRequest> requests_;
    std::vector<unsigned long> unknownIoctls_;
    std::deque<CompletedUrb> completed_;
};

}  // namespace umockdev_test
