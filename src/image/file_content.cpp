#include "image/file_content.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
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

// Why `path` is no file to read, in the system's words; empty for a regular file.
std::string NotARegularFile(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error)
        return error.message();
    switch (status.type()) {
        case fs::file_type::regular:
            return {};
        case fs::file_type::directory:
            return std::make_error_code(std::errc::is_a_directory).message();
        case fs::file_type::fifo:
            return "not a regular file but a FIFO";
        case fs::file_type::character:
        case fs::file_type::block:
            return "not a regular file but a device";
        case fs::file_type::socket:
            return "not a regular file but a socket";
        default:
            return "not a regular file";
    }
}

}  // namespace

FileContent ReadFileContent(const std::string& path, std::size_t limit) {
    FileContent content;
    content.reason = NotARegularFile(path);
    if (!content.reason.empty()) {
        content.error = "Cannot open \"" + path + "\": " + content.reason + ".";
        return content;
    }
    errno = 0;
    const FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        content.reason = ErrnoText();
        content.error = "Cannot open \"" + path + "\": " + content.reason + ".";
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
        content.reason = ErrnoText();
        content.error = "Cannot read \"" + path + "\": " + content.reason + ".";
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
