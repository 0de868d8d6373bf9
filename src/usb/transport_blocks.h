#pragma once

// The input blocks of the two driver paths, byte for byte, and their decoding
// back into a USB control request. Encoders serve the device link; decoders
// serve the backends that stand in for the two drivers.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace usb {

// Device I/O control codes.
inline constexpr std::uint32_t kIoctlKsProperty = 0x2F0003;  // audio driver, both directions
inline constexpr std::uint32_t kIoctlVendorOut = 0x222429;   // vendor driver, host to device
inline constexpr std::uint32_t kIoctlVendorIn = 0x22242E;    // vendor driver, device to host

inline constexpr std::uint8_t kDirectionIn = 0x80;  // bit 7 of bmRequestType

// The eight fields of a USB setup packet.
struct ControlSetup {
    std::uint8_t requestType = 0;
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    std::uint16_t length = 0;

    bool IsIn() const { return (requestType & kDirectionIn) != 0; }
    bool operator==(const ControlSetup&) const = default;
};

// Audio-driver block: a kernel-streaming property request carrying the setup
// fields and the data.
namespace audio_block {
inline constexpr std::size_t kSetGuid = 0;      // 16 bytes
inline constexpr std::size_t kPropertyId = 16;  // 4 bytes
inline constexpr std::size_t kFlags = 20;       // 4 bytes
inline constexpr std::size_t kMarker = 24;      // 1 byte, always 0x20
inline constexpr std::size_t kRequest = 25;     // 1 byte
inline constexpr std::size_t kValue = 26;       // 2 bytes
inline constexpr std::size_t kIndex = 28;       // 2 bytes
inline constexpr std::size_t kLength = 36;      // 4 bytes
inline constexpr std::size_t kData = 40;        // `length` bytes
inline constexpr std::size_t kTrailer = 7;      // zero bytes after the data
inline constexpr std::size_t kMinimumSize = 48;

inline constexpr std::uint32_t kVendorRequestPropertyId = 7;
inline constexpr std::uint32_t kFlagGet = 0x1;
inline constexpr std::uint32_t kFlagSet = 0x2;
inline constexpr std::uint32_t kFlagSetSupport = 0x100;
inline constexpr std::uint8_t kMarkerValue = 0x20;

// Size of the block for `length` data bytes: length + 47, or 48 for no data.
constexpr std::size_t SizeFor(std::uint32_t length) {
    return length == 0 ? kMinimumSize : kData + length + kTrailer;
}
}  // namespace audio_block

// Kernel-streaming property header alone, as sent by the probe.
namespace ks_header {
inline constexpr std::size_t kSize = 24;
}

// Vendor-driver block: 24 bytes whose bytes 4 to 11 are a USB setup packet.
namespace vendor_block {
inline constexpr std::size_t kSize = 24;
inline constexpr std::size_t kSetup = 4;  // 8 bytes
inline constexpr std::size_t kRequestType = 4;
inline constexpr std::size_t kRequest = 5;
inline constexpr std::size_t kValue = 6;
inline constexpr std::size_t kIndex = 8;
inline constexpr std::size_t kLength = 10;
}  // namespace vendor_block

using VendorBlock = std::array<std::uint8_t, vendor_block::kSize>;
using KsHeader = std::array<std::uint8_t, ks_header::kSize>;

static_assert(sizeof(VendorBlock) == 24, "the vendor driver takes exactly 24 bytes");
static_assert(vendor_block::kLength + 2 == vendor_block::kSetup + 8, "setup packet is 8 bytes");
static_assert(audio_block::SizeFor(0) == 48 && audio_block::SizeFor(1) == 48 &&
                  audio_block::SizeFor(4) == 51,
              "audio block: length + 47 bytes, 48 without data");
static_assert(audio_block::kData == audio_block::kLength + 4, "data follows the length field");

// The audio-driver block for one vendor request. `data` holds the first
// `length` bytes of the caller's buffer (copied in both directions).
std::vector<std::uint8_t> EncodeAudioBlock(std::uint8_t requestType, std::uint8_t request,
                                           std::uint16_t value, std::uint16_t index,
                                           std::span<const std::uint8_t> data);

// The vendor-driver block; its setup length field stays 0.
VendorBlock EncodeVendorBlock(std::uint8_t requestType, std::uint8_t request, std::uint16_t value,
                              std::uint16_t index);

// Control code for a vendor request on either path.
std::uint32_t ControlCodeFor(bool useAudioDriver, std::uint8_t requestType);

// Probe of the audio-driver path: set-support query of property 0.
KsHeader EncodeSupportQuery();

// Probe of the vendor-driver path: GET_DESCRIPTOR (device) with length 18 and index 1.
inline constexpr std::size_t kDeviceDescriptorSize = 18;
VendorBlock EncodeDescriptorProbe();

// One control call as a backend must carry it out.
struct DecodedCall {
    enum class Kind {
        ControlTransfer,  // run `setup` on the device
        SupportQuery,     // answer whether the vendor property set is supported
    };
    Kind kind = Kind::ControlTransfer;
    ControlSetup setup;
    // OUT: the bytes to send (setup.length of them). IN: empty.
    std::span<const std::uint8_t> outData;
    // IN: where the answer goes (setup.length bytes). OUT: empty.
    std::span<std::uint8_t> inBuffer;
};

// Reads a control call back into a USB request; nullopt for a call that the
// drivers would refuse (unknown code, short or malformed block, wrong set).
std::optional<DecodedCall> DecodeControlCall(std::uint32_t controlCode,
                                             std::span<const std::uint8_t> input,
                                             std::span<std::uint8_t> output);

// Whether a call is one of the link's probes (the support query, the device
// descriptor read) rather than a request of the tool's work. The trace shows
// probes as such, so request counts and a fault plan's numbers leave them out.
bool IsProbe(const DecodedCall& call);

}  // namespace usb
