#include "cli/cli_main.h"

#include <cstdio>
#include <ostream>

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/help_text.h"
#include "cli/json_line.h"
#include "cli/session.h"
#include "usb/clock.h"

namespace cli {
namespace {

Outcome Dispatch(Session& session) {
    switch (session.Options().command) {
        case Command::List:
            return RunList(session);
        case Command::Update:
            return RunUpdate(session);
        case Command::Verify:
            return RunVerify(session);
        case Command::Read:
            return RunRead(session);
        case Command::Check:
            return RunCheck(session.Options(), session.Env());
        case Command::Info:
            break;
    }
    return RunInfo(session);
}

std::string Hex6(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", value);
    return text;
}

void Report(const Environment& env, bool json, const Outcome& outcome) {
    if (outcome.exitCode == kExitDone) {
        if (!json && !outcome.message.empty())
            env.out << outcome.message << "\n";
    } else {
        env.err << "palereed-flash: " << outcome.message << "\n";
    }
    if (!json)
        return;
    JsonLine line;
    line.Text("event", "result")
        .Text("status", StatusName(outcome.exitCode))
        .Number("exit_code", outcome.exitCode)
        .Text("message", outcome.message)
        .OptionalText("step", outcome.step)
        .OptionalText("address",
                      outcome.address ? std::optional(Hex6(*outcome.address)) : std::nullopt)
        .OptionalText("cause", outcome.cause)
        .Number("duration_ms", static_cast<std::int64_t>(outcome.durationMs))
        .Number("requests", static_cast<std::int64_t>(outcome.requests));
    outcome.unit.AddTo(line);
    env.out << line.Line();
}

// Whether --json was asked for, read from the words themselves: a command
// line that does not parse still ends in a result line a log can read.
bool JsonAsked(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--")
            return false;
        if (arg == "--json")
            return true;
    }
    return false;
}

}  // namespace

int Run(const std::vector<std::string>& args, Environment& environment) {
    std::string error;
    const std::optional<CliOptions> options = ParseCli(args, error);
    if (!options) {
        const Outcome usage{kExitUsage, error + " (see --help)"};
        Report(environment, JsonAsked(args), usage);
        environment.out.flush();
        return kExitUsage;
    }
    if (options->help) {
        environment.out << HelpText();
        return kExitDone;
    }
    if (options->version) {
        environment.out << VersionText();
        return kExitDone;
    }
    if (options->command == Command::Check) {
        const Outcome checked = RunCheck(*options, environment);
        Report(environment, options->json, checked);
        environment.out.flush();
        return checked.exitCode;
    }
    Session session(environment, *options);
    std::optional<Outcome> outcome = session.Start();
    if (!outcome) {
        outcome = Dispatch(session);
        // A replay that stopped the run says where, whatever the run made of
        // the failed request; a run that went its own way did not reproduce
        // the recorded one even when it succeeded.
        if (const std::string stop = session.ReplayStop(); !stop.empty()) {
            outcome->message = stop;
            outcome->cause = stop;
            if (outcome->exitCode == kExitDone)
                outcome->exitCode = kExitFailed;
        }
        // A state that cannot be kept is said even after a failed command;
        // it decides the exit code only when the command itself succeeded.
        if (std::optional<Outcome> notKept = session.Finish()) {
            if (outcome->exitCode == kExitDone)
                outcome = notKept;
            else
                environment.err << "palereed-flash: " << notKept->message << "\n";
        }
        // Every request of the command, as the trace lists them and a
        // simulated fault plan numbers them.
        outcome->requests = session.RequestsPassed();
    }
    // Like the state file: a report asked for and not written is said after
    // a failure, and fails a command that succeeded.
    if (std::optional<Outcome> notWritten = session.Report(*outcome)) {
        if (outcome->exitCode == kExitDone)
            outcome = notWritten;
        else
            environment.err << "palereed-flash: " << notWritten->message << "\n";
    }
    // On the clock the run went by, as the progress lines' elapsed_ms are.
    if (outcome->durationMs == 0)
        outcome->durationMs = session.RunMs();
    Report(environment, options->json, *outcome);
    environment.out.flush();
    return outcome->exitCode;
}

}  // namespace cli
