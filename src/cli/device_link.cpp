#include "cli/device_link.h"

#include <utility>

namespace cli {

DeviceLink::DeviceLink(usb::DeviceBackend& backend, usb::Clock& clock, usb::RequestTrace* trace)
    : clock_(clock), gate_(backend, state_), gatedClock_(clock_, gate_), link_(gate_, gatedClock_) {
    link_.SetTrace(trace);
}

DeviceLink::DeviceLink(std::unique_ptr<usb::DeviceBackend> backend, usb::Clock& clock,
                       usb::RequestTrace* trace)
    : DeviceLink(*backend, clock, trace) {
    ownBackend_ = std::move(backend);
}

DeviceLink::~DeviceLink() {
    link_.SetTrace(nullptr);
}

}  // namespace cli
