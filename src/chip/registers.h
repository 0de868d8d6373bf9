#pragma once

#include <cstdint>
#include <optional>

namespace usb {
class QuorvexUsb;
}

namespace chip {

// Mode, status and register commands. None opens or closes the device: the
// caller does, around one or more commands.

bool RegWrite(usb::QuorvexUsb& link, std::uint16_t reg, std::uint8_t value);
// The byte received lands in `value`; on failure `value` keeps its content.
bool RegRead(usb::QuorvexUsb& link, std::uint16_t reg, std::uint8_t& value);
bool RegSelectBank(usb::QuorvexUsb& link, std::uint8_t bank);

// Enter (true) or leave (false) ISP mode; the bank-13 writes follow whatever
// the mode request did. The result is that of the mode request.
bool IspMode(usb::QuorvexUsb& link, bool enter);

// True when the pass-through engine has carried out the last instruction.
// A failed query counts as not ready.
bool FlashReady(usb::QuorvexUsb& link);
// The same query for a caller that says why it gave up: the engine's flag,
// or nothing when the query itself failed.
std::optional<bool> FlashReadyFlag(usb::QuorvexUsb& link);

// Selects bank 14 and sets up the I2C master for the I2C page.
bool I2cPrepare(usb::QuorvexUsb& link);

}  // namespace chip
