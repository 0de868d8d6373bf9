#include "fake_flash_rig.h"

#include <algorithm>

#include "chip/request_codes.h"

namespace flash_test {

namespace {

// Like a real part, the flash ignores the address bits above its size.
std::uint32_t AddressOf(std::span<const std::uint8_t> bytes) {
    const std::uint32_t address =
        (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) | bytes[3];
    return address % FakeFlashRig::kMemorySize;
}

}  // namespace

FakeFlashRig::FakeFlashRig() {
    backend_.SetHandler([this](const usb::DecodedCall& call) { return Answer(call); });
    link_.SetTrace(&trace_);
}

void FakeFlashRig::QueueReady(std::vector<std::uint8_t> answers) {
    readyQueue_.insert(readyQueue_.end(), answers.begin(), answers.end());
}

void FakeFlashRig::QueueStatus(std::vector<std::uint8_t> values) {
    statusQueue_.insert(statusQueue_.end(), values.begin(), values.end());
}

bool FakeFlashRig::Answer(const usb::DecodedCall& call) {
    switch (call.setup.request) {
        case chip::kRequestFlashInstruction:
            Collect(call.outData, call.setup.index == 1);
            return true;
        case chip::kRequestFlashReadBackInstruction:
            return PrepareReply(call.outData, call.setup.value);
        case chip::kRequestFlashFetch:
            if (!replySilent_) {
                std::copy_n(reply_.begin(), std::min(reply_.size(), call.inBuffer.size()),
                            call.inBuffer.begin());
            }
            return !replyFails_;
        case chip::kRequestFlashReady:
            call.inBuffer[0] = 1;
            if (!readyQueue_.empty()) {
                call.inBuffer[0] = readyQueue_.front();
                readyQueue_.pop_front();
            }
            return true;
        default:
            return true;
    }
}

void FakeFlashRig::Collect(std::span<const std::uint8_t> bytes, bool last) {
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    if (!last)
        return;
    instructions_.push_back(pending_);
    Execute(pending_);
    pending_.clear();
}

void FakeFlashRig::Execute(const std::vector<std::uint8_t>& in) {
    if (in[0] == chip::kFlashPageProgram || in[0] == chip::kFlashWordProgram)
        busyUntilUs_ = clock_.NowUs() + programTimeUs_;
    switch (in[0]) {
        case chip::kFlashWriteStatus:
            // The write reaches the protection bits; busy and latch stay the flash's own.
            if (in.size() == 2)
                statusDefault_ =
                    static_cast<std::uint8_t>((statusDefault_ & 0x03) | (in[1] & 0xFC));
            break;
        case chip::kFlashChipErase:
            std::fill(memory_.begin(), memory_.end(), 0xFF);
            break;
        case chip::kFlashSectorErase: {
            const std::uint32_t sector = AddressOf(in) & ~0xFFFu;
            std::fill_n(memory_.begin() + sector, 0x1000, 0xFF);
            break;
        }
        case chip::kFlashPageProgram:
            Program(AddressOf(in), std::span(in).subspan(4));
            break;
        case chip::kFlashWordProgram:
            if (in.size() == 6)
                aaiAddress_ = AddressOf(in);
            Program(aaiAddress_, std::span(in).last(2));
            aaiAddress_ += 2;
            break;
        default:
            break;
    }
}

void FakeFlashRig::Program(std::uint32_t address, std::span<const std::uint8_t> data) {
    for (std::size_t i = 0; i < data.size(); ++i)
        memory_[(address + i) % kMemorySize] &= data[i];
}

bool FakeFlashRig::PrepareReply(std::span<const std::uint8_t> bytes, std::uint16_t count) {
    reply_.assign(count, 0xFF);
    replyFails_ = false;
    replySilent_ = false;
    if (IsBusyNow() && bytes[0] != chip::kFlashReadStatus)
        return true;  // a busy part ignores the instruction
    switch (bytes[0]) {
        case chip::kFlashReadStatus:
            ++statusReads_;
            if (!statusQueue_.empty()) {
                reply_[0] = statusQueue_.front();
                statusQueue_.pop_front();
            } else {
                reply_[0] = statusDefault_;
            }
            if (IsBusyNow())
                reply_[0] |= 0x01;
            break;
        case chip::kFlashReadId:
            std::copy(chipId_.begin(), chipId_.end(), reply_.begin());
            break;
        case chip::kFlashRead: {
            const std::uint32_t address = AddressOf(bytes);
            for (std::uint16_t i = 0; i < count; ++i)
                reply_[i] = memory_[(address + i) % kMemorySize];
            if (readHook_)
                replyFails_ = !readHook_(address, reply_);
            replySilent_ = silentFetch_ && silentFetch_(address);
            break;
        }
        default:
            break;
    }
    return true;
}

}  // namespace flash_test
