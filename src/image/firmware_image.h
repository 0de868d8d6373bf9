#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>

namespace image {

// The flash the products carry is 256 KiB; the image mirrors it byte for byte.
inline constexpr std::uint32_t kImageSize = 0x40000;
// Erased NOR flash reads as all ones, so bytes a file leaves undefined hold this.
inline constexpr std::uint8_t kErasedByte = 0xFF;

// The bytes the flash loops write and compare (`firmwareImage`) together with
// how many of them, from offset 0, the last load defined (`imageLength`).
// The buffer lives on the heap: 256 KiB is too much for a stack, and copies
// (the Gen. Bin File page keeps one) must be deep.
class FirmwareImage {
public:
    // All zero with length 0, the state before anything is loaded.
    FirmwareImage();
    FirmwareImage(const FirmwareImage& other);
    FirmwareImage& operator=(const FirmwareImage& other);
    ~FirmwareImage();

    std::span<std::uint8_t, kImageSize> Bytes() { return *bytes_; }
    std::span<const std::uint8_t, kImageSize> Bytes() const { return *bytes_; }
    // The defined part, bytes 0 .. imageLength - 1.
    std::span<const std::uint8_t> Defined() const { return Bytes().first(length_); }

    std::uint32_t ImageLength() const { return length_; }
    // Throws std::out_of_range beyond kImageSize: a longer length would let the
    // flash loops read past the buffer.
    void SetImageLength(std::uint32_t length);

    // Replaces the whole image in one step, as a successful load does: `content`
    // from offset 0, erased bytes after it, and its size as the length.
    // Throws std::out_of_range (leaving the image as it was) when it does not fit.
    void Assign(std::span<const std::uint8_t> content);

private:
    // Never null: the copy operations copy content rather than steal the buffer,
    // so no moved-from image without a buffer can exist.
    std::unique_ptr<std::array<std::uint8_t, kImageSize>> bytes_;
    std::uint32_t length_ = 0;
};

// Writes `value` into all kImageSize bytes; the length stays as it is.
void FillImage(FirmwareImage& image, std::uint8_t value);

}  // namespace image
