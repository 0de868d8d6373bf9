// update: the one-button update from the command line, on one device or, with
// --all, on each connected device in turn.

#include <istream>
#include <memory>
#include <ostream>

#include "cli/bare_chip.h"
#include "cli/commands.h"
#include "cli/firmware_input.h"
#include "cli/interrupts.h"
#include "cli/json_line.h"
#include "cli/keep_awake.h"
#include "cli/progress_view.h"
#include "cli/session.h"
#include "cli/update_report.h"
#include "flash/flash_state.h"
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

Outcome RunPlan(Session& session, const Plan& plan) {
    if (auto refused = session.Aim(plan.device))
        return Refused(plan, *refused);
    UnitRecord unit = UnitOf(plan);
    // Asked once the update is decided (a refused file sends nothing) and
    // before it starts, while the product's firmware still answers: the
    // serial names the unit even when the update then fails.
    unit.serial = session.SerialOf(plan.device);
    const KeepAwake awake(plan.product);
    session.Note(awake.Note());
    const std::unique_ptr<ProgressView> progress = session.MakeProgress();
    flash::FlashState flashState;
    const product::UpdateOutcome run = product::RunStoppableUpdate(
        session.Link(), session.Gate(), session.State(),
        flash::ImageView{plan.image->Bytes(), plan.image->ImageLength()}, flashState, *progress,
        *progress);
    progress->Finish();
    Outcome outcome = UpdateOutcomeFor(run, *progress, plan.device, plan.file);
    if (flashState.chipId != chip::ChipIdBytes{})
        unit.flashPart = product::DescribeFlash(flashState.chipId, 0).model;
    outcome.unit = std::move(unit);
    return outcome;
}

void ReportDevice(Session& session, const Plan& plan, const Outcome& outcome) {
    Environment& env = session.Env();
    if (!session.Options().json) {
        env.out << SummaryLine(plan.device, outcome) << "\n" << std::flush;
        return;
    }
    JsonLine line;
    line.Text("event", "device_result")
        .Text("location", plan.device.location)
        .Text("name", plan.device.displayName)
        .Text("status", StatusName(outcome.exitCode))
        .Text("message", outcome.message)
        .Number("duration_ms", static_cast<std::int64_t>(outcome.durationMs))
        .Number("requests", static_cast<std::int64_t>(outcome.requests));
    outcome.unit.AddTo(line);
    env.out << line.Line() << std::flush;
}

// --all: every device in turn, one summary line each. The exit code is that
// of the first device that did not succeed; a stop ends the batch with 6.
Outcome RunAll(Session& session, const std::vector<Plan>& plans) {
    Outcome total;
    int done = 0;
    for (const Plan& plan : plans) {
        const Outcome outcome =
            plan.refusal ? Refused(plan, *plan.refusal) : RunPlan(session, plan);
        ReportDevice(session, plan, outcome);
        total.durationMs += outcome.durationMs;
        total.requests += outcome.requests;
        done += outcome.exitCode == kExitDone ? 1 : 0;
        if (total.exitCode == kExitDone || outcome.exitCode == kExitInterrupted)
            total.exitCode = outcome.exitCode;
        if (outcome.exitCode == kExitInterrupted)
            break;
    }
    total.message =
        std::to_string(done) + " of " + std::to_string(plans.size()) + " devices updated";
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
    std::optional<Outcome> refusal;
    const std::vector<Plan> plans = MakePlans(session, named, refusal);
    if (refusal)
        return *refusal;
    if (!Confirmed(session, plans))
        return Outcome{kExitInterrupted, "Update not confirmed; nothing was sent to the device."};
    if (session.Options().all) {
        Outcome total = RunAll(session, plans);
        if (named)
            total.unit.SetImage(*session.Options().file, named->Defined());
        return total;
    }
    return RunPlan(session, plans.front());
}

}  // namespace cli
