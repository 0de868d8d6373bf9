#pragma once

#include <cstdint>
#include <limits>
#include <optional>

namespace sim {

// Faults that the bus hands to a device at a given request, for the device
// to carry on from then.
enum class DeviceFault {
    FlashStuckBusy,         // the flash reports busy for ever
    PassThroughNeverReady,  // the pass-through engine never reports ready
    CorruptReads,           // every flash read delivers its first byte altered
};

// Faults to inject, set on the bus with SimBackend::SetFaultPlan. Request
// numbers count the requests handed to the bus from the moment the plan is
// set (1 is the next), as the tool's trace lists them and its request count
// counts them: one that the bus refuses (its device gone) takes a number too,
// a probe (support query, device descriptor read) does not. Every fault ends
// in failed requests or wrong data, never in a call that blocks.
struct FaultPlan {
    // That one request fails as a stall; the device never sees it.
    std::optional<std::uint64_t> failRequest;

    // The device that this request is addressed to is unplugged before the
    // request reaches it; the request and everything after it on its handles
    // fail. A bus-powered product loses its power with the cable.
    std::optional<std::uint64_t> unplugAtRequest;

    // The product this request is addressed to loses power before it answers:
    // the request fails, the chip restarts with what its flash holds (array and
    // non-volatile status bits; an erase or program then running stops where
    // it had got to) and enumerates by its boot rule.
    std::optional<std::uint64_t> powerLossAtRequest;

    // From this request on (before it reaches the device; or from the first
    // later one that reaches a device) the flash reports busy for ever, the
    // engine never reports ready, or every flash read delivers its first
    // byte XOR 0x01.
    std::optional<std::uint64_t> stuckBusyAtRequest;
    std::optional<std::uint64_t> neverReadyAtRequest;
    std::optional<std::uint64_t> corruptReadsFromRequest;

    // IN requests whose data stage ends early: `count` IN requests from request
    // number `fromRequest` on deliver at most `maxBytes` bytes (with `half`,
    // half of what was asked, rounded down); the rest of the caller's buffer
    // keeps its old contents. The request still succeeds.
    struct ShortReplies {
        std::uint64_t fromRequest = 1;
        std::uint64_t count = std::numeric_limits<std::uint64_t>::max();
        std::uint16_t maxBytes = 0;
        bool half = false;
    };
    std::optional<ShortReplies> shortReplies;

    // The pass-through engine carries out this many more instructions normally
    // and then never reports ready again (0 = from now on).
    std::optional<std::uint32_t> passThroughNeverReadyAfter;

    // The flash finishes this many more busy operations (erase, program,
    // status write) normally; the next one never ends (0 = stuck busy now).
    std::optional<std::uint32_t> flashStuckBusyAfter;

    // The next `times` read instructions (0x03) that cover `address` deliver
    // that byte XOR `xorMask`; the flash itself keeps the right value.
    struct CorruptReads {
        std::uint32_t address = 0;
        std::uint8_t xorMask = 0x01;
        std::uint32_t times = 1;
    };
    std::optional<CorruptReads> corruptReads;
};

}  // namespace sim
