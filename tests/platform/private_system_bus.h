#pragma once

#include <sys/types.h>

#include <string>
#include <tuple>
#include <vector>

namespace testing_support {

// A private D-Bus daemon standing in for the system bus, optionally with
// python-dbusmock's logind on it. DBUS_SYSTEM_BUS_ADDRESS points at it for the
// object's life, so the code under test finds it as it would find the real one.
class PrivateSystemBus {
public:
    PrivateSystemBus();
    ~PrivateSystemBus();
    PrivateSystemBus(const PrivateSystemBus&) = delete;
    PrivateSystemBus& operator=(const PrivateSystemBus&) = delete;

    const std::string& Address() const { return address_; }

    // Starts the mocked logind and waits until it answers; false on time-out.
    bool StartLogind();

    // logind's inhibitor list: what, who, why, mode.
    using Inhibitor = std::tuple<std::string, std::string, std::string, std::string>;
    std::vector<Inhibitor> ListInhibitors() const;
    // logind drops a lock a moment after its holder closes the descriptor:
    // true once no lock is left, false if one is still held after 2 s.
    bool EventuallyNoInhibitors() const;

private:
    pid_t daemon_ = -1;
    pid_t logind_ = -1;
    std::string address_;
    std::string previousAddress_;
    bool hadPreviousAddress_ = false;
};

}  // namespace testing_support
