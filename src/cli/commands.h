#pragma once

#include "cli/outcome.h"

namespace cli {

class Session;

Outcome RunList(Session& session);
Outcome RunUpdate(Session& session);
Outcome RunVerify(Session& session);
Outcome RunRead(Session& session);
Outcome RunInfo(Session& session);

}  // namespace cli
