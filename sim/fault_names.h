#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "sim/fault_plan.h"

namespace sim {

// The fault kinds by the names the command line uses ("unplug@3000").
enum class FaultKind {
    Unplug,      // unplug
    Fail,        // fail
    Short,       // short
    StuckBusy,   // stuck-busy
    NeverReady,  // never-ready
    Corrupt,     // corrupt
    PowerLoss,   // power-loss
};

const char* FaultKindName(FaultKind kind);
// Test names and failure messages show a kind by its command-line name.
void PrintTo(FaultKind kind, std::ostream* out);

// Adds one fault at request `request` (counted from 1) to `plan`. "short"
// halves every IN reply from that request on; "corrupt" alters the first
// byte of every flash read from then on; the others act as their FaultPlan
// fields say.
void AddFault(FaultPlan& plan, FaultKind kind, std::uint64_t request);

// Reads "KIND@N", or several separated by commas ("fail@120,unplug@3000").
// On a bad text returns nullopt and sets `error` to one sentence for the user.
std::optional<FaultPlan> ParseFaultPlan(std::string_view text, std::string& error);

}  // namespace sim
