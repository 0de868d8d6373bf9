#include "sim/fault_names.h"

#include <array>
#include <charconv>
#include <ostream>
#include <utility>

namespace sim {
namespace {

constexpr std::array<std::pair<FaultKind, std::string_view>, 7> kNames = {{
    {FaultKind::Unplug, "unplug"},
    {FaultKind::Fail, "fail"},
    {FaultKind::Short, "short"},
    {FaultKind::StuckBusy, "stuck-busy"},
    {FaultKind::NeverReady, "never-ready"},
    {FaultKind::Corrupt, "corrupt"},
    {FaultKind::PowerLoss, "power-loss"},
}};

constexpr std::string_view kKindList =
    "unplug, fail, short, stuck-busy, never-ready, corrupt or power-loss";

std::optional<FaultKind> KindNamed(std::string_view name) {
    for (const auto& [kind, text] : kNames) {
        if (text == name)
            return kind;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> RequestNumber(std::string_view text) {
    std::uint64_t n = 0;
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, n);
    if (text.empty() || ec != std::errc() || at != end || n == 0)
        return std::nullopt;
    return n;
}

bool AddNamedFault(FaultPlan& plan, std::string_view item, std::string& error) {
    const std::string quoted = "\"" + std::string(item) + "\"";
    const std::size_t at = item.find('@');
    if (at == std::string_view::npos) {
        error =
            "The fault " + quoted + " has no request number; write KIND@N, for example fail@120.";
        return false;
    }
    const auto kind = KindNamed(item.substr(0, at));
    if (!kind) {
        error =
            "Unknown fault kind in " + quoted + "; the kinds are " + std::string(kKindList) + ".";
        return false;
    }
    const auto request = RequestNumber(item.substr(at + 1));
    if (!request) {
        error = "The request number in " + quoted +
                " must be a whole number from 1 (requests count from the start of the run).";
        return false;
    }
    AddFault(plan, *kind, *request);
    return true;
}

}  // namespace

const char* FaultKindName(FaultKind kind) {
    for (const auto& [k, text] : kNames) {
        if (k == kind)
            return text.data();
    }
    return "";
}

void AddFault(FaultPlan& plan, FaultKind kind, std::uint64_t request) {
    switch (kind) {
        case FaultKind::Unplug:
            plan.unplugAtRequest = request;
            break;
        case FaultKind::Fail:
            plan.failRequest = request;
            break;
        case FaultKind::Short:
            plan.shortReplies = FaultPlan::ShortReplies{};
            plan.shortReplies->fromRequest = request;
            plan.shortReplies->half = true;
            break;
        case FaultKind::StuckBusy:
            plan.stuckBusyAtRequest = request;
            break;
        case FaultKind::NeverReady:
            plan.neverReadyAtRequest = request;
            break;
        case FaultKind::Corrupt:
            plan.corruptReadsFromRequest = request;
            break;
        case FaultKind::PowerLoss:
            plan.powerLossAtRequest = request;
            break;
    }
}

std::optional<FaultPlan> ParseFaultPlan(std::string_view text, std::string& error) {
    FaultPlan plan;
    if (text.empty()) {
        error = "No fault given; write KIND@N, for example fail@120.";
        return std::nullopt;
    }
    while (true) {
        const std::size_t comma = text.find(',');
        if (!AddNamedFault(plan, text.substr(0, comma), error))
            return std::nullopt;
        if (comma == std::string_view::npos)
            return plan;
        text.remove_prefix(comma + 1);
    }
}

void PrintTo(FaultKind kind, std::ostream* out) {
    *out << FaultKindName(kind);
}

}  // namespace sim
