#include "cli/outcome.h"

namespace cli {

const char* StatusName(int exitCode) {
    switch (exitCode) {
        case kExitDone:
            return "success";
        case kExitFailed:
            return "failed";
        case kExitUsage:
            return "usage";
        case kExitNoDevice:
            return "no_device";
        case kExitFileRefused:
            return "file_refused";
        case kExitPermission:
            return "permission";
        case kExitInterrupted:
            return "interrupted";
        case kExitNotRestarted:
            return "not_restarted";
    }
    return "failed";
}

}  // namespace cli
