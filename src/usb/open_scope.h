#pragma once

#include "usb/quorvex_usb.h"

namespace usb {

// Holds the link's device open for as long as it lives: opens in its
// constructor and closes in its destructor, however the scope is left (an
// early return, an exception from a window's conversion). The link keeps one
// handle, so opening closes a handle still open before, and a close of a
// closed device does nothing.
//
// A sequence that goes on after a step which opened and closed the device
// itself (the ISP page's erase, which "Auto" runs) calls Reopen(): the one
// place a device is opened again while a sequence holds it. "Start" does the
// same after its erase, so that its loops and the ISP page's run alike on a
// fresh handle.
class OpenScope {
public:
    explicit OpenScope(QuorvexUsb& link) : link_(link), opened_(link.OpenDevice()) {}
    ~OpenScope() { link_.CloseDevice(); }
    OpenScope(const OpenScope&) = delete;
    OpenScope& operator=(const OpenScope&) = delete;

    // Whether the open in the constructor (or the last Reopen) succeeded.
    bool Opened() const { return opened_; }
    bool Reopen() { return opened_ = link_.OpenDevice(); }

private:
    QuorvexUsb& link_;
    bool opened_;
};

}  // namespace usb
