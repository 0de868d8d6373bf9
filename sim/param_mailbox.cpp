#include "sim/param_mailbox.h"

#include <algorithm>

namespace sim {

void ParamMailbox::Write(std::uint16_t reg, std::uint8_t value, std::uint64_t nowUs,
                         bool firmwareRunning) {
    Settle(nowUs);
    regs_[reg - kCommand] = value;
    if (reg != kCommand)
        return;
    // A new command replaces one in flight; anything the firmware does not
    // know (0x00 included) just sits in the register.
    pending_ = false;
    if (firmwareRunning && (value == kParamCommand || value == kHidCommand))
        Start(value, nowUs);
}

std::uint8_t ParamMailbox::Read(std::uint16_t reg, std::uint64_t nowUs) {
    Settle(nowUs);
    return regs_[reg - kCommand];
}

void ParamMailbox::Start(std::uint8_t command, std::uint64_t nowUs) {
    latched_ = regs_;
    pending_ = true;
    doneAtUs_ = nowUs + (command == kHidCommand ? kHidCompletionUs : kParamCompletionUs);
}

void ParamMailbox::Settle(std::uint64_t nowUs) {
    if (!pending_ || nowUs < doneAtUs_)
        return;
    pending_ = false;
    Complete();
}

void ParamMailbox::Complete() {
    std::uint8_t& command = regs_[0];
    const std::uint8_t selector = latched_[kSelector - kCommand];
    if (latched_[0] == kHidCommand) {
        hidKeys_.push_back(selector);
        command = kHidDone;
        ++completed_;
        return;
    }
    constexpr std::size_t kData = kDataFirst - kCommand;
    ParamStore::Data data;
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = latched_[kData + i];
    // A request the firmware does not understand is never acknowledged.
    if (!store_.Apply(selector, latched_[kArgument - kCommand], data))
        return;
    if ((selector & ParamStore::kReadBit) != 0) {
        for (std::size_t i = 0; i < data.size(); ++i)
            regs_[kData + i] = data[i];
    }
    command = kParamDone;
    ++completed_;
}

void ParamMailbox::Reset() {
    regs_.fill(0);
    pending_ = false;
}

}  // namespace sim
