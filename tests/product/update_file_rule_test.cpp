#include "catalog/update_file_rule.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/scratch_dir.h"

namespace product_test {
namespace {

const product::ProductRow& RowF06A() {
    return product::productTable[4];
}

TEST(UpdateFileRule, NamesTheFileAfterTheRowsBaseName) {
    EXPECT_EQ(product::UpdateFileName(product::productTable[0]), "PaleReed_f066.hex");
    EXPECT_EQ(product::UpdateFileName(RowF06A()), "PaleReed_f06A.hex");
}

TEST(UpdateFileRule, FindsTheFileWhateverTheCaseOfItsName) {
    image_test::ScratchDir dir;
    dir.Write("PALEREED_F06A.HEX", "x");
    const auto found = product::FindUpdateFile(dir.PathOf(""), RowF06A());
    ASSERT_TRUE(found);
    EXPECT_EQ(found->filename(), "PALEREED_F06A.HEX");
}

TEST(UpdateFileRule, PrefersTheExactSpellingAmongCaseVariants) {
    image_test::ScratchDir dir;
    dir.Write("palereed_f06a.hex", "x");
    dir.Write("PaleReed_f06A.hex", "x");
    dir.Write("PALEREED_F06A.HEX", "x");
    // On a file system that ignores case (Windows) the three are one file.
    const auto entries = std::distance(std::filesystem::directory_iterator(dir.PathOf("")),
                                       std::filesystem::directory_iterator());
    if (entries < 3)
        GTEST_SKIP() << "the file system ignores the case of names";
    EXPECT_EQ(product::FindUpdateFile(dir.PathOf(""), RowF06A())->filename(), "PaleReed_f06A.hex");
}

TEST(UpdateFileRule, IgnoresFoldersAndOtherProductsFiles) {
    image_test::ScratchDir dir;
    std::filesystem::create_directory(dir.PathOf("PaleReed_f06A.hex"));
    dir.Write("PaleReed_f06B.hex", "x");
    EXPECT_FALSE(product::FindUpdateFile(dir.PathOf(""), RowF06A()));
    EXPECT_FALSE(product::FindUpdateFile(dir.PathOf("missing"), RowF06A()));
}

}  // namespace
}  // namespace product_test
