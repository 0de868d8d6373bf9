#include "sim/spi_flash.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace sim {
namespace {

constexpr std::uint8_t kWriteStatus = 0x01;
constexpr std::uint8_t kPageProgram = 0x02;
constexpr std::uint8_t kRead = 0x03;
constexpr std::uint8_t kWriteDisable = 0x04;
constexpr std::uint8_t kReadStatus = 0x05;
constexpr std::uint8_t kWriteEnable = 0x06;
constexpr std::uint8_t kSectorErase = 0x20;
constexpr std::uint8_t kReadId = 0x9F;
constexpr std::uint8_t kWordProgram = 0xAD;
constexpr std::uint8_t kChipErase = 0xC7;

constexpr std::uint32_t kSectorSize = 4096;
constexpr std::size_t kAddressedLength = 4;  // instruction and three address bytes
constexpr std::size_t kAaiFirstLength = kAddressedLength + 2;  // with the first word
constexpr std::size_t kAaiNextLength = 3;                      // instruction and one word

std::uint32_t AddressOf(std::span<const std::uint8_t> bytes) {
    return (static_cast<std::uint32_t>(bytes[1]) << 16) |
           (static_cast<std::uint32_t>(bytes[2]) << 8) | bytes[3];
}

}  // namespace

SpiFlash::SpiFlash(FlashModel model, FlashTiming timing)
    : datasheet_(DatasheetFor(model)),
      timing_(timing),
      memory_(datasheet_.sizeBytes, 0xFF),
      status_(datasheet_.powerUpStatus) {}

void SpiFlash::Execute(std::span<const std::uint8_t> bytes, std::span<std::uint8_t> reply,
                       std::uint64_t nowUs) {
    std::fill(reply.begin(), reply.end(), 0xFF);
    if (bytes.empty())
        return;
    Settle(nowUs);
    const std::uint8_t op = bytes[0];
    // A part that is busy, or in the middle of an AAI sequence, listens only
    // to the few instructions its datasheet allows there.
    if (IsBusy(nowUs) && op != kReadStatus)
        return;
    if (aaiActive_ && op != kWordProgram && op != kReadStatus && op != kWriteDisable)
        return;
    if (!LengthFits(bytes))
        return;
    Dispatch(bytes, reply, nowUs);
}

// Reads stream out for as long as the clock runs, so extra bytes clocked in
// with them are don't-care; every instruction that changes something is
// executed only when chip select rises right after its last byte.
bool SpiFlash::LengthFits(std::span<const std::uint8_t> bytes) const {
    const std::size_t n = bytes.size();
    switch (bytes[0]) {
        case kReadStatus:
        case kReadId:
            return true;
        case kRead:
            return n >= kAddressedLength;
        case kWriteEnable:
        case kWriteDisable:
        case kChipErase:
            return n == 1;
        case kWriteStatus:
            return n >= 2 && n <= 1u + datasheet_.maxStatusWriteBytes;
        case kSectorErase:
            return n == kAddressedLength;
        case kPageProgram:
            // The byte-program part takes exactly one data byte.
            return datasheet_.pageSize == 1 ? n == kAddressedLength + 1 : n > kAddressedLength;
        case kWordProgram:
            return n == (aaiActive_ ? kAaiNextLength : kAaiFirstLength);
        default:
            return false;
    }
}

bool SpiFlash::Dispatch(std::span<const std::uint8_t> bytes, std::span<std::uint8_t> reply,
                        std::uint64_t nowUs) {
    switch (bytes[0]) {
        case kReadStatus:
            std::fill(reply.begin(), reply.end(), StatusRegister(nowUs));
            return true;
        case kReadId:
            ReadId(reply);
            return true;
        case kRead:
            ReadData(bytes, reply);
            return true;
        case kWriteEnable:
            return WriteEnable(true);
        case kWriteDisable:
            return WriteEnable(false);
        case kWriteStatus:
            return WriteStatus(bytes, nowUs);
        case kChipErase:
            return EraseChip(nowUs);
        case kSectorErase:
            return EraseSector(bytes, nowUs);
        case kPageProgram:
            return PageProgram(bytes, nowUs);
        case kWordProgram:
            return WordProgram(bytes, nowUs);
        default:
            return false;
    }
}

