// The bash completion, run in bash itself: it knows every option the tool's
// help names, and offers the values and files that fit where the cursor is.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <set>

#include "support/scratch_dir.h"
#include "tool_process.h"

namespace cli_test {
namespace {

constexpr const char* kCompletion = PALEREED_SOURCE_DIR "/data/completion/palereed-flash";

// What the completion offers for the words typed so far (the last one is
// being typed), in a folder holding a.hex, b.bin, c.txt and sub/.
std::set<std::string> Offered(const std::vector<std::string>& words) {
    const image_test::ScratchDir dir;
    dir.Write("a.hex", "");
    dir.Write("b.bin", "");
    dir.Write("c.txt", "");
    std::filesystem::create_directory(dir.PathOf("sub"));
    std::string script =
        "cd '" + dir.PathOf("") + "' && source '" + kCompletion + "' && COMP_WORDS=(palereed-flash";
    for (const std::string& word : words)
        script += " '" + word + "'";
    script += ") && COMP_CWORD=" + std::to_string(words.size()) +
              " && _palereed_flash && printf '%s\\n' \"${COMPREPLY[@]}\"";
    std::FILE* bash = ::popen(("bash --norc --noprofile -c \"" +
                               std::regex_replace(script, std::regex("[\"$`\\\\]"), "\\$&") + "\"")
                                  .c_str(),
                              "r");
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, bash) != nullptr)
        out += buffer;
    EXPECT_EQ(::pclose(bash), 0) << script;
    std::set<std::string> offered;
    for (const std::string& line : Lines(out)) {
        if (!line.empty())
            offered.insert(line);
    }
    return offered;
}

TEST(Completion, OffersEveryOptionTheHelpNames) {
    const ToolResult help = RunTool({{"--help"}});
    ASSERT_EQ(help.exitCode, 0);
    // The option column of the help: "  --yes, -y           update: do not ask".
    std::set<std::string> named;
    const std::regex column(R"(^  (-[^ ].*?)(  |$))");
    const std::regex option(R"(--?[a-zA-Z][a-z-]*)");
    for (const std::string& line : Lines(help.out)) {
        std::smatch options;
        if (!std::regex_search(line, options, column))
            continue;
        const std::string text = options[1];
        for (auto it = std::sregex_iterator(text.begin(), text.end(), option);
             it != std::sregex_iterator(); ++it)
            named.insert(it->str());
    }
    ASSERT_GT(named.size(), 15u);
    const std::set<std::string> offered = Offered({"-"});
    for (const std::string& name : named)
        EXPECT_EQ(offered.count(name), 1u) << name;
    // The names of the production-line commands as well.
    for (const char* name : {"--wait", "--wait=", "--serial", "--product"})
        EXPECT_EQ(offered.count(name), 1u) << name;
    EXPECT_EQ(Offered({""}),
              (std::set<std::string>{"list", "update", "verify", "read", "info", "check"}));
}

struct Typed {
    const char* name;
    std::vector<std::string> words;
    std::set<std::string> offered;
};

void PrintTo(const Typed& typed, std::ostream* out) {
    *out << typed.name;
}

class CompletionOffers : public ::testing::TestWithParam<Typed> {};

TEST_P(CompletionOffers, WhatFitsThere) {
    EXPECT_EQ(Offered(GetParam().words), GetParam().offered);
}

INSTANTIATE_TEST_SUITE_P(
    Places, CompletionOffers,
    ::testing::Values(Typed{"FirmwareFilesAndFolders", {"update", ""}, {"a.hex", "b.bin", "sub"}},
                      Typed{"AnyFileToReadInto", {"read", ""}, {"a.hex", "b.bin", "c.txt", "sub"}},
                      Typed{"ARowIsNoCommand",
                            {"--simulate", "3", ""},
                            {"list", "update", "verify", "read", "info", "check"}},
                      Typed{"FlashModelsAfterAnEqualsSign",
                            {"--sim-flash", "=", ""},
                            {"sst25vf016b", "mx32", "w25"}},
                      Typed{"RowsAfterAnEqualsSign",
                            {"--simulate", "=", ""},
                            {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
                      Typed{
                          "TheNextFaultOfAList", {"--sim-fault", "fail@3,un"}, {"fail@3,unplug@"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cli_test
