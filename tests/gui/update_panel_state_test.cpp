// The window's panel state on its own: what "Start" shows, the run's own stop
// request, and what a run's end leaves behind.

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "app/update_panel_state.h"

namespace {

using app::RunEnd;
using app::UpdatePanelState;

struct StartCase {
    std::string name;
    std::function<void(UpdatePanelState&)> arrange;
    QString text;
    bool enabled;
};

void PrintTo(const StartCase& c, std::ostream* out) {
    *out << c.name;
}

void Ready(UpdatePanelState& state) {
    state.DeviceFound(false);
    state.FileLoaded(true);
}

class StartButtonOf : public testing::TestWithParam<StartCase> {};

TEST_P(StartButtonOf, ShowsItsTextAndWhetherItMayBePressed) {
    UpdatePanelState state;
    GetParam().arrange(state);
    const app::StartButton start = state.Start();
    EXPECT_EQ(start.text, GetParam().text);
    EXPECT_EQ(start.enabled, GetParam().enabled);
}

INSTANTIATE_TEST_SUITE_P(
    States, StartButtonOf,
    testing::Values(StartCase{"FileButNoDevice", [](UpdatePanelState& s) { s.FileLoaded(true); },
                              "Start", false},
                    StartCase{"DeviceButNoFile", [](UpdatePanelState& s) { s.DeviceFound(false); },
                              "Start", false},
                    StartCase{"Ready", Ready, "Start", true},
                    StartCase{"PermissionDenied",
                              [](UpdatePanelState& s) {
                                  s.DeviceFound(true);
                                  s.FileLoaded(true);
                              },
                              "Start", false},
                    StartCase{"DeviceGone",
                              [](UpdatePanelState& s) {
                                  Ready(s);
                                  s.DeviceGone();
                              },
                              "Start", false},
                    StartCase{"Running",
                              [](UpdatePanelState& s) {
                                  Ready(s);
                                  s.StartRun({});
                              },
                              "Stop", true},
                    StartCase{"StopAsked",
                              [](UpdatePanelState& s) {
                                  Ready(s);
                                  s.StartRun({});
                                  s.AskStop();
                              },
                              "Stop", false},
                    StartCase{"AfterAFailure",
                              [](UpdatePanelState& s) {
                                  Ready(s);
                                  s.StartRun({});
                                  s.EndRun(RunEnd::Failed);
                              },
                              "Start", true},
                    StartCase{"AfterASuccess",
                              [](UpdatePanelState& s) {
                                  Ready(s);
                                  s.StartRun({});
                                  s.EndRun(RunEnd::Succeeded);
                              },
                              "Finish", false}),
    [](const testing::TestParamInfo<StartCase>& info) { return info.param.name; });

TEST(UpdatePanelState, TheStopRequestIsTheOwnRunsAndAskedOnce) {
    UpdatePanelState state;
    EXPECT_FALSE(state.AskStop());  // no run of "Start"
    state.StartRun({});
    EXPECT_TRUE(state.AskStop());
    EXPECT_FALSE(state.AskStop());
    state.EndRun(RunEnd::Stopped);
    EXPECT_FALSE(state.StopAsked());
    state.StartRun({});
    EXPECT_FALSE(state.StopAsked());  // a new run starts without the old request
}

TEST(UpdatePanelState, AFailureStaysUntilTheProductIsBackOrANewRunStarts) {
    for (const RunEnd end : {RunEnd::Stopped, RunEnd::NotRestarted, RunEnd::Failed}) {
        UpdatePanelState state;
        state.SetDetecting(true);
        state.StartRun({});
        state.EndRun(end);
        EXPECT_TRUE(state.FailurePinned());
        EXPECT_TRUE(state.Detecting());
        state.StartRun({});
        EXPECT_FALSE(state.FailurePinned());
        state.EndRun(end);
        EXPECT_TRUE(state.ProductBack());
        EXPECT_FALSE(state.ProductBack());
    }
}

// The updated unit stays "finished" while it is plugged in; once it has
// left, the next unit plugged in is a new one to update.
TEST(UpdatePanelState, ASuccessLastsUntilTheUnitLeaves) {
    UpdatePanelState state;
    state.SetDetecting(true);
    state.DeviceFound(false);
    state.FileLoaded(true);
    state.StartRun({});
    state.EndRun(RunEnd::Succeeded);
    EXPECT_FALSE(state.FailurePinned());
    EXPECT_TRUE(state.Finished());
    EXPECT_TRUE(state.Detecting());
    state.DeviceFound(false);
    EXPECT_EQ(state.Start().text, QStringLiteral("Finish"));
    state.DeviceGone();
    EXPECT_FALSE(state.Finished());
    state.DeviceFound(false);
    EXPECT_EQ(state.Start().text, QStringLiteral("Start"));
    EXPECT_TRUE(state.Start().enabled);
}

TEST(UpdatePanelState, WhatTheFlashNamedIsForgottenByARunAndByTheChipGoing) {
    UpdatePanelState state;
    state.NoteFlashProduct(std::nullopt);
    EXPECT_TRUE(state.FlashProductKnown());  // read, and it named nothing
    state.NoteFlashProduct(3);
    state.StartRun({QStringLiteral("/f/PaleReed_f066.hex"), 0});
    EXPECT_FALSE(state.FlashProductKnown());
    EXPECT_EQ(state.LastRunFile()->path, QStringLiteral("/f/PaleReed_f066.hex"));
    state.EndRun(RunEnd::Failed);
    state.NoteFlashProduct(3);
    state.DeviceGone();
    EXPECT_FALSE(state.FlashProductKnown());
}

}  // namespace
