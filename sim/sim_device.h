#pragma once

#include <cstdint>
#include <span>

#include "usb/transport_blocks.h"

namespace sim {

struct FaultPlan;
enum class DeviceFault;

// What the host sees of a device when it enumerates: its IDs and whether it
// offers an Audio-class interface (only such devices appear in the audio
// driver's interface class).
struct UsbIdentity {
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    bool hasAudioInterface = false;

    bool operator==(const UsbIdentity&) const = default;
};

// One USB device on the simulated bus. The base class answers the standard
// GET_DESCRIPTOR request for its device descriptor and stalls everything else,
// so it doubles as an unrelated device sitting next to the product.
class SimDevice {
public:
    explicit SimDevice(UsbIdentity identity) : identity_(identity) {}
    SimDevice(const SimDevice&) = delete;
    SimDevice& operator=(const SimDevice&) = delete;
    virtual ~SimDevice() = default;

    const UsbIdentity& Identity() const { return identity_; }

    // Counts enumerations. The bus compares it with the value seen at open,
    // so a handle does not survive the device re-enumerating, even under the
    // same identity.
    std::uint64_t Enumeration() const { return enumeration_; }

    // One control transfer. `outData` holds the OUT data stage, `inBuffer`
    // receives the IN data stage (setup.length bytes). False is a stall.
    virtual bool HandleControl(const usb::ControlSetup& setup,
                               std::span<const std::uint8_t> outData,
                               std::span<std::uint8_t> inBuffer);

    // The cable: a bus-powered device gets its power with the plug and loses
    // it with the unplug; one with a supply of its own keeps running.
    virtual void OnPlugged() {}
    virtual void OnUnplugged() {}
    // The power went, whatever feeds the device (the bus has unplugged it first).
    virtual void OnPowerLost() {}

    // The device-side part of a fault plan (the bus keeps the request-level part).
    virtual void ApplyFaultPlan(const FaultPlan& /*plan*/) {}
    // A request-numbered fault of the plan has come due for this device.
    virtual void InjectFault(DeviceFault /*fault*/) {}

protected:
    // Detaches and attaches again, possibly as something else.
    void Reenumerate(UsbIdentity identity);

private:
    bool AnswerDeviceDescriptor(const usb::ControlSetup& setup,
                                std::span<std::uint8_t> inBuffer) const;

    UsbIdentity identity_;
    std::uint64_t enumeration_ = 0;
};

}  // namespace sim
