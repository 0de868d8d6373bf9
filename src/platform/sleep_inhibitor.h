#pragma once

#include <string>
#include <string_view>

namespace platform {

// Keeps the machine from sleeping, shutting down or going idle while a
// firmware update runs: a power loss or a suspend in the middle of one leaves
// the product without firmware. On Linux this is a logind "block" inhibitor
// lock, held as long as this object holds its file descriptor. Where there is
// no logind (no D-Bus, a container, another system) the update still runs;
// Problem() says why nothing is held, for the trace.
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

    bool IsHeld() const noexcept { return fd_ >= 0; }
    const std::string& Problem() const noexcept { return problem_; }
    void Release() noexcept;

private:
    int fd_ = -1;
    std::string problem_;
};

// What the lock blocks, in logind's words.
inline constexpr std::string_view kInhibitWhat = "sleep:shutdown:idle";

}  // namespace platform
