#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sim {

class SpiFlash;

// The chip's SPI pass-through: it gathers the bytes of one flash instruction
// over one or more requests, clocks them out to the flash with chip select
// held low, and can clock back reply bytes. The firmware starts clocking
// from its main loop some time after the request, and until the clocking is
// over the engine is not ready. It hands a reply to the host only through
// the ready query: the answer "ready" moves the finished reply into the
// buffer that the next fetch reads, and a fetch takes it out. A fetch with no
// reply released that way (no ready poll since the instruction, or a second
// fetch of the same reply) is stalled: the host gets nothing, never a stale
// reply.
class PassThroughEngine {
public:
    static constexpr std::size_t kMaxInstructionBytes = 260;  // instruction, address, one page
    static constexpr std::size_t kReplyBufferBytes = 256;
    // Main-loop latency of the firmware before it starts clocking.
    static constexpr std::uint32_t kPickupUs = 40;
    static constexpr std::uint32_t kNsPerByte = 667;  // 12 MHz SPI clock

    explicit PassThroughEngine(SpiFlash& flash) : flash_(flash) {}

    // Instruction bytes; `last` ends the instruction and runs it. False when
    // the instruction would overflow the engine or ends empty.
    bool Collect(std::span<const std::uint8_t> bytes, bool last, std::uint64_t nowUs);
    // Ends the instruction with `bytes` and clocks back `replyCount` bytes.
    bool RunWithReply(std::span<const std::uint8_t> bytes, std::uint16_t replyCount,
                      std::uint64_t nowUs);
    // The ready query as the host asks it: a ready answer releases the reply
    // of the last read-back instruction to the next fetch.
    bool AnswerReady(std::uint64_t nowUs);
    // The released reply, as far as the buffer goes; false (a stall) when no
    // reply is released.
    bool Fetch(std::span<std::uint8_t> out);
    // Whether the engine has finished clocking, without side effects.
    bool IsReady(std::uint64_t nowUs) const;

    // Drops a half-gathered instruction and the reply (reset, mode change).
    void Reset();

    void SetNeverReadyAfter(std::optional<std::uint32_t> instructions);
    std::uint64_t InstructionsRun() const { return instructionsRun_; }

private:
    void Run(std::uint16_t replyCount, std::uint64_t nowUs);

    SpiFlash& flash_;
    std::vector<std::uint8_t> pending_;
    std::array<std::uint8_t, kReplyBufferBytes> reply_{};   // what a fetch sees
    std::array<std::uint8_t, kReplyBufferBytes> staged_{};  // being clocked in
    std::uint16_t stagedCount_ = 0;
    bool stagedPending_ = false;  // a reply not yet released by a ready answer
    bool released_ = false;       // reply_ holds a reply not yet fetched
    std::uint64_t readyAtUs_ = 0;
    std::uint64_t instructionsRun_ = 0;
    bool neverReady_ = false;
    std::optional<std::uint32_t> neverReadyAfter_;
};

}  // namespace sim
