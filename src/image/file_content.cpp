#include "image/file_content.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

namespace image {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string ErrnoText() {
    return std::generic_category().message(errno);
}

}  // namespace

FileContent ReadFileContent(const std::string& path, std::size_t limit) {
    FileContent content;
    errno = 0;
    const FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        content.error = "Cannot open \"" + path + "\": " + ErrnoText() + ".";
        return content;
    }
    // One byte beyond the limit tells an oversized file from one of exactly the limit.
    constexpr std::size_t kChunk = std::size_t{64} * 1024;
    while (content.bytes.size() <= limit) {
        const std::size_t start = content.bytes.size();
        content.bytes.resize(start + kChunk);
        const std::size_t got = std::fread(content.bytes.data() + start, 1, kChunk, file.get());
        content.bytes.resize(start + got);
        if (got < kChunk)
            break;
    }
    if (std::ferror(file.get()) != 0) {
        content.error = "Cannot read \"" + path + "\": " + ErrnoText() + ".";
        content.bytes.clear();
        return content;
    }
    if (content.bytes.size() > limit) {
        content.exceedsLimit = true;
        content.bytes.resize(limit);
    }
    return content;
}

}  // namespace image
