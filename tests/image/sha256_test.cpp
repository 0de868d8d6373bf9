// The image digest against the standard's published test messages: empty,
// one block, the padding that spills into a second block, and many blocks.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "image/sha256.h"

namespace {

struct Vector {
    const char* name;
    std::string message;
    const char* digest;
};

void PrintTo(const Vector& vector, std::ostream* out) {
    *out << vector.name;
}

class Sha256 : public ::testing::TestWithParam<Vector> {};

TEST_P(Sha256, GivesThePublishedDigest) {
    const std::string& text = GetParam().message;
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    EXPECT_EQ(image::Sha256Hex(bytes), GetParam().digest);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, Sha256,
    ::testing::Values(
        Vector{"Empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        Vector{"Abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        Vector{"PaddingSpills", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
               "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        Vector{"MillionA", std::string(1000000, 'a'),
               "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"}),
    [](const ::testing::TestParamInfo<Vector>& info) { return info.param.name; });

}  // namespace
