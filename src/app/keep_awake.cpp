#include "app/keep_awake.h"

#include <string>

#include "usb/request_trace.h"

#if defined(PALEREED_SLEEP_INHIBITOR)
#include "platform/sleep_inhibitor.h"
#endif

namespace app {

namespace {

constexpr const char* kWho = "Pale Reed Update Tool";

void Note(usb::RequestTrace* trace, const std::string& problem) {
    if (trace != nullptr)
        trace->Line("note: the machine may sleep during this update: " + problem);
}

}  // namespace

#if defined(PALEREED_SLEEP_INHIBITOR)

struct KeepAwake::Lock {
    platform::SleepInhibitor inhibitor;
};

KeepAwake::KeepAwake(const QString& productName, usb::RequestTrace* trace)
    : lock_(std::make_unique<Lock>()) {
    const std::string why = "Updating the firmware of " + productName.toStdString();
    lock_->inhibitor = platform::SleepInhibitor::Acquire(kWho, why);
    if (!lock_->inhibitor.IsHeld())
        Note(trace, lock_->inhibitor.Problem());
}

bool KeepAwake::IsHeld() const {
    return lock_->inhibitor.IsHeld();
}

#else

struct KeepAwake::Lock {};

KeepAwake::KeepAwake(const QString&, usb::RequestTrace* trace) {
    Note(trace, std::string("no sleep inhibitor on this system (") + kWho + ")");
}

bool KeepAwake::IsHeld() const {
    return false;
}

#endif

KeepAwake::~KeepAwake() = default;

}  // namespace app
