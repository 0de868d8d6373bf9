#pragma once

#include "usb/quorvex_usb.h"

namespace usb {

// Holds the link's device open for as long as it lives: opens in its
// constructor and closes in its destructor, however the scope is left (an
// early return, an exception from a window's conversion). The link keeps one
// handle, so opening closes a handle still open before, and a close of a
// closed device does nothing.
//
// The one place a device is closed and opened again while a sequence goes
// on is Reopen(): after an erase that ran under a scope of its own (the ISP
// page's erase closes the device when it ends), and after a stop that must
// reach the chip again on a fresh handle.
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
