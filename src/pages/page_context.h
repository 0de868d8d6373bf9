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

// Values the device pages share with each other.
struct DevicePageState {
    std::uint8_t i2cSlaveAddr = 0x20;  // the I2C page and the special I2C group
    std::array<std::uint8_t, 4> sysSetting{};
    // A register or I2C table read holds the device link open across its
    // requests; while it runs nothing else may open or close the link.
    bool tableReadRunning = false;
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
