#pragma once

#include <memory>
#include <string>

namespace cli {

// Keeps the machine from sleeping, shutting down or going idle while one
// update runs: a suspend in the middle of one leaves the product without
// firmware. Where the system offers no such lock (no logind, another system)
// the update runs all the same and Note() says why nothing is held.
class KeepAwake {
public:
    explicit KeepAwake(const std::string& productName);
    ~KeepAwake();
    KeepAwake(const KeepAwake&) = delete;
    KeepAwake& operator=(const KeepAwake&) = delete;

    // One line for the trace: the lock held, or why not.
    const std::string& Note() const { return note_; }

private:
    struct Lock;
    std::unique_ptr<Lock> lock_;
    std::string note_;
};

}  // namespace cli
