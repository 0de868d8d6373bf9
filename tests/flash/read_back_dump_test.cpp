#include "flash/read_back_dump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace flash_test {
namespace {

std::vector<std::uint8_t> Buffer() {
    std::vector<std::uint8_t> buffer(0x40000);
    for (std::size_t i = 0; i < buffer.size(); ++i)
        buffer[i] = static_cast<std::uint8_t>(i);
    return buffer;
}

std::vector<std::string> SplitAtCarriageReturns(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\r', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text after the last line end";
    return lines;
}

TEST(ReadBackDump, ReadFlashRangeGives2048LinesOfSixteenEntries) {
    const std::string text = flash::FormatReadBackDump(Buffer(), 0x8000);
    EXPECT_EQ(text.find('\n'), std::string::npos);
    const std::vector<std::string> lines = SplitAtCarriageReturns(text);
    ASSERT_EQ(lines.size(), 2048u);
    EXPECT_EQ(lines[0],
              "0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, "
              "0x0D, 0x0E, 0x0F, ");
    EXPECT_EQ(lines[2047].substr(0, 12), "0xF0, 0xF1, ");
    EXPECT_TRUE(std::all_of(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.size() == 16 * 6; }));
}

TEST(ReadBackDump, FileHoldsExactlyTheDumpAndIsReplaced) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "flash_dump_test.txt";
    {
        std::ofstream old(path);
        old << std::string(500000, 'x');
    }
    ASSERT_TRUE(flash::WriteReadBackDump(path.string(), Buffer(), 0x8000));
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, flash::FormatReadBackDump(Buffer(), 0x8000));
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), 2048);
    in.close();  // Windows removes no file that is still open
    std::filesystem::remove(path);
}

TEST(ReadBackDump, UnwritablePathIsReported) {
    EXPECT_FALSE(flash::WriteReadBackDump("/nonexistent-dir/dump.txt", Buffer(), 0x8000));
}

}  // namespace
}  // namespace flash_test