void SpiFlash::Settle(std::uint64_t nowUs) {
    if (!busyPending_ || stuckBusy_ || nowUs < busyUntilUs_)
        return;
    busyPending_ = false;
    undo_.reset();
    // The latch is spent by the operation, except between the words of an AAI sequence.
    if (!aaiActive_)
        status_ &= static_cast<std::uint8_t>(~kStatusWriteEnabled);
}

bool SpiFlash::IsBusy(std::uint64_t nowUs) const {
    return stuckBusy_ || (busyPending_ && nowUs < busyUntilUs_);
}

std::uint8_t SpiFlash::StatusRegister(std::uint64_t nowUs) const {
    std::uint8_t status = status_;
    if (IsBusy(nowUs)) {
        status |= kStatusBusy;
    } else if (busyPending_ && !aaiActive_) {
        status &= static_cast<std::uint8_t>(~kStatusWriteEnabled);
    }
    if (aaiActive_)
        status |= kStatusAai;
    return status;
}

bool SpiFlash::IsProtected(std::uint32_t address) const {
    const std::uint8_t bp = (status_ >> 2) & ((1u << datasheet_.bpBits) - 1);
    if (bp == 0)
        return false;
    if (bp >= datasheet_.bpAllLevel)
        return true;
    const std::uint32_t protectedBytes = datasheet_.sizeBytes >> (datasheet_.bpAllLevel - bp);
    return address % datasheet_.sizeBytes >= datasheet_.sizeBytes - protectedBytes;
}

bool SpiFlash::RangeProtected(std::uint32_t start, std::uint32_t length) const {
    // Protected areas are whole top fractions of the array, so the ends decide.
    return IsProtected(start) || IsProtected(start + length - 1);
}

void SpiFlash::ReadId(std::span<std::uint8_t> reply) const {
    const std::size_t n = std::min(reply.size(), datasheet_.jedecId.size());
    std::copy_n(datasheet_.jedecId.begin(), n, reply.begin());
}

void SpiFlash::ReadData(std::span<const std::uint8_t> bytes, std::span<std::uint8_t> reply) {
    if (bytes.size() < kAddressedLength)
        return;
    const std::uint32_t address = AddressOf(bytes) % datasheet_.sizeBytes;
    for (std::size_t i = 0; i < reply.size(); ++i) {
        reply[i] = memory_[(address + i) % datasheet_.sizeBytes];
    }
    if (corruptEveryRead_ && !reply.empty())
        reply[0] ^= 0x01;
    if (!corruptReads_)
        return;
    const std::uint32_t offset =
        (corruptReads_->address + datasheet_.sizeBytes - address) % datasheet_.sizeBytes;
    if (offset >= reply.size())
        return;
    reply[offset] ^= corruptReads_->xorMask;
    if (--corruptReads_->times == 0)
        corruptReads_.reset();
}

bool SpiFlash::WriteEnable(bool enable) {
    if (enable) {
        status_ |= kStatusWriteEnabled;
        return true;
    }
    status_ &= static_cast<std::uint8_t>(~kStatusWriteEnabled);
    aaiActive_ = false;
    return true;
}

bool SpiFlash::StatusLocked() const {
    return writeProtectHeld_ && (status_ & datasheet_.statusLockBit) != 0;
}

bool SpiFlash::WriteStatus(std::span<const std::uint8_t> bytes, std::uint64_t nowUs) {
    // Hardware protection: the instruction is not executed and the latch stays set.
    if ((status_ & kStatusWriteEnabled) == 0 || StatusLocked())
        return false;
    if (!StartBusy(datasheet_.writeStatusUs, datasheet_.writeStatusMaxUs, nowUs))
        return true;
    KeepForUndo(0, 0, nowUs);
    const std::uint8_t mask = datasheet_.writableStatusMask;
    status_ = static_cast<std::uint8_t>((status_ & ~mask) | (bytes[1] & mask));
    return true;
}

bool SpiFlash::EraseChip(std::uint64_t nowUs) {
    if ((status_ & kStatusWriteEnabled) == 0 || RangeProtected(0, datasheet_.sizeBytes))
        return false;
    if (!StartBusy(datasheet_.chipEraseUs, datasheet_.chipEraseMaxUs, nowUs))
        return true;
    KeepForUndo(0, datasheet_.sizeBytes, nowUs);
    std::fill(memory_.begin(), memory_.end(), 0xFF);
    return true;
}

