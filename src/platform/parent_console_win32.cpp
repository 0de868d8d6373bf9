#include "platform/parent_console.h"

#include <windows.h>

#include <cstdio>

namespace platform {

namespace {

bool LeadsNowhere(DWORD stream) {
    const HANDLE handle = GetStdHandle(stream);
    return handle == nullptr || handle == INVALID_HANDLE_VALUE;
}

}  // namespace

void UseParentConsole() {
    const bool output = LeadsNowhere(STD_OUTPUT_HANDLE);
    const bool errors = LeadsNowhere(STD_ERROR_HANDLE);
    if ((!output && !errors) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    // The C streams were set up at start-up without a console; point them at it.
    if (output)
        std::freopen("CONOUT$", "w", stdout);
    if (errors)
        std::freopen("CONOUT$", "w", stderr);
}

}  // namespace platform
