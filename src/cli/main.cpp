#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "cli/cli_main.h"
#include "cli/environment.h"
#include "usb/clock.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    usb::SteadyClock clock;
    std::error_code error;
    cli::Environment environment{std::cout,
                                 std::cerr,
                                 std::cin,
                                 clock,
                                 ::isatty(STDOUT_FILENO) != 0,
                                 ::isatty(STDIN_FILENO) != 0,
                                 nullptr,
                                 std::filesystem::current_path(error)};
    return cli::Run(std::vector<std::string>(argv + 1, argv + argc), environment);
}