bool SpiFlash::EraseSector(std::span<const std::uint8_t> bytes, std::uint64_t nowUs) {
    if ((status_ & kStatusWriteEnabled) == 0)
        return false;
    const std::uint32_t start = (AddressOf(bytes) % datasheet_.sizeBytes) & ~(kSectorSize - 1);
    if (RangeProtected(start, kSectorSize))
        return false;
    if (!StartBusy(datasheet_.sectorEraseUs, datasheet_.sectorEraseMaxUs, nowUs))
        return true;
    KeepForUndo(start, kSectorSize, nowUs);
    std::fill_n(memory_.begin() + start, kSectorSize, 0xFF);
    return true;
}

bool SpiFlash::PageProgram(std::span<const std::uint8_t> bytes, std::uint64_t nowUs) {
    if ((status_ & kStatusWriteEnabled) == 0)
        return false;
    const std::uint32_t address = AddressOf(bytes) % datasheet_.sizeBytes;
    const std::uint32_t page = datasheet_.pageSize;
    const std::uint32_t base = address - address % page;
    if (RangeProtected(base, page))
        return false;
    if (!StartBusy(datasheet_.programUs, datasheet_.programMaxUs, nowUs))
        return true;
    KeepForUndo(base, page, nowUs);
    // Data goes through the page latch: past the end of the page it wraps to
    // the page's start, and a later byte replaces an earlier one at the same
    // place. A byte-program part (page size 1) takes only the first byte.
    const auto data = bytes.subspan(kAddressedLength, page == 1 ? 1 : bytes.size() - 4);
    std::array<std::uint8_t, 256> latch;
    latch.fill(0xFF);
    for (std::size_t i = 0; i < data.size(); ++i)
        latch[(address % page + i) % page] = data[i];
    for (std::uint32_t j = 0; j < page; ++j)
        memory_[base + j] &= latch[j];
    return true;
}

bool SpiFlash::WordProgram(std::span<const std::uint8_t> bytes, std::uint64_t nowUs) {
    if (!datasheet_.wordProgram)
        return false;
    if (aaiActive_) {
        // Within the sequence the instruction carries data only.
        return ProgramWord(bytes[1], bytes[2], nowUs);
    }
    if ((status_ & kStatusWriteEnabled) == 0)
        return false;
    const std::uint32_t address = (AddressOf(bytes) % datasheet_.sizeBytes) & ~1u;  // even words
    if (RangeProtected(address, 2))
        return false;
    aaiActive_ = true;
    aaiAddress_ = address;
    return ProgramWord(bytes[4], bytes[5], nowUs);
}

bool SpiFlash::ProgramWord(std::uint8_t low, std::uint8_t high, std::uint64_t nowUs) {
    const std::uint32_t address = aaiAddress_;
    if (address + 1 >= datasheet_.sizeBytes)
        return false;  // the sequence stops at the top
    aaiAddress_ += 2;
    if (RangeProtected(address, 2))
        return false;
    if (!StartBusy(datasheet_.programUs, datasheet_.programMaxUs, nowUs))
        return true;
    KeepForUndo(address, 2, nowUs);
    memory_[address] &= low;
    memory_[address + 1] &= high;
    return true;
}

bool SpiFlash::StartBusy(std::uint32_t typicalUs, std::uint32_t maximumUs, std::uint64_t nowUs) {
    undo_.reset();
    busyPending_ = true;
    busyUntilUs_ = nowUs + BusyUs(timing_, typicalUs, maximumUs);
    if (stuckBusyAfter_) {
        if (*stuckBusyAfter_ == 0) {
            stuckBusy_ = true;
            stuckBusyAfter_.reset();
            return false;
        }
        --*stuckBusyAfter_;
    }
    return true;
}

void SpiFlash::KeepForUndo(std::uint32_t start, std::uint32_t length, std::uint64_t nowUs) {
    if (busyUntilUs_ <= nowUs)
        return;  // done at once: nothing to interrupt
    const auto from = memory_.begin() + start;
    undo_ = Undo{nowUs, start, std::vector<std::uint8_t>(from, from + length), status_};
}

