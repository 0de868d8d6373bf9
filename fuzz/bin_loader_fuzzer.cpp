// The binary loader on files of any content and of sizes around the image's:
// a file that fits becomes the image byte for byte, an empty or larger one is
// refused and the image keeps its earlier content.
//
// Input: one size byte, then the content. With bit 7 of the size byte clear
// the file is the content itself; with it set, the file is the content
// repeated to kImageSize - 8 + (size byte & 0x0F) bytes, so a tiny input
// reaches the image-size boundary from both sides.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "fuzz/memory_file.h"
#include "image/bin_loader.h"
#include "image/checksum.h"
#include "image/firmware_image.h"

namespace {

constexpr std::uint8_t kEarlierByte = 0x5A;
constexpr std::uint32_t kEarlierLength = 0x123;
constexpr std::uint8_t kRepeatFlag = 0x80;
constexpr std::uint8_t kOffsetMask = 0x0F;
constexpr std::size_t kBelowImage = 8;

void Require(bool condition) {
    if (!condition)
        std::abort();
}

std::vector<std::uint8_t> FileContent(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> pattern(data + 1, data + size);
    if ((data[0] & kRepeatFlag) == 0)
        return pattern;
    std::vector<std::uint8_t> content(image::kImageSize - kBelowImage + (data[0] & kOffsetMask), 0);
    if (!pattern.empty()) {
        for (std::size_t at = 0; at < content.size(); at += pattern.size()) {
            const std::size_t count = std::min(pattern.size(), content.size() - at);
            std::memcpy(content.data() + at, pattern.data(), count);
        }
    }
    return content;
}

// memcmp rather than a byte loop, whose every comparison the fuzzer would trace.
bool Equal(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static fuzz::MemoryFile file;
    static image::FirmwareImage firmware;
    static const std::vector<std::uint8_t> earlier(image::kImageSize, kEarlierByte);
    static const std::vector<std::uint8_t> erased(image::kImageSize, image::kErasedByte);
    const std::vector<std::uint8_t> content = FileContent(data, size);
    file.Write(content);
    // memset, not FillImage: its byte loop, traced for the fuzzer, would cost more than the load.
    std::memset(firmware.Bytes().data(), kEarlierByte, image::kImageSize);
    firmware.SetImageLength(kEarlierLength);

    const image::LoadResult result = image::LoadBinFile(firmware, file.Path());
    const auto bytes = firmware.Bytes();
    if (!content.empty() && content.size() <= image::kImageSize) {
        Require(result.Loaded());
        Require(firmware.ImageLength() == content.size());
        Require(Equal(bytes.first(content.size()), content));
        Require(Equal(bytes.subspan(content.size()),
                      std::span(erased).first(image::kImageSize - content.size())));
        Require(result.checksum == image::Checksum16(firmware.Defined()));
    } else {
        Require(result.status == image::LoadStatus::Refused && !result.message.empty());
        Require(firmware.ImageLength() == kEarlierLength);
        Require(Equal(bytes, earlier));
    }
    return 0;
}
