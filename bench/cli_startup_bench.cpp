// How fast palereed-flash starts (--version, and list with nothing of ours
// connected, through the real libusb), and what an update run through the
// command-line front end costs the host against its modelled duration.
// Prints a Markdown table for the README.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_main.h"
#include "cli/environment.h"
#include "sim/firmware_layout.h"
#include "sim/product_factory.h"
#include "sim/sim_backend.h"
#include "sim/virtual_clock.h"
#include "tools/intel_hex_writer.h"

extern char** environ;

namespace {

constexpr int kStarts = 51;

// Wall time of one start of the executable, stdout and stderr to /dev/null.
double StartMs(const std::vector<std::string>& args) {
    std::vector<std::string> words = args;
    std::vector<char*> argv;
    std::string program = PALEREED_FLASH;
    argv.push_back(program.data());
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    int status = 0;
    waitpid(child, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double MedianStartMs(const std::vector<std::string>& args) {
    std::vector<double> times;
    for (int i = 0; i < kStarts; ++i)
        times.push_back(StartMs(args));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct UpdateCost {
    double cpuMs = 0;
    double modelledS = 0;
};

// One update through cli::Run on the virtual clock at high-speed latency.
UpdateCost UpdateThroughCli(const std::string& file) {
    sim::VirtualClock clock;
    sim::SimBackend bus(clock);
    sim::PlugProduct(bus, sim::ProductConfig{}, clock);
    std::ostringstream out, err;
    std::istringstream in;
    cli::Environment environment{out, err, in, clock, false, false, &bus, {}, {}};
    const double cpuBefore = CpuSeconds();
    const int code = cli::Run({"update", file, "--yes"}, environment);
    UpdateCost cost{(CpuSeconds() - cpuBefore) * 1000.0, static_cast<double>(clock.NowUs()) / 1e6};
    if (code != 0)
        std::fprintf(stderr, "update failed: %s\n", err.str().c_str());
    return cost;
}

}  // namespace

int main() {
    const auto folder = std::filesystem::temp_directory_path() / "palereed_cli_bench";
    std::filesystem::create_directories(folder);
    const std::string file = (folder / "fw.hex").string();
    std::ofstream(file) << tools::WriteIntelHex(sim::MakeFirmwareImage(0x8000, 1));

    std::printf("| start | median of %d |\n|---|---:|\n", kStarts);
    std::printf("| `palereed-flash --version` | %.1f ms |\n", MedianStartMs({"--version"}));
    std::printf("| `palereed-flash list`, nothing connected | %.1f ms |\n\n",
                MedianStartMs({"list"}));

    UpdateCost best{1e9, 0};
    for (int i = 0; i < 5; ++i) {
        const UpdateCost cost = UpdateThroughCli(file);
        if (cost.cpuMs < best.cpuMs)
            best = cost;
    }
    std::printf("| update through the command line | host CPU | modelled duration | share |\n");
    std::printf("|---|---:|---:|---:|\n");
    std::printf("| SST25VF016B, 32 KiB, 0.125 ms | %.1f ms | %.2f s | %.2f %% |\n", best.cpuMs,
                best.modelledS, best.cpuMs / 10.0 / best.modelledS);
    std::filesystem::remove_all(folder);
    return 0;
}
