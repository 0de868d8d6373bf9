#pragma once

#include <umockdev.h>

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

namespace umockdev_test {

// One control request as the device received it.
struct ReceivedRequest {
    std::array<std::uint8_t, 8> setup{};
    std::vector<std::uint8_t> outData;
};

// The device end of usbdevfs for one emulated device: answers the URB ioctls
// that libusb issues for control transfers. Standard GET_DESCRIPTOR(device)
// returns the device descriptor; vendor IN requests return what the test
// scripted for their request code, vendor OUT requests are accepted; all
// else stalls. The ioctl handler runs on umockdev's own thread, so every
// piece of state is guarded by one mutex.
class EmulatedDevice {
public:
    explicit EmulatedDevice(std::vector<std::uint8_t> deviceDescriptor);
    EmulatedDevice(const EmulatedDevice&) = delete;
    EmulatedDevice& operator=(const EmulatedDevice&) = delete;
    ~EmulatedDevice();

    UMockdevIoctlBase* Handler() const { return handler_; }

    // The answer to vendor IN request `request`; cut to the requested length.
    void SetInAnswer(std::uint8_t request, std::vector<std::uint8_t> answer);
    // From now on every ioctl fails with ENODEV, as after a real unplug.
    void Disconnect();

    std::vector<ReceivedRequest> Requests() const;
    std::vector<unsigned long> UnknownIoctls() const;

private:
    struct CompletedUrb {
        UMockdevIoctlData* urb = nullptr;
        UMockdevIoctlData* buffer = nullptr;
    };
    struct Answer {
        int status = 0;
        std::vector<std::uint8_t> inData;
    };

    static gboolean OnIoctl(UMockdevIoctlBase* base, UMockdevIoctlClient* client, gpointer self);
    void HandleIoctl(UMockdevIoctlClient* client);
    void SubmitUrb(UMockdevIoctlClient* client);
    void ReapUrb(UMockdevIoctlClient* client);
    void GetCapabilities(UMockdevIoctlClient* client);
    Answer AnswerControl(const ReceivedRequest& request) const;

    UMockdevIoctlBase* handler_ = nullptr;
    const std::vector<std::uint8_t> deviceDescriptor_;

    mutable std::mutex mutex_;
    bool disconnected_ = false;
    std::map<std::uint8_t, std::vector<std::uint8_t>> inAnswers_;
    std::vector<ReceivedRequest> requests_;
    std::vector<unsigned long> unknownIoctls_;
    std::deque<CompletedUrb> completed_;
};

}  // namespace umockdev_test
