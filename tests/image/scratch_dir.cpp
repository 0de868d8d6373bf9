#include "scratch_dir.h"

#include <stdlib.h>

#include <fstream>
#include <stdexcept>
#include <system_error>

namespace image_test {

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "image_test_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string ScratchDir::PathOf(std::string_view name) const {
    return (root_ / name).string();
}

std::string ScratchDir::Write(std::string_view name, std::string_view content) const {
    std::string path = PathOf(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
    return path;
}

std::string ScratchDir::Write(std::string_view name, std::span<const std::uint8_t> content) const {
    return Write(name,
                 std::string_view(reinterpret_cast<const char*>(content.data()), content.size()));
}

}  // namespace image_test
