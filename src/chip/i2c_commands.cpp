#include "chip/i2c_commands.h"

#include "chip/registers.h"
#include "chip/request_codes.h"

namespace chip {

namespace {

// A transfer still running after this many status reads is taken as finished;
// what the chip then shows is what the caller gets.
constexpr int kDonePolls = 20;
// A device busy with an internal write cycle (an EEPROM, say) leaves its
// address unacknowledged for a while, so the address phase tries again.
constexpr int kAddressAttempts = 10;

constexpr std::uint8_t kReadAddressBit = 0x01;

void WaitTransferDone(usb::QuorvexUsb& link) {
    std::uint8_t status = 0;
    for (int i = 0; i < kDonePolls; ++i) {
        RegRead(link, kRegI2cControl, status);
        if ((status & kI2cStatusDone) != 0)
            return;
    }
}

bool AddressPhase(usb::QuorvexUsb& link, std::uint8_t addressByte) {
    for (int i = 0; i < kAddressAttempts; ++i) {
        I2cStart(link);
        if (I2cSendByte(link, addressByte))
            return true;
    }
    return false;
}

// Acknowledges of command and data bytes are not examined: only the address
// tells whether anybody is listening.
void SendBytes(usb::QuorvexUsb& link, std::uint8_t count, const std::uint8_t* bytes) {
    for (int i = 0; i < count; ++i)
        I2cSendByte(link, bytes[i]);
}

bool ValidBytes(std::uint8_t count, const std::uint8_t* bytes) {
    return count == 0 || bytes != nullptr;
}

}  // namespace

void I2cStart(usb::QuorvexUsb& link) {
    RegWrite(link, kRegI2cControl, kI2cStart);
}

void I2cStop(usb::QuorvexUsb& link) {
    RegWrite(link, kRegI2cControl, kI2cStop);
}

bool I2cSendByte(usb::QuorvexUsb& link, std::uint8_t byte) {
    RegWrite(link, kRegI2cTransfer, kI2cSend);
    RegWrite(link, kRegI2cTxData, byte);
    WaitTransferDone(link);
    // A status that could not be read counts as no acknowledge, so a dead link
    // ends in a failed address phase rather than in a transaction that "worked".
    std::uint8_t status = kI2cStatusNoAck;
    RegRead(link, kRegI2cControl, status);
    return (status & kI2cStatusNoAck) == 0;
}

bool I2cReceiveByte(usb::QuorvexUsb& link, bool last, std::uint8_t& destination) {
    // The last byte of a read goes unacknowledged, which tells the device to let go of the bus.
    RegWrite(link, kRegI2cControl, last ? kI2cNack : kI2cAck);
    RegWrite(link, kRegI2cTransfer, kI2cReceive);
    WaitTransferDone(link);
    RegRead(link, kRegI2cRxData, destination);
    return true;
}

bool I2cWrite(usb::QuorvexUsb& link, std::uint8_t address, std::uint8_t reg, std::uint8_t count,
              const std::uint8_t* data) {
    return I2cWriteCmd(link, address, 1, &reg, count, data);
}

bool I2cRead(usb::QuorvexUsb& link, std::uint8_t address, std::uint8_t reg, std::uint8_t count,
             std::uint8_t* destination) {
    return I2cReadCmd(link, address, 1, &reg, count, destination);
}

bool I2cWriteCmd(usb::QuorvexUsb& link, std::uint8_t address, std::uint8_t commandCount,
                 const std::uint8_t* commands, std::uint8_t dataCount, const std::uint8_t* data) {
    if (!ValidBytes(commandCount, commands) || !ValidBytes(dataCount, data))
        return false;
    const bool answered = AddressPhase(link, address);
    if (answered) {
        SendBytes(link, commandCount, commands);
        SendBytes(link, dataCount, data);
    }
    I2cStop(link);
    return answered;
}

bool I2cReadCmd(usb::QuorvexUsb& link, std::uint8_t address, std::uint8_t commandCount,
                const std::uint8_t* commands, std::uint8_t replyCount, std::uint8_t* destination) {
    // A read phase without a byte to receive would never send the closing
    // not-acknowledge, so it is refused before the bus is touched.
    if (replyCount == 0 || destination == nullptr || !ValidBytes(commandCount, commands)) {
        return false;
    }
    bool answered = AddressPhase(link, address);
    if (answered) {
        SendBytes(link, commandCount, commands);
        answered = AddressPhase(link, address | kReadAddressBit);
    }
    if (answered) {
        for (int k = 0; k < replyCount; ++k)
            I2cReceiveByte(link, k == replyCount - 1, destination[k]);
    }
    I2cStop(link);
    return answered;
}

}  // namespace chip
