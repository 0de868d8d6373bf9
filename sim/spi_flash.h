#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim/fault_plan.h"
#include "sim/flash_model.h"

namespace sim {

// An SPI NOR flash as its datasheet describes it: JEDEC ID, status register
// with busy and write-enable latch, write enable consumed by every program,
// erase and status write, programming that only clears bits, page programs
// that wrap inside their page, block protection, busy times during which
// everything but read status is ignored, and (on the SST part) AAI word
// programming ended by write disable. Time is passed in by the caller.
class SpiFlash {
public:
    static constexpr std::uint8_t kStatusBusy = 0x01;
    static constexpr std::uint8_t kStatusWriteEnabled = 0x02;
    static constexpr std::uint8_t kStatusAai = 0x40;  // SST part only

    explicit SpiFlash(FlashModel model);

    // One instruction: `bytes` are clocked out while chip select is low (the
    // instruction byte, then address and data bytes); `reply` receives the
    // bytes clocked back after them. Bytes the flash does not drive read 0xFF.
    void Execute(std::span<const std::uint8_t> bytes, std::span<std::uint8_t> reply,
                 std::uint64_t nowUs);

    // Power applied: volatile state back to its datasheet defaults.
    void PowerUp();

    const FlashDatasheet& Datasheet() const { return datasheet_; }
    std::uint8_t StatusRegister(std::uint64_t nowUs) const;
    bool IsBusy(std::uint64_t nowUs) const;
    bool InAaiMode() const { return aaiActive_; }
    // Whether `address` lies in a block that the current BP bits protect.
    bool IsProtected(std::uint32_t address) const;

    // Test access to the array and the status bits, with no timing or rules.
    std::span<const std::uint8_t> Contents() const { return memory_; }
    void Load(std::uint32_t address, std::span<const std::uint8_t> data);
    void FillErased();
    void SetStatusBits(std::uint8_t status);

    void SetStuckBusyAfter(std::optional<std::uint32_t> operations);
    void SetCorruptReads(std::optional<FaultPlan::CorruptReads> corrupt);

private:
    void Settle(std::uint64_t nowUs);
    bool Dispatch(std::span<const std::uint8_t> bytes, std::span<std::uint8_t> reply,
                  std::uint64_t nowUs);
    void ReadData(std::span<const std::uint8_t> bytes, std::span<std::uint8_t> reply);
    void ReadId(std::span<std::uint8_t> reply) const;
    bool WriteEnable(bool enable);
    bool WriteStatus(std::span<const std::uint8_t> bytes, std::uint64_t nowUs);
    bool EraseChip(std::uint64_t nowUs);
    bool EraseSector(std::span<const std::uint8_t> bytes, std::uint64_t nowUs);
    bool PageProgram(std::span<const std::uint8_t> bytes, std::uint64_t nowUs);
    bool WordProgram(std::span<const std::uint8_t> bytes, std::uint64_t nowUs);
    bool ProgramWord(std::uint8_t low, std::uint8_t high, std::uint64_t nowUs);
    bool RangeProtected(std::uint32_t start, std::uint32_t length) const;
    bool StartBusy(std::uint32_t durationUs, std::uint64_t nowUs);

    const FlashDatasheet& datasheet_;
    std::vector<std::uint8_t> memory_;
    std::uint8_t status_ = 0;  // without the busy bit, which comes from busyUntilUs_
    std::uint64_t busyUntilUs_ = 0;
    bool busyPending_ = false;  // a busy operation whose end has not been settled yet
    bool aaiActive_ = false;
    std::uint32_t aaiAddress_ = 0;

    bool stuckBusy_ = false;
    std::optional<std::uint32_t> stuckBusyAfter_;
    std::optional<FaultPlan::CorruptReads> corruptReads_;
};

}  // namespace sim
