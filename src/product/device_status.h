#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace usb {
class QuorvexUsb;
}

namespace product {

// The audio input as the firmware reports it in status registers 0xA4-0xA6.
struct DeviceStatus {
    std::uint8_t status0 = 0;  // bits 3-0: sample-rate index
    std::uint8_t status1 = 0;  // read, not shown
    std::uint8_t status2 = 0;  // bit 0 connected, bit 1 DSD, bit 2 muted

    bool Connected() const { return (status2 & 0x01) != 0; }
    bool Dsd() const { return (status2 & 0x02) != 0; }
    bool Muted() const { return (status2 & 0x04) != 0; }
    // Index into the rate texts: rate bits, plus 16 for DSD.
    int RateIndex() const { return (status0 & 0x0F) + (Dsd() ? 16 : 0); }
    // Eight characters, right-aligned (" 44.1KHz", " DoP 256"), blanks where none.
    std::string RateText() const;
};

// Selects bank 0 and reads the three status registers, opening and closing
// the device. All three from this read or nothing: bytes of an earlier read
// would pass for the state now. The first request that fails ends the read.
std::optional<DeviceStatus> ReadDeviceStatus(usb::QuorvexUsb& link);

// The five HID media keys the product can send to the host.
enum class HidKey : std::uint8_t {
    Previous = 0x40,
    VolumeDown = 0x02,
    Play = 0x10,
    VolumeUp = 0x01,
    Next = 0x20,
};

// One key press: the key code to register 0x91, the HID command to 0x90, then
// up to ten polls 10 ms apart for its completion; opens and closes the
// device. No polls when the key did not go out. True when the firmware
// reported the command done.
bool SendHidKey(usb::QuorvexUsb& link, HidKey key);

}  // namespace product
