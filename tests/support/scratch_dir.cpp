#include "support/scratch_dir.h"

#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

namespace image_test {

// create_directory reports whether it made the folder, so a name taken by a
// parallel test is simply tried again (mkdtemp is not there on Windows).
ScratchDir::ScratchDir() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate = temp / ("image_test_" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            root_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a scratch folder in " + temp.string());
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
    std::ofstream out(root_ / name, std::ios::binary | std::ios::trunc);
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
