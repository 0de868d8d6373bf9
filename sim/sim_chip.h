#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "catalog/product_table.h"
#include "sim/flash_model.h"
#include "sim/i2c_master.h"
#include "sim/param_mailbox.h"
#include "sim/param_store.h"
#include "sim/pass_through_engine.h"
#include "sim/sim_device.h"
#include "sim/spi_flash.h"

namespace usb {
class Clock;
}

namespace sim {

inline constexpr std::uint16_t kIspVidQuorvex = product::kIspVidQuorvex;
inline constexpr std::uint16_t kIspVidAlternate = product::kIspVidAlternate;
inline constexpr std::uint16_t kIspPid = product::kIspPid;

struct ChipConfig {
    // Identity while the chip runs the firmware in its flash.
    UsbIdentity product{0x2FC6, 0xF066, true};
    // Identity of the bare chip waiting in ISP mode (never an audio interface).
    std::uint16_t ispVid = kIspVidQuorvex;
    FlashModel flash = FlashModel::Sst25vf016b;
    // Written at address 0 of an erased flash; empty leaves the flash blank.
    std::vector<std::uint8_t> initialFlash;
    // Status register at first power-up; unset: the part's power-up value.
    std::optional<std::uint8_t> initialFlashStatus;
    FlashTiming timing = FlashTiming::Typical;
    // The board holds the flash's write-protect pin low. The products leave
    // it free, so the status register's lock bit has no effect there.
    bool writeProtectHeld = false;
    // The board takes its power from the USB cable: unplugging it is a power
    // loss, and the next plug boots the chip from its flash. A board with a
    // supply of its own keeps running, in whatever mode, while unplugged.
    bool busPowered = true;
    // The chip came from the factory with a blank flash, waiting in ISP mode
    // (kept in state files, so that later runs know how the product began).
    bool startedInIsp = false;
};

// What the chip loses when its power goes, as a state file keeps it between
// runs: the mode it is in, its registers, and the flash's volatile state.
struct ChipVolatileState {
    using Bank = std::array<std::uint8_t, 256>;

    bool firmwareRunning = false;  // booted from a complete firmware; else the bare chip
    bool ispMode = false;
    std::uint8_t bank = 0;
    std::array<Bank, 256> registers{};
    SpiFlash::VolatileState flash;
};

// Status registers 0xA4-0xA6 of bank 0, as the firmware reports the audio input.
struct DeviceStatus {
    static constexpr std::uint8_t kConnected = 0x01;  // flags bit 0
    static constexpr std::uint8_t kDsd = 0x02;        // flags bit 1
    static constexpr std::uint8_t kMuted = 0x04;      // flags bit 2

    std::uint8_t rateIndex = 0x05;    // register 0xA4, bits 3-0
    std::uint8_t status1 = 0x00;      // register 0xA5
    std::uint8_t flags = kConnected;  // register 0xA6

    bool operator==(const DeviceStatus&) const = default;
};

// The bridge chip: vendor requests for registers in banks, ISP mode, the SPI
// pass-through to its flash, the I2C master and the parameter mailbox.
// At power-up (and when it leaves ISP mode) it boots: with a complete firmware
// in its flash it enumerates as the product, otherwise as the bare chip in
// ISP mode. The pass-through works only in ISP mode, entered with its key,
// and only once bank 13 holds the ISP control values (0x07 = 0x10,
// 0x01 = 0x03); only the leave key ends ISP mode. Power goes with the cable,
// unless the board has a supply of its own.
class SimChip final : public SimDevice {
public:
    static constexpr std::uint16_t kRegisterCount = 256;
    static constexpr std::uint16_t kStatusRegisterFirst = 0xA4;
    static constexpr std::uint16_t kStatusRegisterLast = 0xA6;

    SimChip(const ChipConfig& config, usb::Clock& clock);

    bool HandleControl(const usb::ControlSetup& setup, std::span<const std::uint8_t> outData,
                       std::span<std::uint8_t> inBuffer) override;
    void OnPlugged() override;
    void OnUnplugged() override;
    void OnPowerLost() override;
    void ApplyFaultPlan(const FaultPlan& plan) override;
    void InjectFault(DeviceFault fault) override;

    bool InIspMode() const { return ispMode_; }
    // Has power: plugged in, or self-powered and not cut off since.
    bool Powered() const { return powered_; }
    // ISP mode entered and the bank-13 control values in place.
    bool PassThroughOpen() const;
    ChipConfig Config() const { return config_; }

    ChipVolatileState SaveVolatile() const;
    // Takes a saved state over as if the chip had never been off, and
    // enumerates under the identity that state implies.
    void RestoreVolatile(const ChipVolatileState& state);
    // The identity this chip boots into with its flash as it is now.
    UsbIdentity BootIdentity() const;
    UsbIdentity ProductIdentity() const { return config_.product; }

    std::uint8_t SelectedBank() const { return bank_; }
    // Stored register contents, without side effects. The I2C master and the
    // mailbox keep their own registers; read those through their accessors.
    std::uint8_t Register(std::uint8_t bank, std::uint8_t reg) const;
    void SetRegister(std::uint8_t bank, std::uint8_t reg, std::uint8_t value);

    DeviceStatus Status() const { return status_; }
    void SetStatus(const DeviceStatus& status) { status_ = status; }

    SpiFlash& Flash() { return flash_; }
    const SpiFlash& Flash() const { return flash_; }
    PassThroughEngine& Engine() { return engine_; }
    I2cMaster& I2c() { return i2c_; }
    I2cRegisterDevice* I2cDeviceAt(std::uint8_t addressByte) { return i2c_.DeviceAt(addressByte); }
    ParamStore& Params() { return params_; }
    const ParamStore& Params() const { return params_; }
    const std::vector<std::uint8_t>& HidKeys() const { return mailbox_.HidKeys(); }
    std::uint64_t Boots() const { return boots_; }

private:
    bool HandleVendor(const usb::ControlSetup& setup, std::span<const std::uint8_t> outData,
                      std::span<std::uint8_t> inBuffer);
    bool HandlePassThrough(const usb::ControlSetup& setup, std::span<const std::uint8_t> outData,
                           std::span<std::uint8_t> inBuffer);
    bool EnterIsp(const usb::ControlSetup& setup);
    bool LeaveIsp(const usb::ControlSetup& setup);
    bool WriteRegister(std::uint16_t reg, std::uint8_t value);
    bool ReadRegister(std::uint16_t reg, std::uint8_t& value);
    void Boot();
    void LosePower();
    void ClearVolatile();

    ChipConfig config_;
    usb::Clock& clock_;
    SpiFlash flash_;
    PassThroughEngine engine_;
    I2cMaster i2c_;
    ParamStore params_;
    ParamMailbox mailbox_;
    DeviceStatus status_;
    std::array<std::array<std::uint8_t, kRegisterCount>, kRegisterCount> banks_{};
    std::uint8_t bank_ = 0;
    bool ispMode_ = false;
    bool bootedFirmware_ = false;
    bool powered_ = false;
    std::uint64_t boots_ = 0;
};

}  // namespace sim
