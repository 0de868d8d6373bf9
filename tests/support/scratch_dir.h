#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace image_test {

// A fresh directory under the system's temporary folder, removed with
// everything in it when the object goes.
class ScratchDir {
public:
    ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    ~ScratchDir();

    std::string PathOf(std::string_view name) const;
    // Writes the file and returns its path.
    std::string Write(std::string_view name, std::string_view content) const;
    std::string Write(std::string_view name, std::span<const std::uint8_t> content) const;

private:
    std::filesystem::path root_;
};

}  // namespace image_test
