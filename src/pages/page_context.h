#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace usb {
class QuorvexUsb;
}
namespace image {
class FirmwareImage;
}
namespace flash {
struct FlashState;
}

namespace pages {

// Program-wide flags and texts of the shell (detection and the one-button update).
struct ShellState {
    bool detectEnabled = false;
    bool sequenceRunning = false;  // an update sequence runs: detection ticks do nothing
    bool updateFinished = false;   // "Start" succeeded: detection stops for the rest of the run
    std::uint8_t productIndex = 0;
    bool ispToggle = false;
    bool fileReady = false;
    QString vidText;
    QString pidText;
};

// The firmware file of the ISP page and of the updates.
struct ProgramFileState {
    QString programFilePath;
    bool programFileReady = false;
};

// Who holds the device link across a long operation: an update run, an ISP
// page loop or a register or I2C table read. Such operations pump events, so
// other handlers run in their middle; while the lock is held none of them may
// open or close the link, search for devices, or change the firmware image.
class LinkLock {
public:
    bool IsHeld() const { return held_; }

private:
    friend class LinkLease;
    bool held_ = false;
};

// Holds the lock for as long as it lives, if the lock was free; released on
// every way out, so a failed operation cannot lock the others out for good.
class LinkLease {
public:
    explicit LinkLease(LinkLock& lock) : lock_(lock), acquired_(!lock.held_) {
        if (acquired_)
            lock_.held_ = true;
    }
    ~LinkLease() {
        if (acquired_)
            lock_.held_ = false;
    }
    LinkLease(const LinkLease&) = delete;
    LinkLease& operator=(const LinkLease&) = delete;

    bool Acquired() const { return acquired_; }

private:
    LinkLock& lock_;
    bool acquired_;
};

// Values the device pages share with each other.
struct DevicePageState {
    std::uint8_t i2cSlaveAddr = 0x20;  // the I2C page and the special I2C group
    std::array<std::uint8_t, 4> sysSetting{};
    LinkLock linkLock;
};

// Everything program-wide that the window and its pages work on. The entry
// point creates these before the window and releases them after it.
struct PageContext {
    usb::QuorvexUsb& usbLink;
    image::FirmwareImage& firmwareImage;
    flash::FlashState& flash;
    ShellState& shell;
    ProgramFileState& programFile;
    DevicePageState& devicePages;
};

}  // namespace pages
