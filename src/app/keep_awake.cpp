#include "app/keep_awake.h"

#include <string>

#include "platform/sleep_inhibitor.h"
#include "usb/request_trace.h"

namespace app {

struct KeepAwake::Lock {
    platform::SleepInhibitor inhibitor;
};

KeepAwake::KeepAwake(const QString& productName, usb::RequestTrace* trace)
    : lock_(std::make_unique<Lock>()) {
    const std::string why = "Updating the firmware of " + productName.toStdString();
    lock_->inhibitor = platform::SleepInhibitor::Acquire("Pale Reed Update Tool", why);
    if (!lock_->inhibitor.IsHeld() && trace != nullptr)
        trace->Line("note: the machine may sleep during this update: " +
                    lock_->inhibitor.Problem());
}

bool KeepAwake::IsHeld() const {
    return lock_->inhibitor.IsHeld();
}

KeepAwake::~KeepAwake() = default;

}  // namespace app
