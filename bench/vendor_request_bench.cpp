// Host cost of one vendor request through the device link into the simulated
// chip, with no modelled bus latency: what the simulator adds to every test
// and to a simulated update.

#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include "chip/request_codes.h"
#include "sim/product_factory.h"
#include "sim/sim_backend.h"
#include "sim/virtual_clock.h"
#include "usb/quorvex_usb.h"

namespace {

// A product on a zero-latency bus, opened over the chosen driver path.
struct Bench {
    explicit Bench(bool audioPath) {
        bus.SetLatencyUs(0);
        sim::ProductConfig config;
        config.flash = sim::FlashModel::W25q80;
        chip = sim::PlugProduct(bus, config, clock);
        link.SetAudioDriver(audioPath);
        link.SetMatchString("vid_2fc6&pid_f066");
        opened = link.FindDevice() && link.OpenDevice();
    }

    bool EnterIsp() {
        return link.VendorRequest(chip::kTypeOut, chip::kRequestEnterIsp, chip::kEnterIspValue,
                                  chip::kEnterIspIndex, nullptr, 0);
    }

    sim::VirtualClock clock;
    sim::SimBackend bus{clock};
    std::shared_ptr<sim::SimChip> chip;
    usb::QuorvexUsb link{bus, clock};
    bool opened = false;
};

void RegisterRead(benchmark::State& state, bool audioPath) {
    Bench bench(audioPath);
    std::uint8_t value = 0;
    bool ok = bench.opened;
    for (auto _ : state) {
        ok &= bench.link.VendorRequest(chip::kTypeIn, chip::kRequestRegRead, 0, 0x20, &value, 1);
        benchmark::DoNotOptimize(value);
    }
    if (!ok)
        state.SkipWithError("a register read failed");
    state.SetItemsProcessed(state.iterations());
}

// A page's worth of pass-through data in ISP mode. Without write enable the
// flash ignores the page program, so every iteration costs the same.
void PassThroughOut256(benchmark::State& state, bool audioPath) {
    Bench bench(audioPath);
    std::array<std::uint8_t, 256> data{};
    data.fill(0x5A);
    data[0] = chip::kFlashPageProgram;
    bool ok = bench.opened && bench.EnterIsp();
    for (auto _ : state) {
        ok &= bench.link.VendorRequest(chip::kTypeOut, chip::kRequestFlashInstruction, 0, 1,
                                       data.data(), static_cast<std::uint32_t>(data.size()));
    }
    if (!ok)
        state.SkipWithError("a pass-through request failed");
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}

BENCHMARK_CAPTURE(RegisterRead, audio_driver_path, true);
BENCHMARK_CAPTURE(RegisterRead, vendor_driver_path, false);
BENCHMARK_CAPTURE(PassThroughOut256, audio_driver_path, true);
BENCHMARK_CAPTURE(PassThroughOut256, vendor_driver_path, false);

}  // namespace

BENCHMARK_MAIN();
