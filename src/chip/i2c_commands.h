#pragma once

#include <cstdint>

namespace usb {
class QuorvexUsb;
}

namespace chip {

// I2C master primitives on bank 14 (the caller selects the bank).
void I2cStart(usb::QuorvexUsb& link);
void I2cStop(usb::QuorvexUsb& link);
// True when the transfer finished and the byte was acknowledged.
bool I2cSendByte(usb::QuorvexUsb& link, std::uint8_t byte);
// False when the transfer did not finish in time; `destination` is then untouched.
bool I2cReceiveByte(usb::QuorvexUsb& link, bool last, std::uint8_t& destination);

// Transactions; false when the device did not acknowledge its address or a
// transfer did not finish in time. Either way the transaction ends with a
// stop. The address byte is the write form (bit 0 clear). Destinations are
// untouched unless the whole transaction succeeded.
bool I2cWrite(usb::QuorvexUsb& link, std::uint8_t address, std::uint8_t reg, std::uint8_t count,
              const std::uint8_t* data);
bool I2cRead(usb::QuorvexUsb& link, std::uint8_t address, std::uint8_t reg, std::uint8_t count,
             std::uint8_t* destination);
bool I2cWriteCmd(usb::QuorvexUsb& link, std::uint8_t address, std::uint8_t commandCount,
                 const std::uint8_t* commands, std::uint8_t dataCount, const std::uint8_t* data);
bool I2cReadCmd(usb::QuorvexUsb& link, std::uint8_t address, std::uint8_t commandCount,
                const std::uint8_t* commands, std::uint8_t replyCount, std::uint8_t* destination);

}  // namespace chip
