#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "chip/flash_commands.h"
#include "sim/virtual_clock.h"
#include "support/fake_backend.h"
#include "usb/quorvex_usb.h"
#include "usb/request_trace.h"
#include "usb/transport_blocks.h"

namespace flash_test {

// A device link to a scripted flash on the fake backend, for the loops' exact
// request sequences and retry rules. Status reads answer from a queue, then a
// default; reads come from `Memory()` through an optional hook that may
// corrupt or fail them; writes and erases change the memory plainly, without
// timing. Addresses wrap at the memory's size, as a real part's do. Every
// request and pause after set-up lands in the trace.
class FakeFlashRig {
public:
    static constexpr std::uint32_t kMemorySize = 0x100000;

    // Sees each read instruction's reply before it is fetched; false fails the fetch.
    using ReadHook = std::function<bool(std::uint32_t address, std::span<std::uint8_t> reply)>;

    FakeFlashRig();

    usb::QuorvexUsb& Link() { return link_; }
    const std::vector<std::string>& Lines() const { return trace_.Lines(); }
    void ClearTrace() { trace_.Clear(); }
    std::uint64_t SleptMs() const { return clock_.SleptUs() / 1000; }

    std::vector<std::uint8_t>& Memory() { return memory_; }
    void SetChipId(const chip::ChipIdBytes& id) { chipId_ = id; }
    void QueueStatus(std::vector<std::uint8_t> values);
    void SetStatus(std::uint8_t value) { statusDefault_ = value; }
    void SetReadHook(ReadHook hook) { readHook_ = std::move(hook); }

    // Ready queries answer from the queue, then ready.
    void QueueReady(std::vector<std::uint8_t> answers);
    // A page or word program keeps the flash busy this long on the rig's clock
    // (which only pauses advance): status reads show the busy bit, and read
    // instructions meanwhile are ignored, their reply floating at 0xFF.
    void SetProgramTimeUs(std::uint64_t us) { programTimeUs_ = us; }
    bool IsBusyNow() const { return clock_.NowUs() < busyUntilUs_; }
    // Fetches of reads at these addresses succeed in full but write nothing
    // into the caller's buffer, as a driver that reports bytes it never sent.
    void SetSilentFetch(std::function<bool(std::uint32_t address)> silent) {
        silentFetch_ = std::move(silent);
    }

    // Complete instructions sent with code 0x80, in order.
    const std::vector<std::vector<std::uint8_t>>& Instructions() const { return instructions_; }
    // Status reads the flash answered so far.
    int StatusReads() const { return statusReads_; }

private:
    bool Answer(const usb::DecodedCall& call);
    void Collect(std::span<const std::uint8_t> bytes, bool last);
    void Execute(const std::vector<std::uint8_t>& instruction);
    bool PrepareReply(std::span<const std::uint8_t> bytes, std::uint16_t count);
    void Program(std::uint32_t address, std::span<const std::uint8_t> data);

    testing_support::FakeBackend backend_;
    sim::VirtualClock clock_;
    usb::QuorvexUsb link_{backend_, clock_};
    usb::MemoryTrace trace_;

    std::vector<std::uint8_t> memory_ = std::vector<std::uint8_t>(kMemorySize, 0xFF);
    chip::ChipIdBytes chipId_{0xEF, 0x40, 0x14};
    std::deque<std::uint8_t> statusQueue_;
    std::uint8_t statusDefault_ = 0x00;
    int statusReads_ = 0;
    ReadHook readHook_;
    std::vector<std::uint8_t> pending_;
    std::vector<std::vector<std::uint8_t>> instructions_;
    std::vector<std::uint8_t> reply_;
    bool replyFails_ = false;
    std::uint32_t aaiAddress_ = 0;
    std::deque<std::uint8_t> readyQueue_;
    std::uint64_t programTimeUs_ = 0;
    std::uint64_t busyUntilUs_ = 0;
    std::function<bool(std::uint32_t)> silentFetch_;
    bool replySilent_ = false;
};

}  // namespace flash_test
