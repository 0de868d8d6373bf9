// The parameter-table marker search on any bytes and any length, the length
// also beyond the bytes, compared with a plain restatement of the rule: the
// lowest position below the length where at least 10 of the first 12 marker
// characters stand in a row from the start.
//
// Input: four bytes of length (little-endian), then the bytes searched. The
// bytes live in a buffer of exactly their size, so a comparison that runs past
// the end is caught by AddressSanitizer.

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

#include "image/table_marker.h"

namespace {

constexpr std::size_t kLengthBytes = 4;

std::optional<std::uint32_t> ReferenceSearch(const std::vector<std::uint8_t>& bytes,
                                             std::uint32_t length) {
    for (std::size_t i = 0; i < length && i < bytes.size(); ++i) {
        std::size_t equal = 0;
        while (equal < image::kMarkerCompared && i + equal < bytes.size() &&
               bytes[i + equal] == static_cast<std::uint8_t>(image::kTableMarker[equal]))
            ++equal;
        if (equal >= image::kMarkerNeeded)
            return static_cast<std::uint32_t>(i);
    }
    return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kLengthBytes)
        return 0;
    std::uint32_t length = 0;
    for (std::size_t i = 0; i < kLengthBytes; ++i)
        length |= static_cast<std::uint32_t>(data[i]) << (8 * i);
    const std::vector<std::uint8_t> bytes(data + kLengthBytes, data + size);

    if (image::FindTableMarker(bytes, length) != ReferenceSearch(bytes, length))
        std::abort();
    return 0;
}
