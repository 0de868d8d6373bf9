// The backends' decoding of driver blocks, on blocks of any content and size:
// a decoded call's buffers must lie inside the caller's blocks and agree with
// the length it announces. Then the encoders' blocks for request fields taken
// from the input must decode back to exactly those fields.
//
// Input: a control-code byte (0 audio driver, 1 vendor IN, 2 vendor OUT,
// anything else an unknown code), two bytes of output size (little-endian),
// then the input block. Both blocks live in buffers of exactly their size.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "usb/transport_blocks.h"

namespace {

constexpr std::size_t kHeaderBytes = 3;
constexpr std::uint8_t kAudioCode = 0;
constexpr std::uint8_t kVendorInCode = 1;
constexpr std::uint8_t kVendorOutCode = 2;
constexpr std::uint32_t kUnknownCode = 0x220000;

void Require(bool condition) {
    if (!condition)
        std::abort();
}

std::uint32_t ControlCode(std::uint8_t selector) {
    switch (selector) {
        case kAudioCode:
            return usb::kIoctlKsProperty;
        case kVendorInCode:
            return usb::kIoctlVendorIn;
        case kVendorOutCode:
            return usb::kIoctlVendorOut;
        default:
            return kUnknownCode + selector;
    }
}

template <typename T, typename U>
bool Inside(std::span<T> part, std::span<U> whole) {
    if (part.empty())
        return true;
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

void CheckDecoded(std::uint32_t code, std::span<const std::uint8_t> input,
                  std::span<std::uint8_t> output) {
    const auto call = usb::DecodeControlCall(code, input, output);
    if (!call || call->kind != usb::DecodedCall::Kind::ControlTransfer)
        return;
    const usb::ControlSetup& setup = call->setup;
    if (setup.IsIn()) {
        Require(call->outData.empty() && call->inBuffer.size() == setup.length);
        Require(Inside(call->inBuffer, output));
    } else {
        Require(call->inBuffer.empty() && call->outData.size() == setup.length);
        Require(Inside(call->outData, input) || Inside(call->outData, std::span(output)));
    }
}

// Request fields from the input's first bytes, the data from the rest.
void CheckRoundTrip(std::span<const std::uint8_t> fields, std::span<const std::uint8_t> rest) {
    const std::uint8_t requestType = (fields[0] & usb::kDirectionIn) != 0 ? 0xC3 : 0x43;
    const std::uint8_t request = fields[1];
    const auto value = static_cast<std::uint16_t>(fields[2] | (fields[1] << 8));
    const auto index = static_cast<std::uint16_t>(fields[0] | (fields[2] << 8));
    std::vector<std::uint8_t> data(rest.begin(), rest.end());
    const usb::ControlSetup expected{requestType, request, value, index,
                                     static_cast<std::uint16_t>(data.size())};

    const std::vector<std::uint8_t> audio =
        usb::EncodeAudioBlock(requestType, request, value, index, data);
    const auto fromAudio = usb::DecodeControlCall(usb::kIoctlKsProperty, audio, data);
    Require(fromAudio && fromAudio->setup == expected);
    if (!expected.IsIn())
        Require(std::equal(data.begin(), data.end(), fromAudio->outData.begin(),
                           fromAudio->outData.end()));

    const usb::VendorBlock vendor = usb::EncodeVendorBlock(requestType, request, value, index);
    const auto fromVendor =
        usb::DecodeControlCall(usb::ControlCodeFor(false, requestType), vendor, data);
    Require(fromVendor && fromVendor->setup == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kHeaderBytes)
        return 0;
    const std::uint32_t code = ControlCode(data[0]);
    const std::size_t outputSize = data[1] | (data[2] << 8);
    const std::vector<std::uint8_t> input(data + kHeaderBytes, data + size);
    std::vector<std::uint8_t> output(outputSize, 0);
    CheckDecoded(code, input, output);
    CheckRoundTrip(std::span(data, kHeaderBytes), input);
    return 0;
}
