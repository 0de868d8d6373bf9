// What updating only the changed sectors saves against the one-button update
// on each simulated flash model: a flash that already holds one image is
// updated to a second that is identical, differs in one sector (in the body,
// or the boot sector), in half of them, or in all of them. Requests and
// modelled duration on the virtual clock, at two USB request latencies.
// Prints a Markdown table for the README.

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "flash/flash_progress.h"
#include "flash/flash_state.h"
#include "flash/range.h"
#include "flash/simple_update.h"
#include "quiet_progress.h"
#include "sim/firmware_layout.h"
#include "sim/flash_model.h"
#include "sim/product_factory.h"
#include "sim/sim_backend.h"
#include "sim/virtual_clock.h"
#include "usb/quorvex_usb.h"

namespace {

using sim::FlashModel;

constexpr std::array<FlashModel, 3> kModels = {FlashModel::Sst25vf016b, FlashModel::Mx25l1021e,
                                               FlashModel::W25q80};
constexpr std::array<std::uint32_t, 2> kLatenciesUs = {125, 1000};
constexpr std::uint32_t kImageLength = 0x8000;  // eight sectors
constexpr std::uint32_t kSectors = kImageLength / flash::kSectorSize;
// A byte inside a sector's body, clear of the boot header and end mark.
constexpr std::uint32_t kBodyOffset = 0x100;

enum class Change { None, OneBodySector, BootSector, Half, All };

struct Case {
    Change change;
    const char* name;
};

constexpr std::array<Case, 5> kCases = {{
    {Change::None, "identical"},
    {Change::OneBodySector, "one sector (body)"},
    {Change::BootSector, "one sector (boot)"},
    {Change::Half, "half (4 of 8)"},
    {Change::All, "all"},
}};

using bench_support::QuietProgress;

void Flip(std::vector<std::uint8_t>& image, std::uint32_t sector) {
    image[sector * flash::kSectorSize + kBodyOffset] ^= 0x5A;
}

// The image the product is updated to, from the one its flash holds.
std::vector<std::uint8_t> Changed(const std::vector<std::uint8_t>& old, Change change) {
    if (change == Change::All)
        return sim::MakeFirmwareImage(kImageLength, 0x77);
    std::vector<std::uint8_t> image = old;
    if (change == Change::OneBodySector)
        Flip(image, kSectors / 2);
    if (change == Change::BootSector)
        Flip(image, 0);
    if (change == Change::Half) {
        for (std::uint32_t sector = 1; sector < kSectors; sector += 2)
            Flip(image, sector);
    }
    return image;
}

struct Measured {
    std::uint64_t requests = 0;
    double seconds = 0;
    bool ok = false;
};

// A product whose flash holds `old`, updated to `target` in `mode`.
Measured Run(FlashModel model, std::uint32_t latencyUs, const std::vector<std::uint8_t>& old,
             const std::vector<std::uint8_t>& target, flash::UpdateMode mode) {
    sim::VirtualClock clock;
    sim::SimBackend backend{clock};
    backend.SetLatencyUs(latencyUs);
    sim::ProductConfig config;
    config.flash = model;
    const std::shared_ptr<sim::SimChip> chip = sim::PlugProduct(backend, config, clock);
    usb::QuorvexUsb link{backend, clock};
    link.SetAudioDriver(true);
    link.SetMatchString("vid_2fc6&pid_f066");
    link.FindDevice();
    QuietProgress quiet;
    std::vector<std::uint8_t> buffer(flash::kImageBufferSize, flash::kErasedByte);
    std::copy(old.begin(), old.end(), buffer.begin());
    flash::FlashState state;
    Measured m;
    if (!flash::RunSimpleUpdate(link, {buffer, kImageLength}, state, quiet, quiet).succeeded)
        return m;
    std::copy(target.begin(), target.end(), buffer.begin());
    link.FindDevice();
    const std::uint64_t requests = backend.Counters().controlCalls;
    const std::uint64_t start = clock.NowUs();
    m.ok = flash::RunSimpleUpdate(link, {buffer, kImageLength}, state, quiet, quiet, {}, mode)
               .succeeded;
    m.seconds = static_cast<double>(clock.NowUs() - start) / 1e6;
    m.requests = backend.Counters().controlCalls - requests;
    return m;
}

}  // namespace

int main() {
    std::printf(
        "| flash | latency | image change | requests | modelled duration | full update | "
        "faster by |\n|---|---|---|---:|---:|---:|---:|\n");
    const std::vector<std::uint8_t> old = sim::MakeFirmwareImage(kImageLength, 0x5C);
    for (const FlashModel model : kModels) {
        for (const std::uint32_t latency : kLatenciesUs) {
            for (const Case& c : kCases) {
                const std::vector<std::uint8_t> target = Changed(old, c.change);
                const Measured only =
                    Run(model, latency, old, target, flash::UpdateMode::ChangedOnly);
                const Measured full = Run(model, latency, old, target, flash::UpdateMode::Full);
                std::printf("| %s | %.3f ms | %s | %llu | %.2f s%s | %.2f s | %.2fx |\n",
                            sim::DatasheetFor(model).name, latency / 1000.0, c.name,
                            static_cast<unsigned long long>(only.requests), only.seconds,
                            only.ok && full.ok ? "" : " (failed)", full.seconds,
                            full.seconds / only.seconds);
            }
        }
    }
    return 0;
}
