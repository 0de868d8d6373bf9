// What a one-button update costs on each simulated flash model: the requests
// it sends by kind, the pauses it prescribes, its modelled duration at three
// USB request latencies, the flash's own busy time, and the host CPU time and
// heap it needs. Prints Markdown tables for the README.

#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "flash/flash_progress.h"
#include "flash/flash_state.h"
#include "flash/simple_update.h"
#include "quiet_progress.h"
#include "sim/firmware_layout.h"
#include "sim/flash_model.h"
#include "sim/product_factory.h"
#include "sim/sim_backend.h"
#include "sim/virtual_clock.h"
#include "usb/quorvex_usb.h"
#include "usb/request_trace.h"

// Heap accounting for the peak-memory column.
namespace {
std::atomic<std::int64_t> heapNow{0};
std::atomic<std::int64_t> heapPeak{0};

void NoteAllocated(void* p) {
    if (p == nullptr)
        return;
    const std::int64_t now = heapNow += static_cast<std::int64_t>(malloc_usable_size(p));
    std::int64_t peak = heapPeak.load();
    while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {
    }
}
}  // namespace

void* operator new(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr)
        throw std::bad_alloc();
    NoteAllocated(p);
    return p;
}
void operator delete(void* p) noexcept {
    if (p != nullptr)
        heapNow -= static_cast<std::int64_t>(malloc_usable_size(p));
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace {

using sim::FlashModel;

constexpr std::array<FlashModel, 3> kModels = {FlashModel::Sst25vf016b, FlashModel::Mx25l1021e,
                                               FlashModel::W25q80};
constexpr std::array<std::uint32_t, 2> kImageLengths = {0x8000, 0x10000};
constexpr std::array<std::uint32_t, 3> kLatenciesUs = {125, 250, 1000};
constexpr int kCpuRepetitions = 5;
constexpr std::uint32_t kHostLatencyUs = 125;

using bench_support::QuietProgress;

// Counts what the link sends, from its trace lines.
class CountingTrace final : public usb::RequestTrace {
public:
    void Line(std::string_view line) override {
        if (line.starts_with("sleep ")) {
            pauseMs += std::stoul(std::string(line.substr(6)));
            return;
        }
        if (line.size() < 6 || line[2] != ' ')
            return;  // open, close, probe
        const auto code =
            static_cast<std::uint8_t>(std::stoul(std::string(line.substr(3, 2)), nullptr, 16));
        ++byCode[code];
        if (line.starts_with("43 80 0000 0001 1 c7"))
            ++chipErases;
        if (line.starts_with("43 80 0000 0000 4 02"))
            ++pagePrograms;
        if (line.starts_with("43 80 0000 0001 6 ad") || line.starts_with("43 80 0000 0001 3 ad"))
            ++wordPrograms;
    }

    std::uint64_t Total() const {
        std::uint64_t total = 0;
        for (std::uint64_t n : byCode)
            total += n;
        return total;
    }

    std::array<std::uint64_t, 256> byCode{};
    std::uint64_t pauseMs = 0;
    std::uint64_t chipErases = 0;
    std::uint64_t pagePrograms = 0;
    std::uint64_t wordPrograms = 0;
};

// A product on the simulated bus with an image loaded, ready for "Start".
struct Bench {
    Bench(FlashModel model, std::uint32_t length, std::uint32_t latencyUs) : imageLength(length) {
        backend.SetLatencyUs(latencyUs);
        sim::ProductConfig config;
        config.flash = model;
        chip = sim::PlugProduct(backend, config, clock);
        link.SetAudioDriver(true);
        link.SetMatchString("vid_2fc6&pid_f066");
        link.FindDevice();
        const std::vector<std::uint8_t> image = sim::MakeFirmwareImage(length, 0x5C);
        std::copy(image.begin(), image.end(), buffer.begin());
    }

    bool Run() {
        QuietProgress quiet;
        return flash::RunSimpleUpdate(link, {buffer, imageLength}, state, quiet, quiet).succeeded;
    }

    sim::VirtualClock clock;
    sim::SimBackend backend{clock};
    std::shared_ptr<sim::SimChip> chip;
    usb::QuorvexUsb link{backend, clock};
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(0x40000, 0xFF);
    std::uint32_t imageLength;
    flash::FlashState state;
};

struct Modelled {
    CountingTrace counts;
    double durationS = 0;
    double flashBusyMs = 0;
    bool ok = false;
};

Modelled RunModelled(FlashModel model, std::uint32_t length, std::uint32_t latencyUs) {
    Bench bench(model, length, latencyUs);
    Modelled result;
    bench.link.SetTrace(&result.counts);
    const std::uint64_t start = bench.clock.NowUs();
    result.ok = bench.Run();
    result.durationS = static_cast<double>(bench.clock.NowUs() - start) / 1e6;
    const sim::FlashDatasheet& datasheet = sim::DatasheetFor(model);
    const std::uint64_t programs = result.counts.pagePrograms + result.counts.wordPrograms;
    result.flashBusyMs = static_cast<double>(result.counts.chipErases * datasheet.chipEraseUs +
                                             programs * datasheet.programUs) /
                         1000.0;
    return result;
}

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

struct HostCost {
    double cpuMs = 0;  // best of the repetitions
    double peakHeapKiB = 0;
    std::uint64_t requests = 0;
};

// Measured on the virtual clock, where the modelled latency costs no real
// time: at a latency of zero the simulated engine would never get the time to
// clock an instruction out between two un-paced ready polls, and the update
// would stop at the identification instead of doing the work being measured.
HostCost RunHost(FlashModel model, std::uint32_t length) {
    HostCost cost{1e9, 0};
    for (int i = 0; i < kCpuRepetitions; ++i) {
        Bench bench(model, length, kHostLatencyUs);
        const std::int64_t before = heapNow.load();
        heapPeak = before;
        const double start = ProcessCpuSeconds();
        if (!bench.Run())
            std::fprintf(stderr, "update failed during the host measurement\n");
        cost.cpuMs = std::min(cost.cpuMs, (ProcessCpuSeconds() - start) * 1000.0);
        cost.peakHeapKiB = static_cast<double>(heapPeak.load() - before) / 1024.0;
        cost.requests = bench.backend.Counters().controlCalls;
    }
    return cost;
}

void PrintModelledTable() {
    std::printf(
        "| flash | image | latency | requests | 0x80 instr. | 0x81 read-back | 0x82 fetch | "
        "0x83 ready | ISP + reg. | pauses | modelled duration | flash busy |\n"
        "|---|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (FlashModel model : kModels) {
        for (std::uint32_t length : kImageLengths) {
            for (std::uint32_t latency : kLatenciesUs) {
                const Modelled m = RunModelled(model, length, latency);
                const auto& c = m.counts.byCode;
                std::printf(
                    "| %s | %u KiB | %.3f ms | %llu | %llu | %llu | %llu | %llu | %llu | "
                    "%.2f s | %.2f s%s | %.0f ms |\n",
                    sim::DatasheetFor(model).name, length / 1024, latency / 1000.0,
                    static_cast<unsigned long long>(m.counts.Total()),
                    static_cast<unsigned long long>(c[0x80]),
                    static_cast<unsigned long long>(c[0x81]),
                    static_cast<unsigned long long>(c[0x82]),
                    static_cast<unsigned long long>(c[0x83]),
                    static_cast<unsigned long long>(c[0x84] + c[0x85] + c[0x90]),
                    static_cast<double>(m.counts.pauseMs) / 1000.0, m.durationS,
                    m.ok ? "" : " (failed)", m.flashBusyMs);
            }
        }
    }
}

void PrintHostTable() {
    std::printf(
        "\n| flash | image | requests | host CPU per update | share of modelled duration at "
        "0.125 ms | peak heap during the update |\n|---|---|---:|---:|---:|---:|\n");
    for (FlashModel model : kModels) {
        for (std::uint32_t length : kImageLengths) {
            const HostCost cost = RunHost(model, length);
            const double modelledMs = RunModelled(model, length, kHostLatencyUs).durationS * 1000.0;
            std::printf("| %s | %u KiB | %llu | %.1f ms | %.2f %% | %.1f KiB |\n",
                        sim::DatasheetFor(model).name, length / 1024,
                        static_cast<unsigned long long>(cost.requests), cost.cpuMs,
                        100.0 * cost.cpuMs / modelledMs, cost.peakHeapKiB);
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("\nPeak resident set of the whole benchmark process: %ld KiB.\n", usage.ru_maxrss);
}

}  // namespace

int main() {
    PrintModelledTable();
    PrintHostTable();
    return 0;
}
