#pragma once

#include "cli/cli_options.h"
#include "cli/environment.h"
#include "cli/outcome.h"

namespace cli {

class Session;

Outcome RunList(Session& session);
Outcome RunUpdate(Session& session);
Outcome RunVerify(Session& session);
Outcome RunRead(Session& session);
Outcome RunInfo(Session& session);
// Needs no device, and so no session.
Outcome RunCheck(const CliOptions& options, Environment& env);

}  // namespace cli
