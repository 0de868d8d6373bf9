#pragma once

#include <cstddef>
#include <string>

namespace image {

// The bytes of a file read in one go, at most a caller-given limit of them.
struct FileContent {
    std::string bytes;
    bool exceedsLimit = false;  // the file holds more than the limit; `bytes` stops there
    std::string error;          // why the file could not be opened or read; empty if it could
    std::string reason;         // the cause alone, in the system's words ("Is a directory")

    bool Ok() const { return error.empty(); }
};

// Reads `path` in binary mode. Reading stops once more than `limit` bytes are
// seen, so an oversized file is recognised without reading all of it. Only a
// regular file is read: a FIFO with no writer would block for ever, and a
// device could hand out endless bytes, so either is refused before opening.
FileContent ReadFileContent(const std::string& path, std::size_t limit);

}  // namespace image
