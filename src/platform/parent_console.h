#pragma once

namespace platform {

// A Windows window program has no console of its own: what it prints for
// --help, --version or a start-up error would vanish when started from a
// Command Prompt. This joins the console of the process that started it for
// the standard streams that lead nowhere (streams redirected to a file or a
// pipe are kept). Elsewhere the streams are always there: nothing to do.
#ifdef _WIN32
void UseParentConsole();
#else
inline void UseParentConsole() {}
#endif

}  // namespace platform
