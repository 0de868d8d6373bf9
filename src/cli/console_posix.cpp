#include <unistd.h>

#include "cli/console.h"

namespace cli {

ConsoleStreams PrepareConsole() {
    return {::isatty(STDOUT_FILENO) != 0, ::isatty(STDIN_FILENO) != 0};
}

}  // namespace cli
