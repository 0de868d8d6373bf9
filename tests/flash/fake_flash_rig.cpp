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
            std::copy_n(reply_.begin(), std::min(reply_.size(), call.inBuffer.size()),
                        call.inBuffer.begin());
            return !replyFails_;
        case chip::kRequestFlashReady:
            call.inBuffer[0] = 1;
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
    switch (in[0]) {
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
    switch (bytes[0]) {
        case chip::kFlashReadStatus:
            ++statusReads_;
            if (!statusQueue_.empty()) {
                reply_[0] = statusQueue_.front();
                statusQueue_.pop_front();
            } else {
                reply_[0] = statusDefault_;
            }
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
            break;
        }
        default:
            break;
    }
    return true;
}

}  // namespace flash_test
