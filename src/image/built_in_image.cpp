#include "image/built_in_image.h"

#include <algorithm>

namespace image {

static_assert(kBuiltInImageSize <= kImageSize);

void CopyBuiltInImage(FirmwareImage& image) {
    std::ranges::copy(BuiltInImage(), image.Bytes().begin());
}

}  // namespace image
