#include "replay_backend.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>
#include <utility>

#include "request_trace.h"
#include "transport_blocks.h"

namespace usb {
namespace {

std::size_t PathSlot(bool audioDriverPath) {
    return audioDriverPath ? 0 : 1;
}

// Lines of requests the link traced without handing them to a driver: no
// open handle (no cause), a device it had given up on, a stop. The replayed
// run does not hand them over either, so they are passed by.
bool NeverReachedTheDriver(const RecordedRequest& request) {
    return !request.ok &&
           (request.cause.empty() || request.cause == "the device stopped answering" ||
            request.cause.rfind("stopped:", 0) == 0);
}

// "short reply: 32 of 64 bytes" -> 32: the link failed an answer the driver
// gave short, so the replay gives it short again.
std::optional<std::size_t> ShortReplyBytes(std::string_view cause) {
    constexpr std::string_view kShort = "short reply: ";
    if (cause.substr(0, kShort.size()) != kShort)
        return std::nullopt;
    cause.remove_prefix(kShort.size());
    std::size_t bytes = 0;
    const auto [end, error] = std::from_chars(cause.data(), cause.data() + cause.size(), bytes);
    if (error != std::errc())
        return std::nullopt;
    return bytes;
}

// The request as the tool sent it, in the trace's words as far as they are
// known before an answer; an IN request's data would be the answer.
std::string SeenRequest(const DecodedCall& call) {
    const ControlSetup& s = call.setup;
    if ((s.requestType & kDirectionIn) == 0) {
        std::string line =
            FormatRequestLine(s.requestType, s.request, s.value, s.index, call.outData, true);
        line.resize(line.size() - 3);  // " ok": it has no outcome yet
        return line;
    }
    char line[48];
    std::snprintf(line, sizeof line, "%02x %02x %04x %04x %u (in)", s.requestType, s.request,
                  s.value, s.index, static_cast<unsigned>(s.length));
    return line;
}

bool SameRequest(const RecordedRequest& recorded, const DecodedCall& call) {
    const ControlSetup& s = call.setup;
    if (recorded.requestType != s.requestType || recorded.request != s.request ||
        recorded.value != s.value || recorded.index != s.index || recorded.data.size() != s.length)
        return false;
    if ((s.requestType & kDirectionIn) != 0)
        return true;
    return std::equal(recorded.data.begin(), recorded.data.end(), call.outData.begin(),
                      call.outData.end());
}

}  // namespace

ReplayBackend::ReplayBackend(RecordedTrace trace, std::function<void()> onRequest)
    : trace_(std::move(trace)), onRequest_(std::move(onRequest)) {
    present_[0].emplace();
    present_[1].emplace();
}

std::optional<std::size_t> ReplayBackend::NextInGap(TraceEvent::Kind kind, bool audioDriverPath,
                                                    std::size_t& cursor) const {
    for (std::size_t i = std::max(cursor, next_); i < trace_.events.size(); ++i) {
        const TraceEvent& event = trace_.events[i];
        if (event.kind == TraceEvent::Kind::Request && !NeverReachedTheDriver(event.request))
            return std::nullopt;
        if (event.kind == kind && (kind != TraceEvent::Kind::Listing ||
                                   event.listing.audioDriverPath == audioDriverPath)) {
            cursor = i + 1;
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::vector<std::string>> ReplayBackend::ListInterfacePaths(
    const Guid& interfaceClass) {
    const bool audio = interfaceClass == kAudioDriverInterfaceClass;
    const std::size_t slot = PathSlot(audio);
    // The recording's next listing of this driver path before the next
    // request, if the replayed run has not had it yet; else the last one
    // stands (a window that looks more often than the recorded one did).
    if (const auto at = NextInGap(TraceEvent::Kind::Listing, audio, listingCursor_[slot]))
        present_[slot] = trace_.events[*at].listing.paths;
    return present_[slot];
}

DeviceBackend::OpenResult ReplayBackend::Open(const std::string& path) {
    // As recorded where the recording opened at this point (a device that
    // had gone, though the last listing still showed it); else whether the
    // path is listed.
    bool present = false;
    if (const auto at = NextInGap(TraceEvent::Kind::Open, false, openCursor_)) {
        present = trace_.events[*at].opened;
    } else {
        for (const auto& paths : present_) {
            if (paths && std::find(paths->begin(), paths->end(), path) != paths->end())
                present = true;
        }
    }
    if (!present)
        return {OpenStatus::NoSuchDevice, 0};
    return {OpenStatus::Ok, nextHandle_++};
}

const TraceEvent* ReplayBackend::NextRecordedRequest() {
    for (std::size_t i = next_; i < trace_.events.size(); ++i) {
        const TraceEvent& event = trace_.events[i];
        if (event.kind == TraceEvent::Kind::Request && !NeverReachedTheDriver(event.request))
            return &event;
    }
    return nullptr;
}

void ReplayBackend::AcceptRequestAt(std::size_t position) {
    // Listings of the gap the replayed run did not ask for still happened:
    // the device is as the last of them found it.
    for (std::size_t i = next_; i < position; ++i) {
        const TraceEvent& event = trace_.events[i];
        const std::size_t slot = PathSlot(event.listing.audioDriverPath);
        if (event.kind == TraceEvent::Kind::Listing && i >= listingCursor_[slot])
            present_[slot] = event.listing.paths;
    }
    next_ = position + 1;
    listingCursor_ = {next_, next_};
    openCursor_ = next_;
}

IoResult ReplayBackend::IoControl(HandleId, std::uint32_t controlCode,
                                  std::span<const std::uint8_t> input,
                                  std::span<std::uint8_t> output) {
    const std::optional<DecodedCall> call = DecodeControlCall(controlCode, input, output);
    if (!call)
        return IoResult::Failure(0, "replay: a call no driver takes");
    if (IsProbe(*call)) {
        // The probe only asks whether the device answers; a listed one does.
        std::fill(output.begin(), output.end(), std::uint8_t{0});
        return IoResult::Success(call->kind == DecodedCall::Kind::SupportQuery ? 0 : output.size());
    }
    if (!mismatch_.empty())
        return IoResult::Failure(0, mismatch_);
    return Answer(*call);
}

IoResult ReplayBackend::Answer(const DecodedCall& call) {
    const TraceEvent* event = NextRecordedRequest();
    if (event == nullptr)
        return Stop("the end of the trace", call);
    const RecordedRequest& recorded = event->request;
    if (!SameRequest(recorded, call))
        return Stop("\"" + event->text + "\"", call);
    AcceptRequestAt(static_cast<std::size_t>(event - trace_.events.data()));
    ++replayed_;
    if (onRequest_)
        onRequest_();
    const std::optional<std::size_t> shortBytes = ShortReplyBytes(recorded.cause);
    if (!recorded.ok && !shortBytes)
        return IoResult::Failure(0, recorded.cause);
    if ((call.setup.requestType & kDirectionIn) == 0)
        return IoResult::Success(call.outData.size());
    const std::size_t bytes =
        std::min(shortBytes.value_or(recorded.data.size()), call.inBuffer.size());
    std::copy_n(recorded.data.begin(), bytes, call.inBuffer.begin());
    return IoResult::Success(bytes);
}

std::string ReplayBackend::StopAtEnd() {
    if (!mismatch_.empty())
        return mismatch_;
    const TraceEvent* event = NextRecordedRequest();
    if (event == nullptr)
        return {};
    return "replay stopped at trace line " + std::to_string(event->lineNumber) + ": expected \"" +
           event->text + "\", the tool sent no more requests";
}

IoResult ReplayBackend::Stop(const std::string& expected, const DecodedCall& call) {
    const TraceEvent* event = NextRecordedRequest();
    const std::size_t line = event != nullptr ? event->lineNumber : trace_.lineCount + 1;
    mismatch_ = "replay stopped at trace line " + std::to_string(line) + ": expected " + expected +
                ", the tool sent \"" + SeenRequest(call) + "\"";
    return IoResult::Failure(0, mismatch_);
}

}  // namespace usb
