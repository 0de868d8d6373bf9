#pragma once

namespace cli {

// The exit codes of palereed-flash, as --help lists them.
enum ExitCode : int {
    kExitDone = 0,
    kExitFailed = 1,        // the update or verify failed; info: a request not answered
    kExitUsage = 2,         // bad option, command or value
    kExitNoDevice = 3,      // no device, an unknown --device, or several without --device
    kExitFileRefused = 4,   // the file is missing, unreadable or not a loadable image
    kExitPermission = 5,    // a device the user may not open (no access rule installed)
    kExitInterrupted = 6,   // Ctrl-C, SIGTERM or SIGHUP, or the update was not confirmed
    kExitNotRestarted = 7,  // written and verified, but the product did not come back
};

}  // namespace cli
