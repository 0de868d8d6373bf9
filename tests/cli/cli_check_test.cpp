// check FILE [--product NAME]: a file judged without a device, as update
// would judge it.

#include <gtest/gtest.h>

#include "in_process_tool.h"
#include "update_files.h"

namespace cli_test {
namespace {

struct CheckCase {
    const char* name;
    const char* product;  // --product, or null
    int exitCode;
    const char* says;  // on stdout for a good file, else on stderr
};

void PrintTo(const CheckCase& c, std::ostream* out) {
    *out << c.name;
}

class CliCheck : public ::testing::TestWithParam<CheckCase> {
protected:
    // The file each case checks, by its name.
    std::string FileFor(const std::string& name) {
        if (name == "WithoutTable")
            return files.WriteBytes("raw.bin", std::vector<std::uint8_t>(0x800, 0x5A));
        if (name == "BrokenRecord")
            return files.dir.Write("broken.hex", ":0100000000FE\n:00000001FF\n");
        return files.Write("fw.hex", 0x1000, 0x61);
    }
    UpdateFiles files;
};

TEST_P(CliCheck, JudgesTheFileAsUpdateWould) {
    InProcessTool tool;  // nothing plugged in: check needs no device
    std::vector<std::string> args = {"check", FileFor(GetParam().name)};
    if (GetParam().product != nullptr)
        args.insert(args.end(), {"--product", GetParam().product});
    EXPECT_EQ(tool.Run(args), GetParam().exitCode) << tool.err;
    const std::string& said = GetParam().exitCode == 0 ? tool.out : tool.err;
    EXPECT_NE(said.find(GetParam().says), std::string::npos) << said;
}

INSTANTIATE_TEST_SUITE_P(
    Files, CliCheck,
    ::testing::Values(
        CheckCase{"ForItsProduct", nullptr, 0, "Table:    at 0x000400, for Pale Reed F066\n"},
        CheckCase{"ForTheProductAsked", "pale reed f066", 0, "is a valid image for Pale Reed F066"},
        CheckCase{"ForAnotherProduct", "f069", 4,
                  "is firmware for Pale Reed F066, not for Pale Reed F069"},
        CheckCase{"WithoutTable", nullptr, 4, "holds no parameter table"},
        CheckCase{"BrokenRecord", nullptr, 4, "line 1, column"},
        CheckCase{"UnknownProduct", "f099", 2, "--product names no known product: 'f099'"}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cli_test
