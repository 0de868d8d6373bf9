#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "emulated_device.h"
#include "sim/fault_plan.h"
#include "sim/sim_backend.h"

namespace usb {
class Clock;
}

namespace umockdev_test {

class UsbTestbed;

// The simulated bus of the chip simulator, shown to libusb through the
// testbed. Every device on the simulated bus appears in sysfs and udev under
// its current identity, and every usbfs control transfer to it is carried by
// the simulated bus itself (sim::SimBackend, on the vendor-driver block that
// passes any setup packet), so its latency and fault plan apply as in every
// other test. Whenever a device leaves the simulated bus or re-enumerates
// (the chip booting after ISP mode, a power loss) its testbed device is
// unplugged and, when it is still there, added again at a new address with
// the descriptors of its new identity: libusb sees the re-enumeration through
// its hotplug path, as it would with hardware.
//
// The ioctl handlers run on umockdev's thread, the test on its own; one mutex
// serialises both over the simulated bus and the testbed. Devices sit on root
// ports of bus 1: locations "1-N".
class SimBusBridge {
public:
    // Destroy it after libusb and the testbed.
    SimBusBridge(UsbTestbed& testbed, usb::Clock& clock);
    SimBusBridge(const SimBusBridge&) = delete;
    SimBusBridge& operator=(const SimBusBridge&) = delete;
    ~SimBusBridge();

    // Plugs (powers up) `device` at `location`, as SimBackend::Plug does.
    void Plug(const std::string& location, const std::shared_ptr<sim::SimDevice>& device);
    // Replaces the fault plan; request numbers count from the next transfer.
    void SetFaultPlan(const sim::FaultPlan& plan);

    // Runs `look` on the simulated bus while no transfer can run.
    template <typename Look>
    auto Inspect(Look&& look) {
        std::lock_guard lock(mutex_);
        return look(backend_);
    }

private:
    // One enumeration of one device: what the testbed shows of it and the
    // simulated bus's handle that its transfers go through.
    struct Port {
        std::string location;
        const sim::SimDevice* device = nullptr;
        std::uint64_t enumeration = 0;
        usb::DeviceBackend::HandleId handle = 0;
        std::string sysPath;
        std::unique_ptr<EmulatedDevice> emulated;
        bool current = true;
    };

    ControlAnswer Forward(Port& port, const ReceivedRequest& request);
    // Brings the testbed in line with the simulated bus; mutex held.
    void Sync();
    std::unique_ptr<Port> Attach(const std::string& location);
    void Retire(std::unique_ptr<Port> port);

    UsbTestbed& testbed_;
    std::mutex mutex_;
    sim::SimBackend backend_;
    std::vector<std::unique_ptr<Port>> ports_;
    // Gone from the bus; kept because umockdev may still hold their handlers.
    std::vector<std::unique_ptr<Port>> retired_;
    std::uint8_t nextAddress_ = 2;
};

}  // namespace umockdev_test
