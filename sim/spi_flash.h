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
// Chip select bounds every instruction: one whose length is wrong for its
// opcode is ignored, as the parts ignore it when chip select rises early or late.
class SpiFlash {
public:
    static constexpr std::uint8_t kStatusBusy = 0x01;
    static constexpr std::uint8_t kStatusWriteEnabled = 0x02;
    static constexpr std::uint8_t kStatusAai = 0x40;  // SST part only

    // What survives between two runs of a simulated product besides the
    // array: the status bits, a busy operation still running, and an
    // unfinished AAI sequence.
    struct VolatileState {
        std::uint8_t status = 0;  // without busy and AAI
        std::uint32_t busyRemainingUs = 0;
        bool aaiActive = false;
        std::uint32_t aaiAddress = 0;
    };

    explicit SpiFlash(FlashModel model, FlashTiming timing = FlashTiming::Typical);

    // One instruction: `bytes` are clocked out while chip select is low (the
    // instruction byte, then address and data bytes); `reply` receives the
    // bytes clocked back after them. Bytes the flash does not drive read 0xFF.
    void Execute(std::span<const std::uint8_t> bytes, std::span<std::uint8_t> reply,
                 std::uint64_t nowUs);

    // Power applied: volatile state back to its datasheet defaults.
    void PowerUp();
    // Power gone at `nowUs`: an erase or program still running stops where
    // it has got to (see PowerLoss in spi_flash.cpp), and nothing stays busy.
    void PowerLoss(std::uint64_t nowUs);

    const FlashDatasheet& Datasheet() const { return datasheet_; }
    FlashTiming Timing() const { return timing_; }
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

    // The board's write-protect pin (WP#): held low, it makes the status
    // register's lock bit effective.
    void SetWriteProtectHeld(bool held) { writeProtectHeld_ = held; }
    bool WriteProtectHeld() const { return writeProtectHeld_; }

    VolatileState Volatile(std::uint64_t nowUs) const;
    void RestoreVolatile(const VolatileState& state, std::uint64_t nowUs);

    void SetStuckBusyAfter(std::optional<std::uint32_t> operations);
    void SetCorruptReads(std::optional<FaultPlan::CorruptReads> corrupt);
    // From now on every read delivers its first byte XOR 0x01 (a bad data line
    // on the read path); the array keeps the right values.
    void CorruptEveryRead() { corruptEveryRead_ = true; }

private:
    void Settle(std::uint64_t nowUs);
    bool Dispatch(std::span<const std::uint8_t> bytes, std::span<std::uint8_t> reply,
                  std::uint64_t nowUs);
    void ReadData(std::span<const std::uint8_t> bytes, std::span<std::uint8_t> reply);
    void ReadId(std::span<std::uint8_t> reply) const;
    bool LengthFits(std::span<const std::uint8_t> bytes) const;
    bool WriteEnable(bool enable);
    bool StatusLocked() const;
    bool WriteStatus(std::span<const std::uint8_t> bytes, std::uint64_t nowUs);
    bool EraseChip(std::uint64_t nowUs);
    bool EraseSector(std::span<const std::uint8_t> bytes, std::uint64_t nowUs);
    bool PageProgram(std::span<const std::uint8_t> bytes, std::uint64_t nowUs);
    bool WordProgram(std::span<const std::uint8_t> bytes, std::uint64_t nowUs);
    bool ProgramWord(std::uint8_t low, std::uint8_t high, std::uint64_t nowUs);
    bool RangeProtected(std::uint32_t start, std::uint32_t length) const;
    bool StartBusy(std::uint32_t typicalUs, std::uint32_t maximumUs, std::uint64_t nowUs);
    // Keeps what the busy operation just started is about to change, for
    // PowerLoss to put back what it would not have reached yet.
    void KeepForUndo(std::uint32_t start, std::uint32_t length, std::uint64_t nowUs);

    const FlashDatasheet& datasheet_;
    FlashTiming timing_;
    std::vector<std::uint8_t> memory_;
    std::uint8_t status_ = 0;  // without the busy bit, which comes from busyUntilUs_
    std::uint64_t busyUntilUs_ = 0;
    bool busyPending_ = false;  // a busy operation whose end has not been settled yet
    bool aaiActive_ = false;
    std::uint32_t aaiAddress_ = 0;
    bool writeProtectHeld_ = false;

    // An operation takes effect when it starts (no one can read the array
    // while the part is busy); this is what it replaced.
    struct Undo {
        std::uint64_t startedUs = 0;
        std::uint32_t address = 0;
        std::vector<std::uint8_t> bytes;  // the array before; empty for a status write
        std::uint8_t status = 0;          // the status register before
    };
    std::optional<Undo> undo_;

    bool stuckBusy_ = false;
    std::optional<std::uint32_t> stuckBusyAfter_;
    std::optional<FaultPlan::CorruptReads> corruptReads_;
    bool corruptEveryRead_ = false;
};

}  // namespace sim
