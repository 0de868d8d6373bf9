#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device_backend.h"
#include "trace_format.h"

namespace usb {

struct DecodedCall;

// Stands in for the device a trace was recorded with: the bus lists what the
// recording's listings found, at the same points of the run, and every
// request is checked against the next recorded one (type, code, value,
// index, length and the OUT data) and answered as recorded: an IN request
// gets the recorded answer, a recorded failure fails with its cause. The
// first request that differs stops the replay: it and every later one fail
// with a sentence naming the trace line, what it expected and what came.
class ReplayBackend final : public DeviceBackend {
public:
    // `onRequest` runs once per request the device answers (the replay's
    // clock charging a request's bus time); may be empty.
    explicit ReplayBackend(RecordedTrace trace, std::function<void()> onRequest = {});

    std::optional<std::vector<std::string>> ListInterfacePaths(const Guid& interfaceClass) override;
    OpenResult Open(const std::string& path) override;
    void Close(HandleId) noexcept override {}
    IoResult IoControl(HandleId handle, std::uint32_t controlCode,
                       std::span<const std::uint8_t> input,
                       std::span<std::uint8_t> output) override;

    // Why the replay stopped the run ("replay stopped at trace line 812:
    // ..."); empty while every request has matched.
    const std::string& Mismatch() const { return mismatch_; }
    // Once the run is over: the mismatch, or, when the recording went on to
    // requests the replayed run never sent, the first of them; else "".
    std::string StopAtEnd();
    // The requests answered from the trace so far.
    std::size_t RequestsReplayed() const { return replayed_; }

private:
    const TraceEvent* NextRecordedRequest();
    // The next event of `kind` in the current gap not yet given out (its
    // position), moving `cursor` past it; nullopt when the gap has none left.
    std::optional<std::size_t> NextInGap(TraceEvent::Kind kind, bool audioDriverPath,
                                         std::size_t& cursor) const;
    void AcceptRequestAt(std::size_t position);
    IoResult Answer(const DecodedCall& call);
    IoResult Stop(const std::string& expected, const DecodedCall& call);

    RecordedTrace trace_;
    std::function<void()> onRequest_;
    // The next event not yet passed, and per driver path (audio first) the
    // next listing of the current gap between two requests not yet given out.
    std::size_t next_ = 0;
    std::array<std::size_t, 2> listingCursor_{};
    std::size_t openCursor_ = 0;
    std::array<std::optional<std::vector<std::string>>, 2> present_;
    std::string mismatch_;
    std::size_t replayed_ = 0;
    HandleId nextHandle_ = 1;
};

}  // namespace usb
