#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "sim/param_store.h"

namespace sim {

// The firmware's mailbox in bank 0 (registers 0x90-0x9A). Writing the command
// register starts a request; the firmware carries it out after a while and
// writes its completion code into the command register. The firmware takes
// the selector, argument and data registers over when the command register
// is written; later writes to them do not change the request in flight.
// Only running firmware serves the mailbox: a request made in ISP mode never
// completes.
class ParamMailbox {
public:
    static constexpr std::uint16_t kCommand = 0x90;
    static constexpr std::uint16_t kSelector = 0x91;
    static constexpr std::uint16_t kArgument = 0x92;
    static constexpr std::uint16_t kDataFirst = 0x93;
    static constexpr std::uint16_t kDataLast = 0x9A;

    static constexpr std::uint8_t kParamCommand = 0x10;
    static constexpr std::uint8_t kParamDone = 0xEE;
    static constexpr std::uint8_t kHidCommand = 0x30;
    static constexpr std::uint8_t kHidDone = 0x31;
    static constexpr std::uint32_t kParamCompletionUs = 15000;
    static constexpr std::uint32_t kHidCompletionUs = 8000;

    explicit ParamMailbox(ParamStore& store) : store_(store) {}

    static bool IsMailboxRegister(std::uint16_t reg) { return reg >= kCommand && reg <= kDataLast; }
    void Write(std::uint16_t reg, std::uint8_t value, std::uint64_t nowUs, bool firmwareRunning);
    std::uint8_t Read(std::uint16_t reg, std::uint64_t nowUs);

    // Chip reset: registers cleared, a request in flight forgotten.
    void Reset();

    // HID key codes the firmware has sent to the host, oldest first.
    const std::vector<std::uint8_t>& HidKeys() const { return hidKeys_; }
    std::uint64_t CompletedRequests() const { return completed_; }

private:
    void Start(std::uint8_t command, std::uint64_t nowUs);
    void Settle(std::uint64_t nowUs);
    void Complete();

    ParamStore& store_;
    std::array<std::uint8_t, kDataLast - kCommand + 1> regs_{};
    std::array<std::uint8_t, kDataLast - kCommand + 1> latched_{};  // the request in flight
    bool pending_ = false;
    std::uint64_t doneAtUs_ = 0;
    std::uint64_t completed_ = 0;
    std::vector<std::uint8_t> hidKeys_;
};

}  // namespace sim
