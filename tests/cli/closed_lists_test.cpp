// The exit codes, JSON statuses and failure steps are closed lists: a script
// or a log reader relies on the README's lists being exactly what the tool
// says, no more and no less.

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "cli/exit_codes.h"
#include "cli/help_text.h"
#include "cli/outcome.h"
#include "flash/update_result.h"

namespace cli_test {
namespace {

std::string Readme() {
    std::ifstream in(std::string(PALEREED_SOURCE_DIR) + "/README.md");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The double-quoted words of `text` between `from` and the next `to`.
std::set<std::string> QuotedBetween(const std::string& text, const std::string& from,
                                    const std::string& to) {
    const std::size_t start = text.find(from);
    EXPECT_NE(start, std::string::npos) << from;
    const std::size_t end = text.find(to, start);
    const std::string part = text.substr(start, end - start);
    std::set<std::string> words;
    const std::regex quoted("\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(part.begin(), part.end(), quoted);
         it != std::sregex_iterator(); ++it)
        words.insert((*it)[1]);
    return words;
}

constexpr int kExitCodes[] = {cli::kExitDone,        cli::kExitFailed,      cli::kExitUsage,
                              cli::kExitNoDevice,    cli::kExitFileRefused, cli::kExitPermission,
                              cli::kExitInterrupted, cli::kExitNotRestarted};

TEST(ClosedLists, TheReadmesStatusesAreTheToolsOnes) {
    std::set<std::string> statuses;
    for (const int code : kExitCodes)
        statuses.insert(cli::StatusName(code));
    EXPECT_EQ(statuses.size(), std::size(kExitCodes)) << "one status per exit code";
    EXPECT_EQ(QuotedBetween(Readme(), "`status` (", ")"), statuses);
}

TEST(ClosedLists, TheReadmesStepsAreTheToolsOnes) {
    std::set<std::string> steps;
    for (const flash::UpdateStep step :
         {flash::UpdateStep::Erase, flash::UpdateStep::BlankCheck, flash::UpdateStep::Program,
          flash::UpdateStep::Verify, flash::UpdateStep::Identify, flash::UpdateStep::CheckSize,
          flash::UpdateStep::ClearStatus, flash::UpdateStep::Protect, flash::UpdateStep::Compare})
        steps.insert(flash::UpdateStepName(step));
    EXPECT_EQ(QuotedBetween(Readme(), "`step` (the step", "else null"), steps);
}

TEST(ClosedLists, EveryExitCodeIsInTheReadmeAndTheHelp) {
    const std::string readme = Readme();
    const std::size_t codes = readme.find("Exit codes: ");
    const std::string paragraph = readme.substr(codes, readme.find("\n\n", codes) - codes);
    const std::string help = cli::HelpText();
    for (const int code : kExitCodes) {
        const std::string n = std::to_string(code);
        EXPECT_NE(paragraph.find("**" + n + "**"), std::string::npos) << n;
        EXPECT_NE(help.find("\n  " + n + "  "), std::string::npos) << n;
    }
    const std::string next = std::to_string(std::size(kExitCodes));
    EXPECT_EQ(paragraph.find("**" + next + "**"), std::string::npos);
    EXPECT_EQ(help.find("\n  " + next + "  "), std::string::npos);
}

}  // namespace
}  // namespace cli_test
