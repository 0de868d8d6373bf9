// Files that cannot be read say why in the system's own words, and nothing but
// a regular file is opened: a FIFO without a writer must not hang the tool.

#include <gtest/gtest.h>

#ifndef _WIN32

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

#include "image/firmware_file.h"
#include "image/firmware_image.h"
#include "image_checks.h"
#include "support/scratch_dir.h"

namespace {

struct Unreadable {
    const char* name;
    std::function<std::string(const image_test::ScratchDir&)> make;  // returns the path
    std::string reason;
};

void PrintTo(const Unreadable& c, std::ostream* out) {
    *out << c.name;
}

class UnreadableFile : public ::testing::TestWithParam<Unreadable> {};

TEST_P(UnreadableFile, IsRefusedAtOnceWithTheSystemsReason) {
    const image_test::ScratchDir dir;
    const std::string path = GetParam().make(dir);
    image::FirmwareImage image = image_test::PatternedImage(7);
    const image::FirmwareImage before = image;
    const image::LoadResult result = image::LoadFirmwareFile(image, path);
    EXPECT_EQ(result.status, image::LoadStatus::NotOpened);
    EXPECT_EQ(result.reason, GetParam().reason);
    EXPECT_NE(result.message.find(path), std::string::npos) << result.message;
    EXPECT_TRUE(image_test::SameImage(image, before));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, UnreadableFile,
    ::testing::Values(
        Unreadable{"Missing", [](const auto& dir) { return dir.PathOf("missing.hex"); },
                   "No such file or directory"},
        Unreadable{"Directory",
                   [](const auto& dir) {
                       const std::string path = dir.PathOf("folder.hex");
                       ::mkdir(path.c_str(), 0700);
                       return path;
                   },
                   "Is a directory"},
        Unreadable{"NameTooLong",
                   [](const auto& dir) { return dir.PathOf(std::string(300, 'a') + ".hex"); },
                   "File name too long"},
        Unreadable{"FifoWithoutWriter",
                   [](const auto& dir) {
                       const std::string path = dir.PathOf("pipe.hex");
                       ::mkfifo(path.c_str(), 0600);
                       return path;
                   },
                   "not a regular file but a FIFO"},
        Unreadable{"Device",
                   [](const auto& dir) {
                       const std::string path = dir.PathOf("zero.bin");
                       std::filesystem::create_symlink("/dev/zero", path);
                       return path;
                   },
                   "not a regular file but a device"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

#endif
