#include "chip/i2c_commands.h"

#include <array>

#include "chip/registers.h"
#include "chip/request_codes.h"

namespace chip {

namespace {

// A transfer still running after this many status reads has failed: the
// acknowledge bit and the receive register still show an earlier transfer.
constexpr int kDonePolls = 20;
// A device busy with an internal write cycle (an EEPROM, say) leaves its
// address unacknowledged for a while, so the address phase tries again.
constexpr int kAddressAttempts = 10;

constexpr std::uint8_t kReadAddressBit = 0x01;

enum class SendOutcome { Acknowledged, NotAcknowledged, Stuck };

bool WaitTransferDone(usb::QuorvexUsb& link) {
    for (int i = 0; i < kDonePolls; ++i) {
        std::uint8_t status = 0;
        if (RegRead(link, kRegI2cControl, status) && (status & kI2cStatusDone) != 0)
            return true;
    }
    return false;
}

SendOutcome SendByte(usb::QuorvexUsb& link, std::uint8_t byte) {
    RegWrite(link, kRegI2cTransfer, kI2cSend);
    RegWrite(link, kRegI2cTxData, byte);
    if (!WaitTransferDone(link))
        return SendOutcome::Stuck;
    // A status that could not be read counts as no acknowledge, so a dead link
    // ends in a failed address phase rather than in a transaction that "worked".
    std::uint8_t status = kI2cStatusNoAck;
    RegRead(link, kRegI2cControl, status);
    return (status & kI2cStatusNoAck) == 0 ? SendOutcome::Acknowledged
                                           : SendOutcome::NotAcknowledged;
}

// A master that does not finish a transfer will not finish the next attempt
// either, so only a missing acknowledge is tried again.
bool AddressPhase(usb::QuorvexUsb& link, std::uint8_t addressByte) {
    for (int i = 0; i < kAddressAttempts; ++i) {
        I2cStart(link);
        const SendOutcome outcome = SendByte(link, addressByte);
        if (outcome == SendOutcome::Acknowledged)
            return true;
        if (outcome == SendOutcome::Stuck)
            return false;
    }
    return false;
}

// Acknowledges of command and data bytes are not examined: only the address
// tells whether anybody is listening. A transfer that never finishes is.
bool SendBytes(usb::QuorvexUsb& link, std::uint8_t count, const std::uint8_t* bytes) {
    for (int i = 0; i < count; ++i) {
        if (SendByte(link, bytes[i]) == SendOutcome::Stuck)
            return false;
    }
    return true;
}

// Into a scratch buffer first: a read that fails half-way hands out nothing.
bool ReceiveBytes(usb::QuorvexUsb& link, std::uint8_t count, std::uint8_t* destination) {
    std::array<std::uint8_t, 256> received{};
    for (int k = 0; k < count; ++k) {
        if (!I2cReceiveByte(link, k == count - 1, received[k]))
            return false;
    }
    for (int k = 0; k < count; ++k)
        destination[k] = received[k];
    return true;
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
    return SendByte(link, byte) == SendOutcome::Acknowledged;
}

bool I2cReceiveByte(usb::QuorvexUsb& link, bool last, std::uint8_t& destination) {
    // The last byte of a read goes unacknowledged, which tells the device to let go of the bus.
    RegWrite(link, kRegI2cControl, last ? kI2cNack : kI2cAck);
    RegWrite(link, kRegI2cTransfer, kI2cReceive);
    if (!WaitTransferDone(link))
        return false;  // the receive register still holds the byte before
    return RegRead(link, kRegI2cRxData, destination);
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
    const bool done = AddressPhase(link, address) && SendBytes(link, commandCount, commands) &&
                      SendBytes(link, dataCount, data);
    I2cStop(link);
    return done;
}

bool I2cReadCmd(usb::QuorvexUsb& link, std::uint8_t address, std::uint8_t commandCount,
                const std::uint8_t* commands, std::uint8_t replyCount, std::uint8_t* destination) {
    // A read phase without a byte to receive would never send the closing
    // not-acknowledge, so it is refused before the bus is touched.
    if (replyCount == 0 || destination == nullptr || !ValidBytes(commandCount, commands)) {
        return false;
    }
    const bool done = AddressPhase(link, address) && SendBytes(link, commandCount, commands) &&
                      AddressPhase(link, address | kReadAddressBit) &&
                      ReceiveBytes(link, replyCount, destination);
    I2cStop(link);
    return done;
}

}  // namespace chip
