#include "sim_bus_bridge.h"

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "sim/sim_device.h"
#include "usb/guid.h"
#include "usb/interface_path.h"
#include "usb/transport_blocks.h"
#include "usb_descriptors.h"
#include "usb_testbed.h"

namespace umockdev_test {
namespace {

constexpr std::uint8_t kBus = 1;
constexpr std::uint8_t kLastAddress = 127;

usb::ControlSetup SetupOf(const ReceivedRequest& request) {
    const auto& s = request.setup;
    return {s[0], s[1], static_cast<std::uint16_t>(s[2] | (s[3] << 8)),
            static_cast<std::uint16_t>(s[4] | (s[5] << 8)),
            static_cast<std::uint16_t>(s[6] | (s[7] << 8))};
}

std::vector<std::uint8_t> DescriptorsOf(const sim::UsbIdentity& id) {
    if (id.hasAudioInterface)
        return DescriptorsBlob(id.vid, id.pid, 0, {kAudioControl, kAudioStreaming});
    return DescriptorsBlob(id.vid, id.pid, 0, {kVendorSpecific});
}

}  // namespace

SimBusBridge::SimBusBridge(UsbTestbed& testbed, usb::Clock& clock)
    : testbed_(testbed), backend_(clock) {}

// By now libusb and the testbed are gone, so no handler runs any more;
// nothing here may touch the testbed.
SimBusBridge::~SimBusBridge() = default;

void SimBusBridge::Plug(const std::string& location,
                        const std::shared_ptr<sim::SimDevice>& device) {
    std::lock_guard lock(mutex_);
    backend_.Plug(location, device);
    Sync();
}

void SimBusBridge::SetFaultPlan(const sim::FaultPlan& plan) {
    std::lock_guard lock(mutex_);
    backend_.SetFaultPlan(plan);
}

ControlAnswer SimBusBridge::Forward(Port& port, const ReceivedRequest& request) {
    std::lock_guard lock(mutex_);
    if (!port.current)
        return {-ESHUTDOWN, {}};
    const usb::ControlSetup setup = SetupOf(request);
    std::vector<std::uint8_t> data =
        setup.IsIn() ? std::vector<std::uint8_t>(setup.length) : request.outData;
    const usb::IoResult io = backend_.IoControl(
        port.handle, setup.IsIn() ? usb::kIoctlVendorIn : usb::kIoctlVendorOut,
        usb::EncodeVendorBlock(setup.requestType, setup.request, setup.value, setup.index), data);
    Sync();
    if (!io) {
        // A request that the device did not live to answer dies with it.
        return {port.current ? -EPIPE : -ESHUTDOWN, {}};
    }
    data.resize(setup.IsIn() ? io.bytesReturned : 0);
    return {0, std::move(data)};
}

void SimBusBridge::Sync() {
    // The kernel removes the old device before the new one is announced.
    for (auto it = ports_.begin(); it != ports_.end();) {
        const sim::SimDevice* now = backend_.DeviceAt((*it)->location);
        if (now == (*it)->device && now->Enumeration() == (*it)->enumeration) {
            ++it;
            continue;
        }
        Retire(std::move(*it));
        it = ports_.erase(it);
    }
    for (const std::string& location : backend_.Locations()) {
        const bool shown = std::any_of(ports_.begin(), ports_.end(), [&](const auto& port) {
            return port->location == location;
        });
        if (!shown)
            ports_.push_back(Attach(location));
    }
}

std::unique_ptr<SimBusBridge::Port> SimBusBridge::Attach(const std::string& location) {
    if (nextAddress_ > kLastAddress)
        throw std::runtime_error("the emulated bus ran out of addresses");
    auto port = std::make_unique<Port>();
    const sim::SimDevice& device = *backend_.DeviceAt(location);
    const sim::UsbIdentity& id = device.Identity();
    port->location = location;
    port->device = &device;
    port->enumeration = device.Enumeration();
    port->handle =
        backend_
            .Open(usb::MakeInterfacePath(id.vid, id.pid, location, usb::kUsbDeviceInterfaceClass))
            .handle;
    port->emulated = std::make_unique<EmulatedDevice>(
        [this, at = port.get()](const ReceivedRequest& request) { return Forward(*at, request); });
    port->sysPath =
        testbed_.Add({location, "", kBus, nextAddress_++, id.vid, id.pid, DescriptorsOf(id)},
                     port->emulated.get());
    return port;
}

void SimBusBridge::Retire(std::unique_ptr<Port> port) {
    port->current = false;
    testbed_.Unplug(port->sysPath, *port->emulated);
    backend_.Close(port->handle);
    retired_.push_back(std::move(port));
}

}  // namespace umockdev_test
