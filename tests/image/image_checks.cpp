#include "image_checks.h"

#include <cstdio>
#include <string>

namespace image_test {
namespace {

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%05X", value);
    return text;
}

// The first offset at which the images differ, or kImageSize.
std::uint32_t FirstDifference(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    for (std::uint32_t i = 0; i < image::kImageSize; ++i) {
        if (a[i] != b[i])
            return i;
    }
    return image::kImageSize;
}

}  // namespace

image::FirmwareImage PatternedImage(std::uint32_t length) {
    image::FirmwareImage result;
    for (std::uint32_t i = 0; i < image::kImageSize; ++i) {
        result.Bytes()[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    result.SetImageLength(length);
    return result;
}

std::vector<std::uint8_t> PseudoRandomBytes(std::size_t count, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(count);
    std::uint32_t state = seed | 1;
    for (auto& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

::testing::AssertionResult SameImage(const image::FirmwareImage& actual,
                                     const image::FirmwareImage& expected) {
    if (actual.ImageLength() != expected.ImageLength()) {
        return ::testing::AssertionFailure()
               << "length " << actual.ImageLength() << ", expected " << expected.ImageLength();
    }
    const std::uint32_t at = FirstDifference(actual.Bytes(), expected.Bytes());
    if (at != image::kImageSize)
        return ::testing::AssertionFailure() << "bytes differ at " << Hex(at);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult HoldsExactly(const image::FirmwareImage& image,
                                        std::span<const std::uint8_t> expected) {
    if (image.ImageLength() != expected.size()) {
        return ::testing::AssertionFailure()
               << "length " << image.ImageLength() << ", expected " << expected.size();
    }
    for (std::uint32_t i = 0; i < image::kImageSize; ++i) {
        const std::uint8_t want = i < expected.size() ? expected[i] : image::kErasedByte;
        if (image.Bytes()[i] != want) {
            return ::testing::AssertionFailure()
                   << "byte at " << Hex(i) << " is " << int{image.Bytes()[i]} << ", expected "
                   << int{want};
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace image_test
