#include "sim/spi_flash.h"

#include <algorithm>
#include <array>

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

std::uint32_t AddressOf(std::span<const std::uint8_t> bytes) {
    return (static_cast<std::uint32_t>(bytes[1]) << 16) |
           (static_cast<std::uint32_t>(bytes[2]) << 8) | bytes[3];
}

}  // namespace

SpiFlash::SpiFlash(FlashModel model)
    : datasheet_(DatasheetFor(model)),
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
    Dispatch(bytes, reply, nowUs);
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

bool SpiFlash::WriteStatus(std::span<const std::uint8_t> bytes, std::uint64_t nowUs) {
    if (bytes.size() < 2 || (status_ & kStatusWriteEnabled) == 0)
        return false;
    if (!StartBusy(datasheet_.writeStatusUs, nowUs))
        return true;
    const std::uint8_t mask = datasheet_.writableStatusMask;
    status_ = static_cast<std::uint8_t>((status_ & ~mask) | (bytes[1] & mask));
    return true;
}

bool SpiFlash::EraseChip(std::uint64_t nowUs) {
    if ((status_ & kStatusWriteEnabled) == 0 || RangeProtected(0, datasheet_.sizeBytes))
        return false;
    if (!StartBusy(datasheet_.chipEraseUs, nowUs))
        return true;
    std::fill(memory_.begin(), memory_.end(), 0xFF);
    return true;
}

bool SpiFlash::EraseSector(std::span<const std::uint8_t> bytes, std::uint64_t nowUs) {
    if (bytes.size() < kAddressedLength || (status_ & kStatusWriteEnabled) == 0)
        return false;
    const std::uint32_t start = (AddressOf(bytes) % datasheet_.sizeBytes) & ~(kSectorSize - 1);
    if (RangeProtected(start, kSectorSize))
        return false;
    if (!StartBusy(datasheet_.sectorEraseUs, nowUs))
        return true;
    std::fill_n(memory_.begin() + start, kSectorSize, 0xFF);
    return true;
}

bool SpiFlash::PageProgram(std::span<const std::uint8_t> bytes, std::uint64_t nowUs) {
    if (bytes.size() <= kAddressedLength || (status_ & kStatusWriteEnabled) == 0)
        return false;
    const std::uint32_t address = AddressOf(bytes) % datasheet_.sizeBytes;
    const std::uint32_t page = datasheet_.pageSize;
    const std::uint32_t base = address - address % page;
    if (RangeProtected(base, page))
        return false;
    if (!StartBusy(datasheet_.programUs, nowUs))
        return true;
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
        return bytes.size() >= 3 && ProgramWord(bytes[1], bytes[2], nowUs);
    }
    if (bytes.size() < kAddressedLength + 2 || (status_ & kStatusWriteEnabled) == 0)
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
    if (!StartBusy(datasheet_.programUs, nowUs))
        return true;
    memory_[address] &= low;
    memory_[address + 1] &= high;
    return true;
}

bool SpiFlash::StartBusy(std::uint32_t durationUs, std::uint64_t nowUs) {
    busyPending_ = true;
    busyUntilUs_ = nowUs + durationUs;
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
    status_ = static_cast<std::uint8_t>(status & ~(kStatusBusy | kStatusAai));
}

void SpiFlash::SetStuckBusyAfter(std::optional<std::uint32_t> operations) {
    stuckBusy_ = operations && *operations == 0;
    stuckBusyAfter_ = stuckBusy_ ? std::nullopt : operations;
}

void SpiFlash::SetCorruptReads(std::optional<FaultPlan::CorruptReads> corrupt) {
    corruptReads_ = corrupt;
    if (corruptReads_ && corruptReads_->times == 0)
        corruptReads_.reset();
}

}  // namespace sim
