// What `update --all` costs with 1, 2, 4 and 8 simulated products on the
// real clock at datasheet-typical timing: the wall time of the whole batch
// against that of one device, and the host CPU per device. Run in process
// through the command-line front end, as a production line would call it.
// Prints a Markdown table for the README.
//
//   all_devices_bench [REPEATS]     best of REPEATS runs per row (default 3)

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_main.h"
#include "cli/environment.h"
#include "usb/clock.h"

namespace {

struct Cost {
    double wallS = 0;
    double cpuS = 0;
};

double ProcessCpuS() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

Cost RunBatch(int devices) {
    std::vector<std::string> args = {"update", PALEREED_DEMO_HEX, "--all", "--yes"};
    for (int i = 0; i < devices; ++i)
        args.emplace_back("--simulate");
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
    usb::SteadyClock clock;
    cli::Environment environment{out, err, in, clock, false, false, nullptr, {}, {}};
    const double cpuStart = ProcessCpuS();
    const auto start = std::chrono::steady_clock::now();
    const int code = cli::Run(args, environment);
    const auto end = std::chrono::steady_clock::now();
    const double cpu = ProcessCpuS() - cpuStart;
    if (code != 0) {
        std::cerr << "update --all with " << devices << " devices: exit " << code << "\n"
                  << err.str();
        std::exit(1);
    }
    return Cost{std::chrono::duration<double>(end - start).count(), cpu};
}

Cost Best(int devices, int repeats) {
    Cost best{1e9, 1e9};
    for (int i = 0; i < repeats; ++i) {
        const Cost cost = RunBatch(devices);
        best.wallS = std::min(best.wallS, cost.wallS);
        best.cpuS = std::min(best.cpuS, cost.cpuS);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::printf("| devices | wall time | against one | host CPU per device |\n");
    std::printf("|---:|---:|---:|---:|\n");
    double one = 0;
    for (const int devices : {1, 2, 4, 8}) {
        const Cost cost = Best(devices, repeats);
        if (devices == 1)
            one = cost.wallS;
        std::printf("| %d | %.2f s | %.2fx | %.0f ms |\n", devices, cost.wallS, cost.wallS / one,
                    cost.cpuS * 1000.0 / devices);
    }
    return 0;
}
