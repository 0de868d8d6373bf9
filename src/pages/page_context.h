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
namespace product {
class RunState;
class StopGate;
}  // namespace product

namespace pages {

// The firmware file of the ISP page and of the updates.
struct ProgramFileState {
    QString programFilePath;
    bool programFileReady = false;
};

// Values the device pages share with each other.
struct DevicePageState {
    std::uint8_t i2cSlaveAddr = 0x20;  // the I2C page and the special I2C group
    std::array<std::uint8_t, 4> sysSetting{};
};

// Everything program-wide that the window and its pages work on. The entry
// point creates these before the window and releases them after it.
struct PageContext {
    usb::QuorvexUsb& usbLink;
    image::FirmwareImage& firmwareImage;
    flash::FlashState& flash;
    ProgramFileState& programFile;
    DevicePageState& devicePages;
    // Whether an update run or a page operation holds the device link. Such
    // operations pump events, so other handlers run in their middle; while the
    // link is held none of them may open or close it, search for devices, or
    // change the firmware image.
    product::RunState& runState;
    // What the device link's requests pass: once a run's stop is asked, the
    // run's further requests are refused there, so it ends at the next one.
    product::StopGate& stopGate;
};

}  // namespace pages
