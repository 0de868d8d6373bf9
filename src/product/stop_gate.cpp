#include "product/stop_gate.h"

#include <algorithm>
#include <array>

#include "chip/request_codes.h"
#include "product/run_state.h"
#include "usb/transport_blocks.h"

namespace product {
namespace {

// Every instruction that clears flash content, whichever the part.
constexpr std::array<std::uint8_t, 5> kEraseInstructions = {chip::kFlashChipErase, 0x60,
                                                            chip::kFlashSectorErase, 0x52, 0xD8};

}  // namespace

bool StopGate::Closed() const {
    return state_.StopAsked() && !reopened_;
}

void StopGate::ResetRun() {
    reopened_ = false;
    eraseSent_ = false;
}

std::optional<std::vector<std::string>> StopGate::ListInterfacePaths(
    const usb::Guid& interfaceClass) {
    return inner_.ListInterfacePaths(interfaceClass);
}

StopGate::OpenResult StopGate::Open(const std::string& path) {
    return inner_.Open(path);
}

void StopGate::Close(HandleId handle) noexcept {
    inner_.Close(handle);
}

usb::IoResult StopGate::IoControl(HandleId handle, std::uint32_t controlCode,
                                  std::span<const std::uint8_t> input,
                                  std::span<std::uint8_t> output) {
    if (Closed())
        return usb::IoResult::Failure(usb::kRequestStopped, "stopped: the run was asked to stop");
    const auto call = usb::DecodeControlCall(controlCode, input, output);
    if (call)
        NoteErase(*call);
    if (!call || !usb::IsProbe(*call))
        ++passed_;
    return inner_.IoControl(handle, controlCode, input, output);
}

void StopGate::NoteErase(const usb::DecodedCall& call) {
    if (call.kind != usb::DecodedCall::Kind::ControlTransfer)
        return;
    if (call.setup.request != chip::kRequestFlashInstruction || call.outData.empty())
        return;
    // The data of a page program follows its header in a request of its own;
    // its first byte is data, not an instruction.
    const bool data = continuing_;
    continuing_ = call.setup.index == chip::kInstructionContinues;
    if (data)
        return;
    if (std::ranges::find(kEraseInstructions, call.outData[0]) != kEraseInstructions.end())
        eraseSent_ = true;
}

}  // namespace product
