// The logind inhibitor over sd-bus: a plain C library that both the window
// and the command-line tool can use without pulling a toolkit's D-Bus module
// into the UI-free layers.

#include <fcntl.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <utility>

#include "platform/sleep_inhibitor.h"

namespace platform {
namespace {

struct BusUnref {
    void operator()(sd_bus* bus) const noexcept { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
    void operator()(sd_bus_message* message) const noexcept { sd_bus_message_unref(message); }
};

std::string ErrnoText(const char* what, int negativeErrno) {
    return std::string(what) + ": " + std::strerror(-negativeErrno);
}

}  // namespace

SleepInhibitor::SleepInhibitor(SleepInhibitor&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), problem_(std::move(other.problem_)) {}

SleepInhibitor& SleepInhibitor::operator=(SleepInhibitor&& other) noexcept {
    if (this != &other) {
        Release();
        fd_ = std::exchange(other.fd_, -1);
        problem_ = std::move(other.problem_);
    }
    return *this;
}

bool SleepInhibitor::IsHeld() const noexcept {
    return fd_ >= 0;
}

void SleepInhibitor::Release() noexcept {
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
}

SleepInhibitor SleepInhibitor::Acquire(std::string_view who, std::string_view why) {
    SleepInhibitor inhibitor;
    sd_bus* rawBus = nullptr;
    if (const int result = sd_bus_open_system(&rawBus); result < 0) {
        inhibitor.problem_ = ErrnoText("no system bus", result);
        return inhibitor;
    }
    const std::unique_ptr<sd_bus, BusUnref> bus(rawBus);

    const std::string whoText(who);
    const std::string whyText(why);
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* rawReply = nullptr;
    const int called = sd_bus_call_method(
        bus.get(), "org.freedesktop.login1", "/org/freedesktop/login1",
        "org.freedesktop.login1.Manager", "Inhibit", &error, &rawReply, "ssss",
        std::string(kInhibitWhat).c_str(), whoText.c_str(), whyText.c_str(), "block");
    const std::unique_ptr<sd_bus_message, MessageUnref> reply(rawReply);
    if (called < 0) {
        inhibitor.problem_ = std::string("logind refused the inhibitor lock: ") +
                             (error.message ? error.message : std::strerror(-called));
        sd_bus_error_free(&error);
        return inhibitor;
    }
    int lockFd = -1;
    if (const int read = sd_bus_message_read(reply.get(), "h", &lockFd); read < 0) {
        inhibitor.problem_ = ErrnoText("unexpected inhibitor reply", read);
        return inhibitor;
    }
    // The reply owns its descriptor; the lock lasts as long as our own copy.
    inhibitor.fd_ = ::fcntl(lockFd, F_DUPFD_CLOEXEC, 3);
    if (inhibitor.fd_ < 0)
        inhibitor.problem_ = ErrnoText("inhibitor descriptor", -errno);
    return inhibitor;
}

}  // namespace platform
