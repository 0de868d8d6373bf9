#pragma once

#include "support/trace_match.h"

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sim/virtual_clock.h"
#include "support/fake_backend.h"
#include "usb/quorvex_usb.h"
#include "usb/request_trace.h"
#include "usb/transport_blocks.h"

namespace chip_test {

// A device link to a found chip on the fake backend, with a scripted responder
// that answers register reads, ready queries and fetches, and fails chosen
// requests. Every request and pause lands in `trace`, starting after set-up.
class ChipRig {
public:
    // With `open` false the link is found but holds no handle, as before a
    // command that opens the device itself.
    explicit ChipRig(bool open = true);

    usb::QuorvexUsb& Link() { return link_; }
    const std::vector<std::string>& Lines() const { return trace_.Lines(); }
    void ClearTrace() { trace_.Clear(); }
    int OpenCount() const { return static_cast<int>(backend_.OpenedPaths().size()); }
    std::uint64_t SleptMs() const { return clock_.SleptUs() / 1000; }

    // Register reads answer from the register's queue, then its default (0).
    void QueueRegister(std::uint16_t reg, std::vector<std::uint8_t> values);
    void SetRegister(std::uint16_t reg, std::uint8_t value) { registerDefaults_[reg] = value; }
    // Ready queries answer from the queue, then the default (ready).
    void QueueReady(std::vector<std::uint8_t> answers);
    void SetReady(std::uint8_t answer) { readyDefault_ = answer; }
    // Fetches answer with these bytes, 0x00 past their end.
    void SetFetchData(std::vector<std::uint8_t> bytes) { fetchData_ = std::move(bytes); }

    // Makes the n-th request after set-up fail (1-based), or every request with this code.
    void FailRequest(int n) { failedOrdinals_.insert(n); }
    void FailCode(std::uint8_t request) { failedCodes_.insert(request); }
    // Failed requests still fill the caller's buffer, so that commands which
    // trust a failed answer show it.
    void SetFailureGarbage(std::uint8_t byte) { failureGarbage_ = byte; }
    // Answers to this request code deliver at most `maxBytes` bytes (the rest
    // of the caller's buffer untouched), though the call itself succeeds.
    void CutReplies(std::uint8_t request, std::size_t maxBytes) {
        backend_.CutInReplies(maxBytes, request);
    }

private:
    bool Answer(const usb::DecodedCall& call);
    void Fill(const usb::DecodedCall& call);
    static std::uint8_t Next(std::deque<std::uint8_t>& queue, std::uint8_t fallback);

    testing_support::FakeBackend backend_;
    sim::VirtualClock clock_;
    usb::QuorvexUsb link_{backend_, clock_};
    usb::MemoryTrace trace_;

    int requests_ = 0;
    bool settingUp_ = true;
    std::map<std::uint16_t, std::deque<std::uint8_t>> registerQueues_;
    std::map<std::uint16_t, std::uint8_t> registerDefaults_;
    std::deque<std::uint8_t> readyQueue_;
    std::uint8_t readyDefault_ = 1;
    std::vector<std::uint8_t> fetchData_;
    std::set<int> failedOrdinals_;
    std::set<std::uint8_t> failedCodes_;
    std::uint8_t failureGarbage_ = 0xA5;
};

// Compares a trace with the expected lines and names the first difference.
using testing_support::TraceIs;

// Expected trace lines.
std::string RegWriteLine(std::uint16_t reg, std::uint8_t value);
std::string RegReadLine(std::uint16_t reg, std::uint8_t value);
std::string SleepLine(std::uint32_t ms);
// The bytes in lower-case hex, as the trace writes data.
using testing_support::Hex;

}  // namespace chip_test
