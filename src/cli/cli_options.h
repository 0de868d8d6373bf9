#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "backends/backend_options.h"

namespace cli {

enum class Command { List, Update, Verify, Read, Info, Check };

// The command line of palereed-flash. Options may stand before or after the
// command and its arguments.
struct CliOptions {
    Command command = Command::List;
    std::optional<std::string> file;  // update FILE, verify FILE, read OUT.bin
    std::optional<std::string> device;
    std::optional<std::uint32_t> length;  // read --length
    std::optional<std::string> serial;    // --serial: the product's serial string
    std::optional<std::string> product;   // check --product NAME
    // --wait[=SECONDS]: wait for the device (no limit when unset); with
    // --all, update every board plugged in until interrupted.
    bool wait = false;
    std::optional<std::uint32_t> waitSeconds;
    bool all = false;
    bool json = false;
    bool yes = false;
    bool force = false;        // update: write a file that is not the product's firmware
    bool changedOnly = false;  // update: rewrite only the 4 KiB sectors that differ
    bool quiet = false;        // only the result: no progress
    bool verbose = false;      // progress as plain lines, with the loops' own texts
    bool help = false;
    bool version = false;
    std::optional<std::string> traceFile;
    // update --report FILE: the run's requests under a short header, written
    // whether the update succeeds or not.
    std::optional<std::string> reportFile;
    product::BackendOptions backend;
};

// Parses the arguments after the program name. On a bad command line returns
// nullopt and fills `error` with one line.
std::optional<CliOptions> ParseCli(const std::vector<std::string>& args, std::string& error);

}  // namespace cli
