# Turns a binary file into a C++ source that defines it as a constant array,
# so the program carries the file's bytes. Run as a build step:
#   cmake -DINPUT=<file> -DOUTPUT=<source> -DSIZE=<bytes> -P embed_bytes.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR bytes "${digits} / 2")
if(NOT bytes EQUAL SIZE)
    message(FATAL_ERROR "${INPUT} holds ${bytes} bytes; the program expects exactly ${SIZE}")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," array "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " array "${array}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT} by embed_bytes.cmake; do not edit.
#include \"image/built_in_image.h\"

namespace image {
namespace {

constexpr std::uint8_t kBytes[kBuiltInImageSize] = {
    ${array}
};

}  // namespace

std::span<const std::uint8_t, kBuiltInImageSize> BuiltInImage() { return kBytes; }

}  // namespace image
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
