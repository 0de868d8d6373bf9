#include "sim/pass_through_engine.h"

#include <algorithm>

#include "sim/spi_flash.h"

namespace sim {

bool PassThroughEngine::Collect(std::span<const std::uint8_t> bytes, bool last,
                                std::uint64_t nowUs) {
    if (pending_.size() + bytes.size() > kMaxInstructionBytes) {
        pending_.clear();
        return false;
    }
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    if (!last)
        return true;
    if (pending_.empty())
        return false;
    Run(0, nowUs);
    return true;
}

bool PassThroughEngine::RunWithReply(std::span<const std::uint8_t> bytes, std::uint16_t replyCount,
                                     std::uint64_t nowUs) {
    if (replyCount > kReplyBufferBytes || pending_.size() + bytes.size() > kMaxInstructionBytes) {
        pending_.clear();
        return false;
    }
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    if (pending_.empty())
        return false;
    Run(replyCount, nowUs);
    return true;
}

void PassThroughEngine::Run(std::uint16_t replyCount, std::uint64_t nowUs) {
    if (stagedPending_) {
        // The earlier reply is complete before this instruction starts clocking.
        std::copy_n(staged_.begin(), stagedCount_, reply_.begin());
        stagedPending_ = false;
    }
    if (neverReadyAfter_) {
        if (*neverReadyAfter_ == 0) {
            neverReady_ = true;
            neverReadyAfter_.reset();
        } else {
            --*neverReadyAfter_;
        }
    }
    // Instructions queue behind one still being clocked; the flash acts when
    // chip select rises at the end of the clocking.
    const std::uint64_t start = std::max(nowUs, readyAtUs_);
    const std::uint64_t clockNs =
        kOverheadNs + static_cast<std::uint64_t>(pending_.size() + replyCount) * kNsPerByte;
    readyAtUs_ = start + (clockNs + 999) / 1000;
    flash_.Execute(pending_, std::span<std::uint8_t>(staged_.data(), replyCount), readyAtUs_);
    pending_.clear();
    stagedCount_ = replyCount;
    stagedPending_ = replyCount > 0;
    ++instructionsRun_;
}

void PassThroughEngine::PublishReply(std::uint64_t nowUs) {
    if (!stagedPending_ || nowUs < readyAtUs_)
        return;
    std::copy_n(staged_.begin(), stagedCount_, reply_.begin());
    stagedPending_ = false;
}

bool PassThroughEngine::Fetch(std::span<std::uint8_t> out, std::uint64_t nowUs) {
    if (out.size() > reply_.size())
        return false;
    PublishReply(nowUs);
    std::copy_n(reply_.begin(), out.size(), out.begin());
    return true;
}

bool PassThroughEngine::IsReady(std::uint64_t nowUs) const {
    return !neverReady_ && nowUs >= readyAtUs_;
}

void PassThroughEngine::Reset() {
    pending_.clear();
    stagedPending_ = false;
    reply_.fill(0);
}

void PassThroughEngine::SetNeverReadyAfter(std::optional<std::uint32_t> instructions) {
    neverReady_ = instructions && *instructions == 0;
    neverReadyAfter_ = neverReady_ ? std::nullopt : instructions;
}

}  // namespace sim
