#include <filesystem>
#include <iostream>

#include "cli/cli_main.h"
#include "cli/console.h"
#include "cli/environment.h"
#include "usb/clock.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    usb::SteadyClock clock;
    std::error_code error;
    const cli::ConsoleStreams console = cli::PrepareConsole();
    cli::Environment environment{std::cout,
                                 std::cerr,
                                 std::cin,
                                 clock,
                                 console.outIsTerminal,
                                 console.inIsTerminal,
                                 nullptr,
                                 std::filesystem::current_path(error),
                                 cli::TerminalColumns};
    return cli::Run(std::vector<std::string>(argv + 1, argv + argc), environment);
}
