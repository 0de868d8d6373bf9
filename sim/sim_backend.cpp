#include "sim/sim_backend.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "sim/virtual_clock.h"
#include "usb/guid.h"
#include "usb/interface_path.h"
#include "usb/transport_blocks.h"

namespace sim {

SimBackend::SimBackend(usb::Clock& clock) : clock_(clock) {}

SimBackend::~SimBackend() = default;

void SimBackend::Plug(const std::string& location, const std::shared_ptr<SimDevice>& device,
                      usb::Clock* clock) {
    const std::lock_guard lock(mutex_);
    Unplug(location);
    device->ApplyFaultPlan(faults_);
    slots_.push_back(Slot{location, device, nextPlugId_++, clock != nullptr ? clock : &clock_});
    device->OnPlugged();
}

void SimBackend::Unplug(const std::string& location) {
    const std::lock_guard lock(mutex_);
    const auto it = std::find_if(slots_.begin(), slots_.end(),
                                 [&](const Slot& slot) { return slot.location == location; });
    if (it == slots_.end())
        return;
    const std::shared_ptr<SimDevice> device = it->device;  // outlives the slot
    slots_.erase(it);
    device->OnUnplugged();
}

void SimBackend::PowerCycle(const std::string& location) {
    const std::lock_guard lock(mutex_);
    const Slot* slot = FindSlot(location);
    if (slot == nullptr)
        return;
    const std::shared_ptr<SimDevice> device = slot->device;
    usb::Clock* clock = slot->clock;
    Unplug(location);
    // A device with a supply of its own keeps running without its cable.
    device->OnPowerLost();
    Plug(location, device, clock);
}

SimDevice* SimBackend::DeviceAt(const std::string& location) const {
    const std::lock_guard lock(mutex_);
    for (const Slot& slot : slots_) {
        if (slot.location == location)
            return slot.device.get();
    }
    return nullptr;
}

usb::Clock* SimBackend::ClockAt(const std::string& location) const {
    const std::lock_guard lock(mutex_);
    for (const Slot& slot : slots_) {
        if (slot.location == location)
            return slot.clock;
    }
    return nullptr;
}

std::vector<std::string> SimBackend::Locations() const {
    const std::lock_guard lock(mutex_);
    std::vector<std::string> locations;
    for (const Slot& slot : slots_)
        locations.push_back(slot.location);
    return locations;
}

void SimBackend::SetFaultPlan(const FaultPlan& plan) {
    const std::lock_guard lock(mutex_);
    faults_ = plan;
    faultRequests_ = 0;
    shortRepliesGiven_ = 0;
    injected_ = {};
    for (const Slot& slot : slots_)
        slot.device->ApplyFaultPlan(plan);
}

std::optional<std::vector<std::string>> SimBackend::ListInterfacePaths(
    const usb::Guid& interfaceClass) {
    const std::lock_guard lock(mutex_);
    const bool audio = interfaceClass == usb::kAudioDriverInterfaceClass;
    std::vector<std::string> paths;
    if (!audio && interfaceClass != usb::kUsbDeviceInterfaceClass)
        return paths;
    for (const Slot& slot : slots_) {
        const UsbIdentity& id = slot.device->Identity();
        if (audio && !id.hasAudioInterface)
            continue;
        paths.push_back(usb::MakeInterfacePath(id.vid, id.pid, slot.location, interfaceClass));
    }
    return paths;
}

usb::DeviceBackend::OpenResult SimBackend::Open(const std::string& path) {
    const std::lock_guard lock(mutex_);
    for (const Slot& slot : slots_) {
        const UsbIdentity& id = slot.device->Identity();
        for (const usb::Guid* cls :
             {&usb::kAudioDriverInterfaceClass, &usb::kUsbDeviceInterfaceClass}) {
            if (cls == &usb::kAudioDriverInterfaceClass && !id.hasAudioInterface)
                continue;
            if (usb::MakeInterfacePath(id.vid, id.pid, slot.location, *cls) != path)
                continue;
            if (refuseOpens_)
                return OpenResult{usb::OpenStatus::PermissionDenied, 0};
            const HandleId handleId = nextHandle_++;
            handles_.push_back(
                Handle{handleId, slot.plugId, slot.device->Enumeration(), slot.device.get()});
            return OpenResult{usb::OpenStatus::Ok, handleId};
        }
    }
    return OpenResult{usb::OpenStatus::NoSuchDevice, 0};
}

void SimBackend::Close(HandleId handle) noexcept {
    const std::lock_guard lock(mutex_);
    const auto it = std::find_if(handles_.begin(), handles_.end(),
                                 [&](const Handle& h) { return h.id == handle; });
    if (it != handles_.end())
        handles_.erase(it);
}

SimBackend::Slot* SimBackend::FindSlot(const std::string& location) {
    for (Slot& slot : slots_) {
        if (slot.location == location)
            return &slot;
    }
    return nullptr;
}

SimBackend::Handle* SimBackend::FindHandle(HandleId id) {
    for (Handle& handle : handles_) {
        if (handle.id == id)
            return &handle;
    }
    return nullptr;
}

const SimBackend::Slot* SimBackend::LiveSlotFor(const Handle& handle) const {
    for (const Slot& slot : slots_) {
        if (slot.plugId != handle.plugId)
            continue;
        // A device that re-enumerated is a new device to the host.
        return slot.device->Enumeration() == handle.enumeration ? &slot : nullptr;
    }
    return nullptr;
}

usb::IoResult SimBackend::IoControl(HandleId handle, std::uint32_t controlCode,
                                    std::span<const std::uint8_t> input,
                                    std::span<std::uint8_t> output) {
    const std::optional<usb::DecodedCall> call = usb::DecodeControlCall(controlCode, input, output);
    usb::Clock* latencyClock = nullptr;
    std::uint64_t number = 0;
    {
        const std::lock_guard lock(mutex_);
        ++counters_.controlCalls;
        const Handle* open = FindHandle(handle);
        const Slot* slot = open != nullptr ? LiveSlotFor(*open) : nullptr;
        // Numbered as the tool's trace lists its requests: every request handed to
        // the driver takes the next number, also one that never reaches a device
        // (gone, or no driver for it), so that fault numbers, the trace and the
        // request count agree. Probes are no requests and take none.
        number = call && usb::IsProbe(*call) ? 0 : ++faultRequests_;
        // Without an Audio-class interface no audio driver is there to take a
        // kernel-streaming request.
        if (slot == nullptr || !call ||
            (controlCode == usb::kIoctlKsProperty && !slot->device->Identity().hasAudioInterface)) {
            // Refused by the operating system or the driver: nothing reaches the bus.
            ++counters_.failed;
            return usb::IoResult::Failure(0, slot == nullptr ? "simulated bus: no such device"
                                                             : "simulated driver: request refused");
        }
        latencyClock = slot->clock;
    }
    // Outside the guard, so that requests to other devices travel meanwhile.
    ChargeLatency(*latencyClock);
    const std::lock_guard lock(mutex_);
    return Deliver(handle, *call, number);
}

usb::IoResult SimBackend::Deliver(HandleId handle, const usb::DecodedCall& call,
                                  std::uint64_t number) {
    const Handle* open = FindHandle(handle);
    const Slot* slot = open != nullptr ? LiveSlotFor(*open) : nullptr;
    if (slot == nullptr) {
        // Unplugged by another link's fault while this request travelled.
        ++counters_.failed;
        return usb::IoResult::Failure(0, "simulated bus: no such device");
    }
    // Only the log needs the location, and the slot may be gone after the faults.
    const std::string location = logging_ ? slot->location : std::string();
    SimDevice& device = *slot->device;
    std::optional<std::size_t> received;
    if (number == 0 || PassesRequestFaults(*slot, number)) {
        received = call.kind == usb::DecodedCall::Kind::SupportQuery
                       ? std::optional<std::size_t>(0)
                       : Transfer(device, call, number);
    }
    Record(location, call, received.has_value(), number);
    if (!received)
        return usb::IoResult::Failure(0, "simulated device: request stalled");
    return usb::IoResult::Success(*received);
}

void SimBackend::ChargeLatency(usb::Clock& clock) {
    if (latencyUs_ == 0)
        return;
    {
        const std::lock_guard lock(mutex_);
        counters_.latencyUs += latencyUs_;
    }
    if (auto* virtualClock = dynamic_cast<VirtualClock*>(&clock)) {
        virtualClock->AdvanceUs(latencyUs_);
    } else {
        // MinGW's sleep rounds a fraction of a millisecond down to nothing,
        // which would make requests cheaper than the bus and run the tool's
        // counted polls out before the flash is done: wait for the time itself.
        // A spin, not a yield, which on a busy machine gives the processor
        // away for a whole time slice per request.
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(latencyUs_);
        std::this_thread::sleep_for(std::chrono::microseconds(latencyUs_));
        while (std::chrono::steady_clock::now() < until) {
        }
    }
}

bool SimBackend::PassesRequestFaults(const Slot& slot, std::uint64_t n) {
    InjectDueDeviceFaults(*slot.device, n);
    if (faults_.failRequest == n)
        return false;
    if (faults_.unplugAtRequest == n) {
        const std::string location = slot.location;
        Unplug(location);
        return false;
    }
    if (faults_.powerLossAtRequest == n) {
        const std::string location = slot.location;
        PowerCycle(location);
        return false;
    }
    return true;
}

// A fault that holds from its request on starts with the first request from
// then on that reaches a device: its own number may fall on one that did not.
void SimBackend::InjectDueDeviceFaults(SimDevice& device, std::uint64_t request) {
    const auto due = [&](const std::optional<std::uint64_t>& at, bool& injected) {
        const bool now = !injected && at && *at <= request;
        injected = injected || now;
        return now;
    };
    if (due(faults_.stuckBusyAtRequest, injected_.stuckBusy))
        device.InjectFault(DeviceFault::FlashStuckBusy);
    if (due(faults_.neverReadyAtRequest, injected_.neverReady))
        device.InjectFault(DeviceFault::PassThroughNeverReady);
    if (due(faults_.corruptReadsFromRequest, injected_.corruptReads))
        device.InjectFault(DeviceFault::CorruptReads);
}

std::size_t SimBackend::ShortReplyLength(std::size_t asked) const {
    const FaultPlan::ShortReplies& cut = *faults_.shortReplies;
    return cut.half ? asked / 2 : std::min<std::size_t>(cut.maxBytes, asked);
}

std::optional<std::size_t> SimBackend::Transfer(SimDevice& device, const usb::DecodedCall& call,
                                                std::uint64_t number) {
    const auto& shortReplies = faults_.shortReplies;
    const bool cut = call.setup.IsIn() && shortReplies && number != 0 &&
                     number >= shortReplies->fromRequest &&
                     shortRepliesGiven_ < shortReplies->count;
    const std::size_t full = call.setup.IsIn() ? call.inBuffer.size() : call.outData.size();
    if (!cut) {
        if (!device.HandleControl(call.setup, call.outData, call.inBuffer))
            return std::nullopt;
        return full;
    }
    // The device answers in full; the host sees only the start of it.
    ++shortRepliesGiven_;
    std::vector<std::uint8_t> answer(call.inBuffer.begin(), call.inBuffer.end());
    const bool ok = device.HandleControl(call.setup, call.outData, answer);
    const std::size_t n = ShortReplyLength(answer.size());
    std::copy_n(answer.begin(), n, call.inBuffer.begin());
    if (!ok)
        return std::nullopt;
    return n;
}

void SimBackend::Record(const std::string& location, const usb::DecodedCall& call, bool ok,
                        std::uint64_t number) {
    if (!ok)
        ++counters_.failed;
    if (call.kind == usb::DecodedCall::Kind::SupportQuery) {
        ++counters_.supportQueries;
        return;
    }
    ++counters_.byRequestCode[call.setup.request];
    if (call.setup.IsIn()) {
        ++counters_.inRequests;
        counters_.inBytes += call.inBuffer.size();
    } else {
        ++counters_.outRequests;
        counters_.outBytes += call.outData.size();
    }
    if (!logging_)
        return;
    const auto data =
        call.setup.IsIn() ? std::span<const std::uint8_t>(call.inBuffer) : call.outData;
    log_.push_back(LoggedRequest{location, call.setup, {data.begin(), data.end()}, ok, number});
}

}  // namespace sim
