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
        static_cast<std::uint64_t>(pending_.size() + replyCount) * kNsPerByte;
    readyAtUs_ = start + kPickupUs + (clockNs + 999) / 1000;
    flash_.Execute(pending_, std::span<std::uint8_t>(staged_.data(), replyCount), readyAtUs_);
    pending_.clear();
    if (replyCount > 0) {
        // A new read-back replaces a reply the host has not fetched.
        stagedCount_ = replyCount;
        stagedPending_ = true;
        released_ = false;
    }
    ++instructionsRun_;
}

bool PassThroughEngine::AnswerReady(std::uint64_t nowUs) {
    if (!IsReady(nowUs))
        return false;
    if (stagedPending_) {
        std::copy_n(staged_.begin(), stagedCount_, reply_.begin());
        stagedPending_ = false;
        released_ = true;
    }
    return true;
}

bool PassThroughEngine::Fetch(std::span<std::uint8_t> out) {
    if (out.size() > reply_.size() || !released_)
        return false;
    std::copy_n(reply_.begin(), out.size(), out.begin());
    released_ = false;
    return true;
}

bool PassThroughEngine::IsReady(std::uint64_t nowUs) const {
    return !neverReady_ && nowUs >= readyAtUs_;
}

void PassThroughEngine::Reset() {
    pending_.clear();
    stagedPending_ = false;
    released_ = false;
    reply_.fill(0);
}

void PassThroughEngine::SetNeverReadyAfter(std::optional<std::uint32_t> instructions) {
    neverReady_ = instructions && *instructions == 0;
    neverReadyAfter_ = neverReady_ ? std::nullopt : instructions;
}

}  // namespace sim
