#include "sim/i2c_master.h"

namespace sim {
namespace {

constexpr std::uint16_t kControl = 0x10;
constexpr std::uint16_t kSetup = 0x11;
constexpr std::uint16_t kTxData = 0x12;
constexpr std::uint16_t kRxData = 0x13;
constexpr std::uint16_t kTransfer = 0x14;

constexpr std::uint8_t kStart = 0xC0;
constexpr std::uint8_t kStop = 0xA0;
constexpr std::uint8_t kAckNext = 0x80;
constexpr std::uint8_t kNackNext = 0x90;
constexpr std::uint8_t kSend = 0x01;
constexpr std::uint8_t kReceive = 0x03;
constexpr std::uint8_t kStatusDone = 0x01;
constexpr std::uint8_t kStatusNoAck = 0x08;

}  // namespace

I2cMaster::I2cMaster() {
    devices_.push_back(I2cRegisterDevice::Plain(0x20));
    devices_.push_back(I2cRegisterDevice::AmplifierLike(0x60));
}

void I2cMaster::Write(std::uint16_t reg, std::uint8_t value, std::uint64_t nowUs) {
    switch (reg) {
        case kControl:
            if (Enabled())
                Control(value);
            break;
        case kSetup:
            setup_ = value;
            break;
        case kTxData:
            txData_ = value;
            if (Enabled() && transferMode_ == kSend)
                Send(value, nowUs);
            break;
        case kTransfer:
            transferMode_ = value;
            if (Enabled() && value == kReceive)
                Receive(nowUs);
            break;
        default:
            break;  // the receive register is read-only
    }
}

std::uint8_t I2cMaster::Read(std::uint16_t reg, std::uint64_t nowUs) const {
    const bool done = transferStarted_ && nowUs >= doneAtUs_;
    switch (reg) {
        case kControl:
            if (!done)
                return 0;
            return static_cast<std::uint8_t>(kStatusDone | (noAck_ ? kStatusNoAck : 0));
        case kSetup:
            return setup_;
        case kTxData:
            return txData_;
        case kRxData:
            return done ? rxData_ : rxShown_;
        case kTransfer:
            return transferMode_;
        default:
            return 0;
    }
}

void I2cMaster::Control(std::uint8_t value) {
    switch (value) {
        case kStart:  // a repeated start when a transfer is open: the same for the devices
            phase_ = Phase::Address;
            selected_ = nullptr;
            break;
        case kStop:
            phase_ = Phase::Idle;
            selected_ = nullptr;
            break;
        case kAckNext:
            ackNextReceive_ = true;
            break;
        case kNackNext:
            ackNextReceive_ = false;
            break;
        default:
            break;
    }
}

void I2cMaster::Send(std::uint8_t byte, std::uint64_t nowUs) {
    noAck_ = !SendOnBus(byte);
    transferStarted_ = true;
    doneAtUs_ = nowUs + kByteTimeUs;
}

bool I2cMaster::SendOnBus(std::uint8_t byte) {
    switch (phase_) {
        case Phase::Address:
            selected_ = DeviceAt(byte);
            if (selected_ == nullptr) {
                phase_ = Phase::NotAddressed;
                return false;
            }
            if ((byte & 0x01) != 0) {
                phase_ = Phase::Reading;
            } else {
                phase_ = Phase::Writing;
                selected_->BeginWrite();
            }
            return true;
        case Phase::Writing:
            selected_->WriteByte(byte);
            return true;
        default:
            return false;  // no start, nobody addressed, or the device is sending
    }
}

void I2cMaster::Receive(std::uint64_t nowUs) {
    rxShown_ = Read(kRxData, nowUs);
    if (phase_ == Phase::Reading && selected_ != nullptr) {
        rxData_ = selected_->ReadByte();
        // After a not-acknowledged byte the device lets go of the bus.
        if (!ackNextReceive_)
            phase_ = Phase::NotAddressed;
    } else {
        rxData_ = 0xFF;  // nobody drives the bus: the pull-ups read as ones
    }
    noAck_ = false;
    transferStarted_ = true;
    doneAtUs_ = nowUs + kByteTimeUs;
}

void I2cMaster::Reset() {
    selected_ = nullptr;
    phase_ = Phase::Idle;
    transferMode_ = setup_ = txData_ = rxData_ = rxShown_ = 0;
    ackNextReceive_ = true;
    noAck_ = false;
    transferStarted_ = false;
    doneAtUs_ = 0;
}

I2cRegisterDevice* I2cMaster::DeviceAt(std::uint8_t addressByte) {
    for (I2cRegisterDevice& device : devices_) {
        if (device.AddressByte() == (addressByte & 0xFE))
            return &device;
    }
    return nullptr;
}

void I2cMaster::AddDevice(const I2cRegisterDevice& device) {
    devices_.push_back(device);
    selected_ = nullptr;  // the vector may have moved
    phase_ = Phase::Idle;
}

}  // namespace sim
