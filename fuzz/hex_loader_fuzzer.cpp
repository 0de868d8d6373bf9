// The HEX loader on arbitrary text: never a crash or a read past the text; a
// load either succeeds with a consistent image or is refused leaving the image
// exactly as it was.

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "fuzz/memory_file.h"
#include "image/checksum.h"
#include "image/firmware_image.h"
#include "image/hex_loader.h"

namespace {

// What the image holds before every load: a refused file must leave it so.
constexpr std::uint8_t kEarlierByte = 0x5A;
constexpr std::uint32_t kEarlierLength = 0x123;

void Require(bool condition) {
    if (!condition)
        std::abort();
}

// memcmp against a filled block rather than a byte loop: the comparisons of a
// loop over 256 KiB would each be traced for the fuzzer and slow every run.
bool AllEqual(std::span<const std::uint8_t> bytes, std::uint8_t value) {
    static std::array<std::uint8_t, image::kImageSize> block;
    std::memset(block.data(), value, bytes.size());
    return std::memcmp(bytes.data(), block.data(), bytes.size()) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::MemoryFile file;
    static image::FirmwareImage firmware;
    file.Write(std::span(data, size));
    // memset, not FillImage: its byte loop, traced for the fuzzer, would cost more than the load.
    std::memset(firmware.Bytes().data(), kEarlierByte, image::kImageSize);
    firmware.SetImageLength(kEarlierLength);

    const image::LoadResult result = image::LoadHexFile(firmware, file.Path());
    if (result.Loaded()) {
        Require(firmware.ImageLength() <= image::kImageSize);
        Require(result.checksum == image::Checksum16(firmware.Defined()));
        Require(result.message.empty());
        // Nothing of the earlier content may survive past the new length.
        Require(AllEqual(firmware.Bytes().subspan(firmware.ImageLength()), image::kErasedByte));
    } else {
        Require(result.status == image::LoadStatus::Refused);
        Require(!result.message.empty() && !result.reason.empty());
        Require(firmware.ImageLength() == kEarlierLength);
        Require(AllEqual(firmware.Bytes(), kEarlierByte));
    }
    return 0;
}
