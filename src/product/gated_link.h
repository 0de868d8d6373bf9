#pragma once

#include "product/gated_clock.h"
#include "product/stop_gate.h"
#include "usb/quorvex_usb.h"

namespace product {

class RunState;

// The device link of a front end whose runs can be stopped: its requests pass
// a stop gate, and its pauses a clock that stops waiting once the gate has
// closed, so a stop asked between two requests takes effect at the next one.
// Outside a stopped run both pass everything through unchanged.
struct GatedLink {
    GatedLink(usb::DeviceBackend& backend, usb::Clock& clock, const RunState& state)
        : gate(backend, state), gatedClock(clock, gate), link(gate, gatedClock) {}
    GatedLink(const GatedLink&) = delete;
    GatedLink& operator=(const GatedLink&) = delete;

    StopGate gate;
    GatedClock gatedClock;
    usb::QuorvexUsb link;
};

}  // namespace product
