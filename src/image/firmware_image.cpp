#include "image/firmware_image.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <string>

namespace image {

FirmwareImage::FirmwareImage() : bytes_(std::make_unique<std::array<std::uint8_t, kImageSize>>()) {}

FirmwareImage::FirmwareImage(const FirmwareImage& other)
    : bytes_(std::make_unique<std::array<std::uint8_t, kImageSize>>(*other.bytes_)),
      length_(other.length_) {}

FirmwareImage& FirmwareImage::operator=(const FirmwareImage& other) {
    *bytes_ = *other.bytes_;
    length_ = other.length_;
    return *this;
}

FirmwareImage::~FirmwareImage() = default;

void FirmwareImage::SetImageLength(std::uint32_t length) {
    if (length > kImageSize) {
        throw std::out_of_range("image length " + std::to_string(length) +
                                " exceeds the 262144-byte firmware image");
    }
    length_ = length;
}

void FirmwareImage::Assign(std::span<const std::uint8_t> content) {
    if (content.size() > kImageSize) {
        throw std::out_of_range("content of " + std::to_string(content.size()) +
                                " bytes exceeds the 262144-byte firmware image");
    }
    // memmove: the content may be a view of this very image.
    if (!content.empty())
        std::memmove(bytes_->data(), content.data(), content.size());
    std::fill(bytes_->begin() + static_cast<std::ptrdiff_t>(content.size()), bytes_->end(),
              kErasedByte);
    length_ = static_cast<std::uint32_t>(content.size());
}

void FillImage(FirmwareImage& image, std::uint8_t value) {
    std::ranges::fill(image.Bytes(), value);
}

}  // namespace image
