#pragma once

#include <QString>
#include <memory>

namespace usb {
class RequestTrace;
}

namespace app {

// Keeps the machine from sleeping, shutting down or going idle for as long as
// it lives: an update cut short by a suspend leaves the product without
// firmware. Where no lock can be had the run goes on all the same, and the
// request trace (if any) says why.
class KeepAwake {
public:
    KeepAwake(const QString& productName, usb::RequestTrace* trace);
    ~KeepAwake();
    KeepAwake(const KeepAwake&) = delete;
    KeepAwake& operator=(const KeepAwake&) = delete;

    bool IsHeld() const;

private:
    struct Lock;
    std::unique_ptr<Lock> lock_;
};

}  // namespace app
