#include "fuzz/memory_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace fuzz {
namespace {

[[noreturn]] void Die(const char* what) {
    std::perror(what);
    std::abort();
}

void WriteAll(int fd, const std::uint8_t* bytes, std::size_t size, off_t at) {
    while (size > 0) {
        const ssize_t written = pwrite(fd, bytes, size, at);
        if (written <= 0)
            Die("pwrite");
        bytes += written;
        size -= static_cast<std::size_t>(written);
        at += written;
    }
}

}  // namespace

MemoryFile::MemoryFile() : fd_(memfd_create("fuzz-input", 0)) {
    if (fd_ < 0)
        Die("memfd_create");
    // Opening this path gives a fresh description at offset 0, as a file would.
    path_ = "/proc/self/fd/" + std::to_string(fd_);
}

MemoryFile::~MemoryFile() {
    close(fd_);
}

void MemoryFile::Write(std::span<const std::uint8_t> bytes) {
    if (ftruncate(fd_, 0) != 0)
        Die("ftruncate");
    WriteAll(fd_, bytes.data(), bytes.size(), 0);
}

}  // namespace fuzz
