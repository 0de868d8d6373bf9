#include "sim/sim_chip.h"

#include "sim/fault_plan.h"
#include "sim/firmware_layout.h"
#include "usb/clock.h"

namespace sim {
namespace {

constexpr std::uint8_t kVendorOther = 0x43;  // bmRequestType without the direction bit
constexpr std::uint8_t kTypeMask = 0x7F;
constexpr std::uint8_t kVendorTypeMask = 0x60;
constexpr std::uint8_t kVendorType = 0x40;

constexpr std::uint8_t kFlashInstruction = 0x80;
constexpr std::uint8_t kFlashReadBackInstruction = 0x81;
constexpr std::uint8_t kFlashFetch = 0x82;
constexpr std::uint8_t kFlashReady = 0x83;
constexpr std::uint8_t kEnterIsp = 0x84;
constexpr std::uint8_t kLeaveIsp = 0x85;
constexpr std::uint8_t kRegWrite = 0x90;
constexpr std::uint8_t kRegRead = 0x91;

constexpr std::uint16_t kEnterIspValue = 0x3B92;
constexpr std::uint16_t kEnterIspIndex = 0x4E71;
constexpr std::uint16_t kLeaveIspValue = 0x29E6;
constexpr std::uint16_t kLeaveIspIndex = 0x1A9D;

constexpr std::uint16_t kBankSelect = 0x00;
constexpr std::uint8_t kBankMailbox = 0x00;
constexpr std::uint8_t kBankI2cMaster = 0x0E;
constexpr std::uint8_t kBankIspControl = 0x0D;
constexpr std::uint8_t kIspControl1 = 0x01;
constexpr std::uint8_t kIspControl1Open = 0x03;
constexpr std::uint8_t kIspControl7 = 0x07;
constexpr std::uint8_t kIspControl7Open = 0x10;
constexpr std::size_t kMaxDataStage = 256;

}  // namespace

SimChip::SimChip(const ChipConfig& config, usb::Clock& clock)
    : SimDevice(config.product),
      config_(config),
      clock_(clock),
      flash_(config.flash, config.timing),
      engine_(flash_),
      mailbox_(params_) {
    flash_.SetWriteProtectHeld(config.writeProtectHeld);
    flash_.Load(0, config_.initialFlash);
    if (config_.initialFlashStatus)
        flash_.SetStatusBits(*config_.initialFlashStatus);
    config_.initialFlash.clear();  // the flash holds it now
}

bool SimChip::HandleControl(const usb::ControlSetup& setup, std::span<const std::uint8_t> outData,
                            std::span<std::uint8_t> inBuffer) {
    if ((setup.requestType & kVendorTypeMask) != kVendorType) {
        return SimDevice::HandleControl(setup, outData, inBuffer);
    }
    if ((setup.requestType & kTypeMask) != kVendorOther)
        return false;
    return HandleVendor(setup, outData, inBuffer);
}

bool SimChip::HandleVendor(const usb::ControlSetup& setup, std::span<const std::uint8_t> outData,
                           std::span<std::uint8_t> inBuffer) {
    const bool in = setup.IsIn();
    switch (setup.request) {
        case kFlashInstruction:
        case kFlashReadBackInstruction:
        case kFlashFetch:
        case kFlashReady:
            return HandlePassThrough(setup, outData, inBuffer);
        case kEnterIsp:
            return !in && outData.empty() && EnterIsp(setup);
        case kLeaveIsp:
            return !in && outData.empty() && LeaveIsp(setup);
        case kRegWrite:
            return !in && setup.value == 0 && outData.size() == 1 &&
                   WriteRegister(setup.index, outData[0]);
        case kRegRead:
            return in && setup.value == 0 && inBuffer.size() == 1 &&
                   ReadRegister(setup.index, inBuffer[0]);
        default:
            return false;
    }
}

bool SimChip::HandlePassThrough(const usb::ControlSetup& setup,
                                std::span<const std::uint8_t> outData,
                                std::span<std::uint8_t> inBuffer) {
    // The chip runs its firmware from this flash; only in ISP mode, with the
    // SPI port handed over by the control registers, may the host reach it.
    if (!PassThroughOpen())
        return false;
    const std::uint64_t now = clock_.NowUs();
    const bool in = setup.IsIn();
    switch (setup.request) {
        case kFlashInstruction:
            if (in || setup.value != 0 || setup.index > 1 || outData.size() > kMaxDataStage) {
                return false;
            }
            return engine_.Collect(outData, setup.index == 1, now);
        case kFlashReadBackInstruction:
            if (in || setup.index != 1 || outData.empty() || outData.size() > kMaxDataStage) {
                return false;
            }
            return engine_.RunWithReply(outData, setup.value, now);
        case kFlashFetch:
            if (!in || setup.value != 0 || setup.index != 0 || inBuffer.empty())
                return false;
            return engine_.Fetch(inBuffer);
        default:  // ready query
            if (!in || inBuffer.size() != 1)
                return false;
            inBuffer[0] = engine_.AnswerReady(now) ? 1 : 0;
            return true;
    }
}

bool SimChip::EnterIsp(const usb::ControlSetup& setup) {
    if (setup.value != kEnterIspValue || setup.index != kEnterIspIndex)
        return false;
    if (!ispMode_) {
        ispMode_ = true;
        engine_.Reset();
    }
    return true;
}

bool SimChip::LeaveIsp(const usb::ControlSetup& setup) {
    if (setup.value != kLeaveIspValue || setup.index != kLeaveIspIndex)
        return false;
    // Leaving restarts the chip from its flash, which re-enumerates it.
    if (ispMode_)
        Boot();
    return true;
}

bool SimChip::WriteRegister(std::uint16_t reg, std::uint8_t value) {
    if (reg >= kRegisterCount)
        return false;
    if (reg == kBankSelect) {
        bank_ = value;
        return true;
    }
    if (bank_ == kBankI2cMaster && I2cMaster::IsMasterRegister(reg)) {
        i2c_.Write(reg, value, clock_.NowUs());
    } else if (bank_ == kBankMailbox && ParamMailbox::IsMailboxRegister(reg)) {
        mailbox_.Write(reg, value, clock_.NowUs(), !ispMode_);
    } else if (bank_ == kBankMailbox && reg >= kStatusRegisterFirst && reg <= kStatusRegisterLast) {
        // The firmware owns the status registers; host writes do not stick.
    } else {
        banks_[bank_][reg] = value;
    }
    return true;
}

bool SimChip::ReadRegister(std::uint16_t reg, std::uint8_t& value) {
    if (reg >= kRegisterCount)
        return false;
    if (reg == kBankSelect) {
        value = bank_;
    } else if (bank_ == kBankI2cMaster && I2cMaster::IsMasterRegister(reg)) {
        value = i2c_.Read(reg, clock_.NowUs());
    } else if (bank_ == kBankMailbox && ParamMailbox::IsMailboxRegister(reg)) {
        value = mailbox_.Read(reg, clock_.NowUs());
    } else if (bank_ == kBankMailbox && reg >= kStatusRegisterFirst && reg <= kStatusRegisterLast) {
        const std::uint8_t fields[] = {status_.rateIndex, status_.status1, status_.flags};
        // Without firmware nobody fills them in.
        value = bootedFirmware_ ? fields[reg - kStatusRegisterFirst] : 0;
    } else {
        value = banks_[bank_][reg];
    }
    return true;
}

std::uint8_t SimChip::Register(std::uint8_t bank, std::uint8_t reg) const {
    return reg == kBankSelect ? bank_ : banks_[bank][reg];
}

void SimChip::SetRegister(std::uint8_t bank, std::uint8_t reg, std::uint8_t value) {
    if (reg == kBankSelect) {
        bank_ = value;
    } else {
        banks_[bank][reg] = value;
    }
}

bool SimChip::PassThroughOpen() const {
    const auto& control = banks_[kBankIspControl];
    return ispMode_ && control[kIspControl7] == kIspControl7Open &&
           control[kIspControl1] == kIspControl1Open;
}

UsbIdentity SimChip::BootIdentity() const {
    if (HoldsCompleteFirmware(flash_.Contents()))
        return config_.product;
    return UsbIdentity{config_.ispVid, kIspPid, false};
}

void SimChip::OnPlugged() {
    if (powered_) {
        // Running on its own supply all along: the host meets it afresh, as it is.
        Reenumerate(Identity());
        return;
    }
    powered_ = true;
    flash_.PowerUp();
    Boot();
}

void SimChip::OnUnplugged() {
    if (config_.busPowered)
        LosePower();
}

void SimChip::OnPowerLost() {
    LosePower();
}

// What is lost with the power: the mode, the registers, the flash's latch and
// any operation it had running (SpiFlash::PowerLoss says what the array
// keeps of that). The flash array and its non-volatile bits stay.
void SimChip::LosePower() {
    if (!powered_)
        return;
    powered_ = false;
    flash_.PowerLoss(clock_.NowUs());
    ClearVolatile();
    ispMode_ = false;
    bootedFirmware_ = false;
}

void SimChip::ClearVolatile() {
    for (auto& bank : banks_)
        bank.fill(0);
    bank_ = 0;
    engine_.Reset();
    i2c_.Reset();
    mailbox_.Reset();
}

void SimChip::Boot() {
    ClearVolatile();
    bootedFirmware_ = HoldsCompleteFirmware(flash_.Contents());
    // Without a complete firmware the boot code stays in ISP mode, waiting for one.
    ispMode_ = !bootedFirmware_;
    ++boots_;
    Reenumerate(BootIdentity());
}

void SimChip::ApplyFaultPlan(const FaultPlan& plan) {
    engine_.SetNeverReadyAfter(plan.passThroughNeverReadyAfter);
    flash_.SetStuckBusyAfter(plan.flashStuckBusyAfter);
    flash_.SetCorruptReads(plan.corruptReads);
}

void SimChip::InjectFault(DeviceFault fault) {
    switch (fault) {
        case DeviceFault::FlashStuckBusy:
            flash_.SetStuckBusyAfter(0);
            break;
        case DeviceFault::PassThroughNeverReady:
            engine_.SetNeverReadyAfter(0);
            break;
        case DeviceFault::CorruptReads:
            flash_.CorruptEveryRead();
            break;
    }
}

ChipVolatileState SimChip::SaveVolatile() const {
    ChipVolatileState state;
    state.firmwareRunning = bootedFirmware_;
    state.ispMode = ispMode_;
    state.bank = bank_;
    state.registers = banks_;
    state.flash = flash_.Volatile(clock_.NowUs());
    return state;
}

void SimChip::RestoreVolatile(const ChipVolatileState& state) {
    bootedFirmware_ = state.firmwareRunning;
    ispMode_ = state.ispMode;
    bank_ = state.bank;
    banks_ = state.registers;
    engine_.Reset();
    i2c_.Reset();
    mailbox_.Reset();
    flash_.RestoreVolatile(state.flash, clock_.NowUs());
    Reenumerate(bootedFirmware_ ? config_.product : UsbIdentity{config_.ispVid, kIspPid, false});
}

}  // namespace sim
