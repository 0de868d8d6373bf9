#include "cli/keep_awake.h"

#ifdef PALEREED_HAVE_SLEEP_INHIBITOR
#include "platform/sleep_inhibitor.h"
#endif

namespace cli {

#ifdef PALEREED_HAVE_SLEEP_INHIBITOR

struct KeepAwake::Lock {
    platform::SleepInhibitor inhibitor;
};

KeepAwake::KeepAwake(const std::string& productName) : lock_(std::make_unique<Lock>()) {
    const std::string why = "Updating the firmware of " + productName;
    lock_->inhibitor = platform::SleepInhibitor::Acquire("palereed-flash", why);
    note_ = lock_->inhibitor.IsHeld()
                ? "sleep, shutdown and idle blocked: " + why
                : "sleep not blocked (" + lock_->inhibitor.Problem() + "); the update goes on";
}

#else

struct KeepAwake::Lock {};

KeepAwake::KeepAwake(const std::string&)
    : note_("sleep not blocked (no inhibitor lock on this system); the update goes on") {}

#endif

// The lock goes with its holder, however the run ended.
KeepAwake::~KeepAwake() = default;

}  // namespace cli
