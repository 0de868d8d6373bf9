#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/fault_plan.h"
#include "sim/request_counters.h"
#include "sim/sim_device.h"
#include "usb/device_backend.h"

namespace usb {
class Clock;
}

namespace sim {

class VirtualClock;

// The simulated USB bus behind the device link: devices are plugged into and
// unplugged from locations ("1-2") at any time, interface paths are made as
// the real backend makes them, and each control call is decoded as the two
// drivers would and handed to the device. Every call costs the configured
// latency on the clock: with a VirtualClock it advances virtual time, with a
// real clock it sleeps.
//
// Latency 0 is for measuring host cost only: with it no time passes between
// requests, so un-paced polls (flash status, I2C done) see the chip still busy.
//
// Links to different devices may call it from threads of their own, as they
// would a real bus: the bus's tables are guarded, and a request's latency is
// waited for outside the guard, on the clock of the device it goes to.
class SimBackend final : public usb::DeviceBackend {
public:
    static constexpr std::uint32_t kHighSpeedLatencyUs = 125;   // one microframe
    static constexpr std::uint32_t kFullSpeedLatencyUs = 1000;  // one frame

    // One logged control transfer: OUT data as sent, or IN data as answered.
    struct LoggedRequest {
        std::string location;
        usb::ControlSetup setup;
        std::vector<std::uint8_t> data;
        bool ok = false;
        // Its number as a fault plan counts it (from 1 since the plan was
        // set), so that a test can aim a fault at a request it has seen;
        // 0 for a probe, which is no request.
        std::uint64_t planNumber = 0;
    };

    explicit SimBackend(usb::Clock& clock);
    ~SimBackend() override;

    // Plugging powers the device up (SimDevice::OnPlugged); a device already
    // at that location is unplugged first. `clock` is the one the device
    // keeps its time by, when not the bus's: requests to it cost their
    // latency there.
    void Plug(const std::string& location, const std::shared_ptr<SimDevice>& device,
              usb::Clock* clock = nullptr);
    // Powers the device down; open handles to it fail from now on. No-op when empty.
    void Unplug(const std::string& location);
    // Unplug, power off and plug back the same device: what a power loss does.
    void PowerCycle(const std::string& location);
    SimDevice* DeviceAt(const std::string& location) const;
    // The clock the device at `location` keeps its time by; null when none is there.
    usb::Clock* ClockAt(const std::string& location) const;
    std::vector<std::string> Locations() const;

    void SetLatencyUs(std::uint32_t us) { latencyUs_ = us; }
    std::uint32_t LatencyUs() const { return latencyUs_; }

    // Replaces the plan (request numbers restart at 1) and hands the device
    // part to every plugged device and to devices plugged later. Requests
    // are numbered as fault_plan.h says, the same as the tool's trace lists them.
    void SetFaultPlan(const FaultPlan& plan);
    void ClearFaultPlan() { SetFaultPlan(FaultPlan{}); }

    const RequestCounters& Counters() const { return counters_; }
    void ResetCounters() { counters_ = RequestCounters{}; }

    // Logging copies every control transfer; off by default to keep calls cheap.
    void SetLogging(bool on) { logging_ = on; }
    const std::vector<LoggedRequest>& Log() const { return log_; }
    void ClearLog() { log_.clear(); }

    int OpenHandleCount() const { return static_cast<int>(handles_.size()); }

    // Opens of present devices are refused for lack of permission, as on a
    // machine without the udev rule.
    void SetOpensRefused(bool refused) { refuseOpens_ = refused; }

    // usb::DeviceBackend
    std::optional<std::vector<std::string>> ListInterfacePaths(
        const usb::Guid& interfaceClass) override;
    OpenResult Open(const std::string& path) override;
    void Close(HandleId handle) noexcept override;
    usb::IoResult IoControl(HandleId handle, std::uint32_t controlCode,
                            std::span<const std::uint8_t> input,
                            std::span<std::uint8_t> output) override;

private:
    struct Slot {
        std::string location;
        std::shared_ptr<SimDevice> device;
        std::uint64_t plugId = 0;
        usb::Clock* clock = nullptr;
    };
    struct Handle {
        HandleId id = 0;
        std::uint64_t plugId = 0;
        std::uint64_t enumeration = 0;
        SimDevice* device = nullptr;
    };

    Slot* FindSlot(const std::string& location);
    const Slot* LiveSlotFor(const Handle& handle) const;
    Handle* FindHandle(HandleId id);
    void ChargeLatency(usb::Clock& clock);
    // The part of a request after its latency, under the guard.
    usb::IoResult Deliver(HandleId handle, const usb::DecodedCall& call, std::uint64_t number);
    // False when the plan fails request `n` (and may have unplugged `slot`).
    bool PassesRequestFaults(const Slot& slot, std::uint64_t n);
    void InjectDueDeviceFaults(SimDevice& device, std::uint64_t request);
    std::size_t ShortReplyLength(std::size_t asked) const;
    // The bytes the host received (all of an IN answer unless the plan cuts
    // request `number` short), or nothing when the device stalled.
    std::optional<std::size_t> Transfer(SimDevice& device, const usb::DecodedCall& call,
                                        std::uint64_t number);
    void Record(const std::string& location, const usb::DecodedCall& call, bool ok,
                std::uint64_t number);

    // Recursive: an injected unplug or power loss plugs and unplugs from
    // inside a request.
    mutable std::recursive_mutex mutex_;
    usb::Clock& clock_;
    std::uint32_t latencyUs_ = kHighSpeedLatencyUs;
    std::vector<Slot> slots_;
    std::vector<Handle> handles_;
    HandleId nextHandle_ = 1;
    std::uint64_t nextPlugId_ = 1;

    FaultPlan faults_;
    std::uint64_t faultRequests_ = 0;
    std::uint64_t shortRepliesGiven_ = 0;
    struct Injected {
        bool stuckBusy = false;
        bool neverReady = false;
        bool corruptReads = false;
    } injected_;

    RequestCounters counters_;
    bool logging_ = false;
    bool refuseOpens_ = false;
    std::vector<LoggedRequest> log_;
};

}  // namespace sim