// The datasheets promise nothing about an erase or program cut short by the
// power, except that the cells it was working on hold no defined data and
// that the part comes up idle. The model here is the one a recovery has to
// cope with anyway: the part works through its area from the lowest address
// at an even pace, so what it reached by the time the power went is erased
// (or programmed) and the rest still holds what it held before. An
// interrupted chip erase thus leaves the low part of the array erased and
// the high part as it was. A status write commits its bits only at its end,
// so one cut short leaves the old bits. Nothing resumes at power-up: the part
// is not busy, the write-enable latch is clear, an AAI sequence is over.
void SpiFlash::PowerLoss(std::uint64_t nowUs) {
    Settle(nowUs);
    if (undo_ && IsBusy(nowUs) && !stuckBusy_) {
        const std::uint64_t took = busyUntilUs_ - undo_->startedUs;
        const std::uint64_t done =
            undo_->bytes.size() * std::min(nowUs - undo_->startedUs, took) / took;
        std::copy(undo_->bytes.begin() + static_cast<std::ptrdiff_t>(done), undo_->bytes.end(),
                  memory_.begin() + undo_->address + static_cast<std::ptrdiff_t>(done));
        if (undo_->bytes.empty()) {
            const std::uint8_t mask = datasheet_.writableStatusMask;
            status_ = static_cast<std::uint8_t>((status_ & ~mask) | (undo_->status & mask));
        }
    }
    undo_.reset();
    busyPending_ = false;
    busyUntilUs_ = 0;
    aaiActive_ = false;
    status_ &= static_cast<std::uint8_t>(~kStatusWriteEnabled);
}

void SpiFlash::PowerUp() {
    busyPending_ = false;
    busyUntilUs_ = 0;
    aaiActive_ = false;
    status_ &= static_cast<std::uint8_t>(~kStatusWriteEnabled);
    if (!datasheet_.nonVolatileStatus)
        status_ = datasheet_.powerUpStatus;
}

void SpiFlash::Load(std::uint32_t address, std::span<const std::uint8_t> data) {
    const std::size_t n =
        address < memory_.size() ? std::min<std::size_t>(data.size(), memory_.size() - address) : 0;
    std::copy_n(data.begin(), n, memory_.begin() + address);
}

void SpiFlash::FillErased() {
    std::fill(memory_.begin(), memory_.end(), 0xFF);
}

void SpiFlash::SetStatusBits(std::uint8_t status) {
    // Bit 6 is the AAI flag only on the word-program part; elsewhere it is a
    // protection bit like the others (SEC on the W25 part).
    const std::uint8_t computed = datasheet_.wordProgram ? kStatusBusy | kStatusAai : kStatusBusy;
    status_ = static_cast<std::uint8_t>(status & ~computed);
}

SpiFlash::VolatileState SpiFlash::Volatile(std::uint64_t nowUs) const {
    VolatileState state;
    state.status = status_;
    if (IsBusy(nowUs) && !stuckBusy_)
        state.busyRemainingUs = static_cast<std::uint32_t>(busyUntilUs_ - nowUs);
    if (busyPending_ && !IsBusy(nowUs) && !aaiActive_)
        state.status &= static_cast<std::uint8_t>(~kStatusWriteEnabled);  // as if settled
    state.aaiActive = aaiActive_;
    state.aaiAddress = aaiAddress_;
    return state;
}

void SpiFlash::RestoreVolatile(const VolatileState& state, std::uint64_t nowUs) {
    SetStatusBits(state.status);
    busyPending_ = state.busyRemainingUs > 0;
    busyUntilUs_ = nowUs + state.busyRemainingUs;
    aaiActive_ = state.aaiActive && datasheet_.wordProgram;
    aaiAddress_ = state.aaiAddress % datasheet_.sizeBytes;
}

void SpiFlash::SetStuckBusyAfter(std::optional<std::uint32_t> operations) {
    stuckBusy_ = operations && *operations == 0;
    stuckBusyAfter_ = stuckBusy_ ? std::nullopt : operations;
}

void SpiFlash::SetCorruptReads(std::optional<FaultPlan::CorruptReads> corrupt) {
    corruptEveryRead_ = false;
    corruptReads_ = corrupt;
    if (corruptReads_ && corruptReads_->times == 0)
        corruptReads_.reset();
}

}  // namespace sim
