#include "sim/fault_names.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using sim::FaultPlan;

struct NameCase {
    const char* text;
    const char* testName;
};

void PrintTo(const NameCase& c, std::ostream* out) {
    *out << c.text;
}

class FaultName : public ::testing::TestWithParam<NameCase> {};

// Exactly one field of the plan is set, to the request given.
std::string SetFields(const FaultPlan& plan) {
    std::string fields;
    const auto add = [&](const char* name, const std::optional<std::uint64_t>& at) {
        if (at)
            fields += std::string(name) + "@" + std::to_string(*at) + " ";
    };
    add("fail", plan.failRequest);
    add("unplug", plan.unplugAtRequest);
    add("power-loss", plan.powerLossAtRequest);
    add("stuck-busy", plan.stuckBusyAtRequest);
    add("never-ready", plan.neverReadyAtRequest);
    add("corrupt", plan.corruptReadsFromRequest);
    if (plan.shortReplies) {
        fields += "short@" + std::to_string(plan.shortReplies->fromRequest) +
                  (plan.shortReplies->half ? "/half " : "/fixed ");
    }
    if (plan.passThroughNeverReadyAfter || plan.flashStuckBusyAfter || plan.corruptReads)
        fields += "instruction-counted ";
    return fields;
}

TEST_P(FaultName, SetsItsOwnFaultAtTheRequestGiven) {
    std::string error;
    const auto plan = sim::ParseFaultPlan(GetParam().text, error);
    ASSERT_TRUE(plan) << error;
    const std::string text = GetParam().text;
    const std::string expected = text + (text.starts_with("short") ? "/half " : " ");
    EXPECT_EQ(SetFields(*plan), expected);
    EXPECT_TRUE(error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FaultName,
    ::testing::Values(NameCase{"unplug@3000", "Unplug"}, NameCase{"fail@120", "Fail"},
                      NameCase{"short@500", "Short"}, NameCase{"stuck-busy@2000", "StuckBusy"},
                      NameCase{"never-ready@40", "NeverReady"}, NameCase{"corrupt@700", "Corrupt"},
                      NameCase{"power-loss@9000", "PowerLoss"}),
    [](const auto& info) { return std::string(info.param.testName); });

TEST(FaultNames, SeveralFaultsSeparatedByCommas) {
    std::string error;
    const auto plan = sim::ParseFaultPlan("fail@1,power-loss@18446744073709551615", error);
    ASSERT_TRUE(plan) << error;
    EXPECT_EQ(SetFields(*plan), "fail@1 power-loss@18446744073709551615 ");
}

TEST(FaultNames, KindNamesReadBackAsParsed) {
    for (sim::FaultKind kind :
         {sim::FaultKind::Unplug, sim::FaultKind::StuckBusy, sim::FaultKind::PowerLoss}) {
        std::string error;
        const auto plan = sim::ParseFaultPlan(std::string(sim::FaultKindName(kind)) + "@7", error);
        FaultPlan direct;
        sim::AddFault(direct, kind, 7);
        ASSERT_TRUE(plan) << error;
        EXPECT_EQ(SetFields(*plan), SetFields(direct));
    }
}

struct BadCase {
    const char* text;
    const char* testName;
    const char* errorPart;
};

void PrintTo(const BadCase& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class BadFaultText : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadFaultText, IsRefusedWithASentenceThatSaysWhy) {
    std::string error;
    EXPECT_FALSE(sim::ParseFaultPlan(GetParam().text, error));
    EXPECT_NE(error.find(GetParam().errorPart), std::string::npos) << error;
    EXPECT_TRUE(error.ends_with(".")) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BadFaultText,
    ::testing::Values(
        BadCase{"melt@5", "UnknownKind",
                "Unknown fault kind in \"melt@5\"; the kinds are unplug, fail, short, "
                "stuck-busy, never-ready, corrupt or power-loss"},
        BadCase{"Fail@5", "KindInCapitals", "Unknown fault kind in \"Fail@5\""},
        BadCase{"fail", "NoRequestNumber", "\"fail\" has no request number"},
        BadCase{"fail@0", "RequestZero", "request number in \"fail@0\" must be a whole number"},
        BadCase{"fail@-3", "NegativeRequest", "\"fail@-3\" must be a whole number from 1"},
        BadCase{"fail@12x", "TrailingLetters", "\"fail@12x\" must be"},
        BadCase{"fail@", "EmptyRequest", "\"fail@\" must be"},
        BadCase{"fail@99999999999999999999", "RequestTooLarge", "must be a whole number"},
        BadCase{"fail@3,", "TrailingComma", "\"\" has no request number"},
        BadCase{"", "Empty", "No fault given"}),
    [](const auto& info) { return std::string(info.param.testName); });

}  // namespace
