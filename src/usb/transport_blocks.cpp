#include "transport_blocks.h"

#include <algorithm>
#include <cstring>

#include "guid.h"

namespace usb {
namespace {

constexpr std::uint8_t kStandardDeviceIn = 0x80;
constexpr std::uint8_t kGetDescriptor = 6;

void PutLe16(std::uint8_t* at, std::uint16_t v) {
    at[0] = static_cast<std::uint8_t>(v);
    at[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutLe32(std::uint8_t* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint16_t GetLe16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

std::uint32_t GetLe32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

void PutKsHeader(std::uint8_t* at, std::uint32_t propertyId, std::uint32_t flags) {
    const Guid& set = kVendorRequestPropertySet;
    std::copy(set.bytes.begin(), set.bytes.end(), at + audio_block::kSetGuid);
    PutLe32(at + audio_block::kPropertyId, propertyId);
    PutLe32(at + audio_block::kFlags, flags);
}

bool HasVendorSet(std::span<const std::uint8_t> input) {
    const Guid& set = kVendorRequestPropertySet;
    return std::equal(set.bytes.begin(), set.bytes.end(), input.begin());
}

std::optional<DecodedCall> DecodeAudioCall(std::span<const std::uint8_t> input,
                                           std::span<std::uint8_t> output) {
    using namespace audio_block;
    if (input.size() < ks_header::kSize || !HasVendorSet(input))
        return std::nullopt;
    const std::uint32_t propertyId = GetLe32(&input[kPropertyId]);
    const std::uint32_t flags = GetLe32(&input[kFlags]);
    if (propertyId == 0 && flags == kFlagSetSupport) {
        DecodedCall call;
        call.kind = DecodedCall::Kind::SupportQuery;
        return call;
    }
    if (propertyId != kVendorRequestPropertyId || input.size() < kMinimumSize)
        return std::nullopt;
    if (flags != kFlagGet && flags != kFlagSet)
        return std::nullopt;
    if (input[kMarker] != kMarkerValue)
        return std::nullopt;
    const std::uint32_t length = GetLe32(&input[kLength]);
    if (length > 0xFFFF || input.size() < SizeFor(length) || output.size() < length) {
        return std::nullopt;
    }
    DecodedCall call;
    const bool in = flags == kFlagGet;
    call.setup.requestType = in ? 0xC3 : 0x43;
    call.setup.request = input[kRequest];
    call.setup.value = GetLe16(&input[kValue]);
    call.setup.index = GetLe16(&input[kIndex]);
    call.setup.length = static_cast<std::uint16_t>(length);
    if (in) {
        call.inBuffer = output.first(length);
    } else {
        call.outData = input.subspan(kData, length);
    }
    return call;
}

std::optional<DecodedCall> DecodeVendorCall(std::uint32_t controlCode,
                                            std::span<const std::uint8_t> input,
                                            std::span<std::uint8_t> output) {
    using namespace vendor_block;
    if (input.size() != kSize || output.size() > 0xFFFF)
        return std::nullopt;
    DecodedCall call;
    call.setup.requestType = input[kRequestType];
    call.setup.request = input[kRequest];
    call.setup.value = GetLe16(&input[kValue]);
    call.setup.index = GetLe16(&input[kIndex]);
    call.setup.length = static_cast<std::uint16_t>(output.size());
    // The direction of the control code must agree with bit 7 of the setup packet.
    if (call.setup.IsIn() != (controlCode == kIoctlVendorIn))
        return std::nullopt;
    if (call.setup.IsIn()) {
        call.inBuffer = output;
    } else {
        call.outData = output;
    }
    return call;
}

}  // namespace

std::vector<std::uint8_t> EncodeAudioBlock(std::uint8_t requestType, std::uint8_t request,
                                           std::uint16_t value, std::uint16_t index,
                                           std::span<const std::uint8_t> data) {
    using namespace audio_block;
    const auto length = static_cast<std::uint32_t>(data.size());
    std::vector<std::uint8_t> block(SizeFor(length), 0);
    const bool in = (requestType & kDirectionIn) != 0;
    PutKsHeader(block.data(), kVendorRequestPropertyId, in ? kFlagGet : kFlagSet);
    block[kMarker] = kMarkerValue;
    block[kRequest] = request;
    PutLe16(&block[kValue], value);
    PutLe16(&block[kIndex], index);
    PutLe32(&block[kLength], length);
    if (length != 0)
        std::memcpy(&block[kData], data.data(), length);
    return block;
}

VendorBlock EncodeVendorBlock(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                              std::uint16_t index) {
    using namespace vendor_block;
    VendorBlock block{};
    block[kRequestType] = requestType;
    block[kRequest] = request;
    PutLe16(&block[kValue], value);
    PutLe16(&block[kIndex], index);
    return block;
}

std::uint32_t ControlCodeFor(bool useAudioDriver, std::uint8_t requestType) {
    if (useAudioDriver)
        return kIoctlKsProperty;
    return (requestType & kDirectionIn) != 0 ? kIoctlVendorIn : kIoctlVendorOut;
}

KsHeader EncodeSupportQuery() {
    KsHeader header{};
    PutKsHeader(header.data(), 0, audio_block::kFlagSetSupport);
    return header;
}

VendorBlock EncodeDescriptorProbe() {
    constexpr std::uint16_t kDeviceDescriptor = 0x0100;
    VendorBlock block = EncodeVendorBlock(kStandardDeviceIn, kGetDescriptor, kDeviceDescriptor, 1);
    PutLe16(&block[vendor_block::kLength], kDeviceDescriptorSize);
    return block;
}

std::optional<DecodedCall> DecodeControlCall(std::uint32_t controlCode,
                                             std::span<const std::uint8_t> input,
                                             std::span<std::uint8_t> output) {
    switch (controlCode) {
        case kIoctlKsProperty:
            return DecodeAudioCall(input, output);
        case kIoctlVendorIn:
        case kIoctlVendorOut:
            return DecodeVendorCall(controlCode, input, output);
        default:
            return std::nullopt;
    }
}

bool IsProbe(const DecodedCall& call) {
    return call.kind == DecodedCall::Kind::SupportQuery ||
           (call.setup.requestType == kStandardDeviceIn && call.setup.request == kGetDescriptor);
}

}  // namespace usb
