#pragma once

#include <cstdint>
#include <vector>

#include "sim/i2c_register_device.h"

namespace sim {

// The chip's I2C master (registers 0x10-0x14 of bank 14) and its bus.
// Writing 0x01 to the transfer register selects sending; each write of the
// send register then puts that byte on the bus. Writing 0x03 receives one
// byte at once. A byte transfer takes kByteTimeUs; the status register shows
// done (bit 0) and no-acknowledge (bit 3) only once it is over.
// The master does nothing on its bus until the set-up register holds 0x04
// (written when the I2C page is shown): before that, starts, stops and
// transfers are not carried out and the status never shows done.
class I2cMaster {
public:
    static constexpr std::uint16_t kFirstRegister = 0x10;
    static constexpr std::uint16_t kLastRegister = 0x14;
    static constexpr std::uint32_t kByteTimeUs = 25;  // nine bits at 400 kHz, rounded up
    static constexpr std::uint8_t kSetupEnabled = 0x04;

    I2cMaster();

    static bool IsMasterRegister(std::uint16_t reg) {
        return reg >= kFirstRegister && reg <= kLastRegister;
    }
    void Write(std::uint16_t reg, std::uint8_t value, std::uint64_t nowUs);
    std::uint8_t Read(std::uint16_t reg, std::uint64_t nowUs) const;

    // Chip reset: bus idle, registers cleared; the devices keep their registers.
    void Reset();
    bool Enabled() const { return setup_ == kSetupEnabled; }

    // The device answering `addressByte` (bit 0 ignored), or nullptr.
    I2cRegisterDevice* DeviceAt(std::uint8_t addressByte);
    void AddDevice(const I2cRegisterDevice& device);

private:
    enum class Phase { Idle, Address, Writing, Reading, NotAddressed };

    void Control(std::uint8_t value);
    void Send(std::uint8_t byte, std::uint64_t nowUs);
    void Receive(std::uint64_t nowUs);
    bool SendOnBus(std::uint8_t byte);

    std::vector<I2cRegisterDevice> devices_;
    I2cRegisterDevice* selected_ = nullptr;
    Phase phase_ = Phase::Idle;
    std::uint8_t transferMode_ = 0;
    std::uint8_t setup_ = 0;
    std::uint8_t txData_ = 0;
    std::uint8_t rxData_ = 0;
    std::uint8_t rxShown_ = 0;  // what 0x13 shows until the running receive is done
    bool ackNextReceive_ = true;
    bool noAck_ = false;
    bool transferStarted_ = false;
    std::uint64_t doneAtUs_ = 0;
};

}  // namespace sim
