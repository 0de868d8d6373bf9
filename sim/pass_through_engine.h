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
// held low, and can clock back reply bytes into a buffer that the host
// fetches once the engine reports ready. Clocking takes time on the SPI bus;
// until it is over the engine is not ready and a fetch still sees the
// previous reply.
class PassThroughEngine {
public:
    static constexpr std::size_t kMaxInstructionBytes = 260;  // instruction, address, one page
    static constexpr std::size_t kReplyBufferBytes = 256;
    static constexpr std::uint32_t kOverheadNs = 2000;  // per instruction
    static constexpr std::uint32_t kNsPerByte = 667;    // 12 MHz SPI clock

    explicit PassThroughEngine(SpiFlash& flash) : flash_(flash) {}

    // Instruction bytes; `last` ends the instruction and runs it. False when
    // the instruction would overflow the engine or ends empty.
    bool Collect(std::span<const std::uint8_t> bytes, bool last, std::uint64_t nowUs);
    // Ends the instruction with `bytes` and clocks back `replyCount` bytes.
    bool RunWithReply(std::span<const std::uint8_t> bytes, std::uint16_t replyCount,
                      std::uint64_t nowUs);
    // The reply of the last read-back instruction, as far as the buffer goes.
    bool Fetch(std::span<std::uint8_t> out, std::uint64_t nowUs);
    bool IsReady(std::uint64_t nowUs) const;

    // Drops a half-gathered instruction and the reply (reset, mode change).
    void Reset();

    void SetNeverReadyAfter(std::optional<std::uint32_t> instructions);
    std::uint64_t InstructionsRun() const { return instructionsRun_; }

private:
    void Run(std::uint16_t replyCount, std::uint64_t nowUs);
    void PublishReply(std::uint64_t nowUs);

    SpiFlash& flash_;
    std::vector<std::uint8_t> pending_;
    std::array<std::uint8_t, kReplyBufferBytes> reply_{};   // what a fetch sees
    std::array<std::uint8_t, kReplyBufferBytes> staged_{};  // being clocked in
    std::uint16_t stagedCount_ = 0;
    bool stagedPending_ = false;
    std::uint64_t readyAtUs_ = 0;
    std::uint64_t instructionsRun_ = 0;
    bool neverReady_ = false;
    std::optional<std::uint32_t> neverReadyAfter_;
};

}  // namespace sim
