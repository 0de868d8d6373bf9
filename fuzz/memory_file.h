#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace fuzz {

// An in-memory file with a path, so the loaders run their own file reading on
// the fuzz input without touching the disk. One per process; each Write
// replaces the whole content.
class MemoryFile {
public:
    MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    ~MemoryFile();

    void Write(std::span<const std::uint8_t> bytes);
    const std::string& Path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace fuzz
