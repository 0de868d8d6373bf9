// update: the one-button update from the command line, on one device or, with
// --all, on every connected device, side by side where each can have a link
// of its own.

#include <algorithm>
#include <istream>
#include <memory>
#include <ostream>
#include <set>
#include <thread>

#include "cli/bare_chip.h"
#include "cli/commands.h"
#include "cli/device_link.h"
#include "cli/firmware_input.h"
#include "cli/interrupts.h"
#include "cli/json_line.h"
#include "cli/json_progress.h"
#include "cli/keep_awake.h"
#include "cli/plain_progress.h"
#include "cli/progress_view.h"
#include "cli/quiet_progress.h"
#include "cli/session.h"
#include "cli/side_by_side_output.h"
#include "cli/update_report.h"
#include "flash/flash_state.h"
#include "product/device_listing.h"
#include "product/file_match.h"
#include "product/flash_part.h"
#include "product/stoppable_update.h"

namespace cli {
namespace {

const char* const kWarningText =
    "Firmware Update is a critical operation. Please make sure the power stays on and do not "
    "disconnect the device before the update is complete.";

// One device to update and the image it gets; a refusal ends it before any request.
struct Plan {
    product::ListedDevice device;
    std::string product;  // the product the firmware is for, as the user knows it
    std::string file;
    std::shared_ptr<image::FirmwareImage> image;
    std::optional<Outcome> refusal;
    flash::UpdateMode mode = flash::UpdateMode::Full;
};

// A file that is not the product's firmware is refused before anything is
// sent, unless --force asks for it; then it is only warned about.
void CheckFileFits(Session& session, Plan& plan, const product::ProductRow* product,
                   product::DeviceKnownBy knownBy) {
    const product::FileCheck check = product::CheckFileFor(plan.image->Defined(), product);
    const std::string mismatch = product::FileMismatchText(check, plan.file, product, knownBy);
    if (mismatch.empty())
        return;
    if (session.Options().force) {
        session.Env().err << "palereed-flash: warning: " << mismatch
                          << "; written as --force asks\n";
        return;
    }
    plan.refusal = Outcome{kExitFileRefused,
                           mismatch + "; nothing was changed (--force writes it all the same)"};
}

// The bare chip says nothing of its product: the flash's parameter table
// and the file's own name it, for the check, the message and the sleep lock.
void PlanForBareChip(Session& session, Plan& plan) {
    const product::ProductRow* inFlash = FlashProductOf(session, plan.device);
    if (!plan.image) {
        plan.refusal = FileRequiredFor(plan.device, inFlash);
        return;
    }
    CheckFileFits(session, plan, inFlash, product::DeviceKnownBy::ItsFlash);
    const product::ProductRow* ofFile = ProductOfImage(*plan.image);
    if (const product::ProductRow* known = ofFile != nullptr ? ofFile : inFlash)
        plan.product = known->displayName;
}

Plan PlanFor(Session& session, const product::ListedDevice& device,
             const std::shared_ptr<image::FirmwareImage>& named) {
    Plan plan{device, device.displayName, session.Options().file.value_or(""), named, std::nullopt};
    if (session.Options().changedOnly)
        plan.mode = flash::UpdateMode::ChangedOnly;
    if (device.row == nullptr) {
        PlanForBareChip(session, plan);
        return plan;
    }
    if (!named) {
        plan.refusal = FindDefaultUpdateFile(session.Env().workingDirectory, device, plan.file);
        if (plan.refusal)
            return plan;
        plan.image = std::make_shared<image::FirmwareImage>();
        plan.refusal = LoadUpdateFile(plan.file, *plan.image);
        if (plan.refusal)
            return plan;
    }
    CheckFileFits(session, plan, device.row, product::DeviceKnownBy::ItsIdentity);
    return plan;
}

// Asked only on a terminal and without --yes. A Ctrl-C or the end of input
// counts as no.
bool Confirmed(Session& session, const std::vector<Plan>& plans) {
    Environment& env = session.Env();
    if (session.Options().yes || !env.inIsTerminal)
        return InterruptGuard::Count() == 0;
    env.err << kWarningText << "\n";
    for (const Plan& plan : plans) {
        if (!plan.refusal)
            env.err << "  " << plan.device.location << " " << plan.device.displayName << " <- "
                    << plan.file << "\n";
    }
    env.err << "Would you like to proceed? [y/N] " << std::flush;
    std::string answer;
    const bool read = static_cast<bool>(std::getline(env.in, answer));
    return read && InterruptGuard::Count() == 0 &&
           (answer == "y" || answer == "Y" || answer == "yes");
}

// What the log records of the unit before anything is sent: the file, its
// image and the product as the plan knows them.
UnitRecord UnitOf(const Plan& plan) {
    UnitRecord unit;
    unit.SetDevice(plan.device);
    if (!plan.product.empty())
        unit.product = plan.product;
    if (plan.image)
        unit.SetImage(plan.file, plan.image->Defined());
    else if (!plan.file.empty())
        unit.file = plan.file;
    return unit;
}

Outcome Refused(const Plan& plan, Outcome refusal) {
    refusal.unit = UnitOf(plan);
    return refusal;
}

// One device's update on `link`, shown by `progress`; the outcome counts
// every request the link sent for it.
Outcome RunPlanOn(DeviceLink& link, const Plan& plan, ProgressView& progress) {
    const std::uint64_t before = link.Gate().RequestsPassed();
    UnitRecord unit = UnitOf(plan);
    // Asked once the update is decided (a refused file sends nothing) and
    // before it starts, while the product's firmware still answers: the
    // serial names the unit even when the update then fails.
    unit.serial = Session::SerialOf(link, plan.device);
    flash::FlashState flashState;
    const product::UpdateOutcome run = product::RunStoppableUpdate(
        link.Link(), link.Gate(), link.State(),
        flash::ImageView{plan.image->Bytes(), plan.image->ImageLength()}, flashState, progress,
        progress, plan.mode);
    progress.Finish();
    Outcome outcome = UpdateOutcomeFor(run, progress, plan.device, plan.file, plan.mode);
    outcome.requests = link.Gate().RequestsPassed() - before;
    if (flashState.chipId != chip::ChipIdBytes{})
        unit.flashPart = product::DescribeFlash(flashState.chipId, 0).model;
    outcome.unit = std::move(unit);
    return outcome;
}

// On the session's own link.
Outcome RunPlan(Session& session, const Plan& plan) {
    if (auto refused = session.Aim(plan.device))
        return Refused(plan, *refused);
    const KeepAwake awake(plan.product);
    session.Note(awake.Note());
    const std::unique_ptr<ProgressView> progress = session.MakeProgress();
    return RunPlanOn(session.MainLink(), plan, *progress);
}

std::string DeviceResultLine(const Plan& plan, const Outcome& outcome) {
    JsonLine line;
    line.Text("event", "device_result")
        .Text("location", plan.device.location)
        .Text("name", plan.device.displayName)
        .Text("status", StatusName(outcome.exitCode))
        .Text("message", outcome.message)
        .Number("duration_ms", static_cast<std::int64_t>(outcome.durationMs))
        .Number("requests", static_cast<std::int64_t>(outcome.requests));
    outcome.unit.AddTo(line);
    return line.Line();
}

void ReportDevice(Session& session, const Plan& plan, const Outcome& outcome) {
    Environment& env = session.Env();
    if (session.Options().json)
        env.out << DeviceResultLine(plan, outcome) << std::flush;
    else
        env.out << SummaryLine(plan.device, outcome) << "\n" << std::flush;
}

// The exit code is that of the first device that did not succeed; a stop
// makes it 6.
Outcome Total(const std::vector<Outcome>& outcomes, std::size_t devices) {
    Outcome total;
    int done = 0;
    for (const Outcome& outcome : outcomes) {
        total.requests += outcome.requests;
        done += outcome.exitCode == kExitDone ? 1 : 0;
        if (total.exitCode == kExitDone || outcome.exitCode == kExitInterrupted)
            total.exitCode = outcome.exitCode;
    }
    total.message = std::to_string(done) + " of " + std::to_string(devices) + " devices updated";
    total.units = devices;
    total.unitsDone = static_cast<std::size_t>(done);
    return total;
}

// --all on a link that serves one device at a time: every device in turn, a
// stop ends the batch.
Outcome RunInTurn(Session& session, const std::vector<Plan>& plans) {
    std::vector<Outcome> outcomes;
    std::uint64_t durationMs = 0;
    for (const Plan& plan : plans) {
        outcomes.push_back(plan.refusal ? Refused(plan, *plan.refusal) : RunPlan(session, plan));
        ReportDevice(session, plan, outcomes.back());
        durationMs += outcomes.back().durationMs;
        if (outcomes.back().exitCode == kExitInterrupted)
            break;
    }
    Outcome total = Total(outcomes, plans.size());
    total.durationMs = durationMs;
    return total;
}

// One device of a side-by-side batch, on its thread: a link of its own, a
// stop that reaches it, its progress row or lines, its summary.
Outcome RunBeside(Session& session, const Plan& plan, SideBySideOutput& output, std::size_t row) {
    Outcome outcome;
    std::unique_ptr<DeviceLink> link = session.LinkFor(plan.device);
    if (!link) {
        outcome = Refused(plan, Outcome{kExitNoDevice,
                                        "USB access could not be started for the "
                                        "device at " +
                                            plan.device.location});
    } else {
        const InterruptGuard::Watch watch(link->State());
        if (auto refused = session.Aim(*link, plan.device)) {
            outcome = Refused(plan, *refused);
        } else {
            const CliOptions& options = session.Options();
            std::unique_ptr<std::ostream> lines =
                output.LineStream(options.json ? std::string() : plan.device.location + " ");
            std::unique_ptr<ProgressView> progress;
            if (options.quiet) {
                progress = std::make_unique<QuietProgress>(*lines, link->Clock());
            } else if (options.json) {
                progress =
                    std::make_unique<JsonProgress>(*lines, link->Clock(), plan.device.location);
            } else if (output.Board()) {
                progress =
                    std::make_unique<RowProgress>(output, row, plan.device.location, link->Clock());
            } else {
                auto plain = std::make_unique<PlainProgress>(*lines, link->Clock());
                plain->ShowDetails(options.verbose);
                progress = std::move(plain);
            }
            outcome = RunPlanOn(*link, plan, *progress);
        }
        session.AddRequests(link->Gate().RequestsPassed());
    }
    return outcome;
}

void ReportBeside(Session& session, SideBySideOutput& output, std::size_t row, const Plan& plan,
                  const Outcome& outcome) {
    if (session.Options().json) {
        std::string line = DeviceResultLine(plan, outcome);
        line.pop_back();  // its newline: Line() adds one
        output.Line(line);
    } else if (output.Board()) {
        output.Row(row, SummaryLine(plan.device, outcome));
    } else {
        output.Line(SummaryLine(plan.device, outcome));
    }
}

// --all where each device can have a link of its own: every device at the
// same time, each on its own thread, so that a rack of boards takes about
// the time of one. The run's duration is that of the longest.
Outcome RunSideBySide(Session& session, const std::vector<Plan>& plans) {
    Environment& env = session.Env();
    const CliOptions& options = session.Options();
    // A board of rows on a terminal; whole lines for logs, --verbose and --quiet.
    const bool board = env.outIsTerminal && !options.json && !options.quiet && !options.verbose;
    SideBySideOutput output(env.out, board, plans.size(), env.terminalColumns);
    const KeepAwake awake(std::to_string(plans.size()) + " products");
    session.Note(awake.Note());
    std::vector<Outcome> outcomes(plans.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < plans.size(); ++i) {
        if (plans[i].refusal) {
            outcomes[i] = Refused(plans[i], *plans[i].refusal);
            ReportBeside(session, output, i, plans[i], outcomes[i]);
            continue;
        }
        threads.emplace_back([&session, &output, &plans, &outcomes, i] {
            outcomes[i] = RunBeside(session, plans[i], output, i);
            ReportBeside(session, output, i, plans[i], outcomes[i]);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    Outcome total = Total(outcomes, plans.size());
    for (const Outcome& outcome : outcomes)
        total.durationMs = std::max(total.durationMs, outcome.durationMs);
    return total;
}

std::vector<Plan> MakePlans(Session& session, const std::shared_ptr<image::FirmwareImage>& named,
                            std::optional<Outcome>& refusal) {
    std::vector<Plan> plans;
    if (session.Options().all) {
        for (const product::ListedDevice& device : session.List())
            plans.push_back(PlanFor(session, device, named));
        if (plans.empty())
            refusal = Outcome{kExitNoDevice, "no device found; connect a product and try again"};
        return plans;
    }
    product::ListedDevice device;
    refusal = session.Choose(device);
    if (refusal)
        return plans;
    plans.push_back(PlanFor(session, device, named));
    if (plans.front().refusal)
        refusal = Refused(plans.front(), *plans.front().refusal);
    return plans;
}

Outcome RunBatch(Session& session, const std::vector<Plan>& plans) {
    return session.SideBySide() ? RunSideBySide(session, plans) : RunInTurn(session, plans);
}

// --all --wait: a station on a production line. Every board plugged in is
// updated once, with one summary line; its place is free again once the
// board has left the bus, and the next board there is a new unit. Runs until
// interrupted, or until no new board came for --wait=SECONDS.
Outcome RunStation(Session& session, const std::shared_ptr<image::FirmwareImage>& named) {
    std::set<std::string> done;  // locations whose board was updated and is still there
    std::vector<Outcome> outcomes;
    const std::optional<std::uint32_t> idleLimitS = session.Options().waitSeconds;
    std::uint64_t idleSinceUs = session.Clock().NowUs();
    bool stopped = false;
    while (!stopped && InterruptGuard::Count() == 0) {
        const std::vector<product::ListedDevice> present = session.List();
        std::erase_if(done, [&](const std::string& location) {
            return !product::DeviceAt(present, location);
        });
        std::vector<Plan> plans;
        for (const product::ListedDevice& device : present) {
            if (done.insert(device.location).second)
                plans.push_back(PlanFor(session, device, named));
        }
        if (plans.empty()) {
            if (idleLimitS &&
                session.Clock().NowUs() - idleSinceUs >= std::uint64_t{*idleLimitS} * 1000000)
                break;
            session.Clock().SleepMs(Session::kWaitPollMs);
            continue;
        }
        const Outcome batch = RunBatch(session, plans);
        stopped = batch.exitCode == kExitInterrupted;
        outcomes.push_back(batch);
        idleSinceUs = session.Clock().NowUs();
    }
    std::size_t units = 0;
    Outcome total;
    std::size_t updated = 0;
    for (const Outcome& batch : outcomes) {
        units += batch.units;
        updated += batch.unitsDone;
        total.requests += batch.requests;
        if (total.exitCode == kExitDone || batch.exitCode == kExitInterrupted)
            total.exitCode = batch.exitCode;
    }
    total.message = std::to_string(updated) + " of " + std::to_string(units) + " units updated";
    return total;
}

}  // namespace

Outcome RunUpdate(Session& session) {
    std::shared_ptr<image::FirmwareImage> named;
    if (session.Options().file) {
        named = std::make_shared<image::FirmwareImage>();
        if (auto refused = LoadUpdateFile(*session.Options().file, *named)) {
            refused->unit.file = session.Options().file;
            return *refused;
        }
    }
    InterruptGuard interrupts(session.State());
    if (session.Options().all && session.Options().wait) {
        if (!Confirmed(session, {}))
            return Outcome{kExitInterrupted, "Update not confirmed; nothing was sent to a device."};
        Outcome total = RunStation(session, named);
        if (named)
            total.unit.SetImage(*session.Options().file, named->Defined());
        return total;
    }
    std::optional<Outcome> refusal;
    const std::vector<Plan> plans = MakePlans(session, named, refusal);
    if (refusal)
        return *refusal;
    if (!Confirmed(session, plans))
        return Outcome{kExitInterrupted, "Update not confirmed; nothing was sent to the device."};
    if (session.Options().all) {
        Outcome total = RunBatch(session, plans);
        if (named)
            total.unit.SetImage(*session.Options().file, named->Defined());
        return total;
    }
    return RunPlan(session, plans.front());
}

}  // namespace cli
