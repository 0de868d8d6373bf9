#pragma once

#include <string>
#include <string_view>

namespace platform {

// Keeps the machine from sleeping, shutting down or going idle while a
// firmware update runs: a power loss or a suspend in the middle of one leaves
// the product without firmware. On Linux this is a logind "block" inhibitor
// lock, held as long as this object holds its file descriptor; where there is
// no logind (no D-Bus, a container) the update still runs and Problem() says
// why nothing is held, for the trace. On Windows it is the calling thread's
// execution state (system required, continuous), so the object must be
// released on the thread that acquired it: the update's own.
class SleepInhibitor {
public:
    SleepInhibitor() = default;
    SleepInhibitor(SleepInhibitor&& other) noexcept;
    SleepInhibitor& operator=(SleepInhibitor&& other) noexcept;
    SleepInhibitor(const SleepInhibitor&) = delete;
    SleepInhibitor& operator=(const SleepInhibitor&) = delete;
    ~SleepInhibitor() { Release(); }

    // Asks for the lock; `who` names the tool, `why` the running update.
    static SleepInhibitor Acquire(std::string_view who, std::string_view why);

    bool IsHeld() const noexcept;
    const std::string& Problem() const noexcept { return problem_; }
    void Release() noexcept;

private:
#ifdef _WIN32
    bool held_ = false;
#else
    int fd_ = -1;  // logind's lock lasts as long as this descriptor is open
#endif
    std::string problem_;
};

// What the lock blocks, in logind's words.
inline constexpr std::string_view kInhibitWhat = "sleep:shutdown:idle";

// What a held lock keeps from happening, for the user.
#ifdef _WIN32
inline constexpr std::string_view kKeptFrom = "sleep and idle";
#else
inline constexpr std::string_view kKeptFrom = "sleep, shutdown and idle";
#endif

}  // namespace platform
