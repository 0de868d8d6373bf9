#include "cli/keep_awake.h"

#include "platform/sleep_inhibitor.h"

namespace cli {

struct KeepAwake::Lock {
    platform::SleepInhibitor inhibitor;
};

KeepAwake::KeepAwake(const std::string& productName) : lock_(std::make_unique<Lock>()) {
    const std::string why = "Updating the firmware of " + productName;
    lock_->inhibitor = platform::SleepInhibitor::Acquire("palereed-flash", why);
    note_ = lock_->inhibitor.IsHeld()
                ? std::string(platform::kKeptFrom) + " blocked: " + why
                : "sleep not blocked (" + lock_->inhibitor.Problem() + "); the update goes on";
}

// The lock goes with its holder, however the run ended.
KeepAwake::~KeepAwake() = default;

}  // namespace cli
