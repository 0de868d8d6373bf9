// Writes the request trace and the texts of every flash sequence the window
// runs ("Start", "Auto", each ISP page button) on each simulated flash part,
// once clean and once per fault spread over the run, one file each. Two
// builds whose files are identical send the same requests in the same order
// and show the same texts: the guard for changes that must not change
// behaviour (tools/compare_traces.sh).

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "chip/registers.h"
#include "flash/auto_run_host.h"
#include "flash/auto_update.h"
#include "flash/flash_progress.h"
#include "flash/flash_state.h"
#include "flash/isp_erase.h"
#include "flash/range_buttons.h"
#include "flash/read_back.h"
#include "flash/simple_update.h"
#include "sim/firmware_layout.h"
#include "sim/product_factory.h"
#include "sim/sim_backend.h"
#include "sim/virtual_clock.h"
#include "usb/quorvex_usb.h"
#include "usb/request_trace.h"

namespace {

constexpr std::uint32_t kImageLength = 0x9000;
constexpr int kFaultPositions = 12;

// Texts land in the trace between the requests, so an order change shows.
class TracedTexts final : public flash::FlashProgress, public flash::StepReporter {
public:
    explicit TracedTexts(usb::RequestTrace& trace) : trace_(trace) {}
    void SetStepText(std::string_view text) override { Note("step", text); }
    void SetAddressText(std::string_view text) override { Note("address", text); }
    void SetStatusRegisterText(std::string_view text) override { Note("status", text); }
    void PumpEvents() override {}
    void SetShareDone(double share) override {
        char text[32];
        std::snprintf(text, sizeof text, "%.4f", share);
        Note("share", text);
    }
    void ShowStep(std::string_view text) override { Note("panel", text); }

private:
    void Note(std::string_view what, std::string_view text) {
        trace_.Line("# " + std::string(what) + ": " + std::string(text));
    }
    usb::RequestTrace& trace_;
};

class TickedHost final : public flash::AutoRunHost {
public:
    TickedHost(std::span<const std::uint8_t> image, bool wholeFlash)
        : image_(image), wholeFlash_(wholeFlash) {}
    bool IsTicked(flash::AutoOption option) override {
        return option != flash::AutoOption::ReloadFile && option != flash::AutoOption::ChangedOnly;
    }
    bool ReloadProgramFile() override { return true; }
    flash::ImageView Image() override { return {image_, kImageLength}; }
    bool IsWholeFlashSelected() override { return wholeFlash_; }
    std::uint32_t RangeStartKb() override { return 8; }
    std::uint32_t RangeSizeKb() override { return 48; }

private:
    std::span<const std::uint8_t> image_;
    bool wholeFlash_;
};

// One product as it leaves the factory, its link found on the audio path and
// traced into memory.
struct Bench {
    Bench(sim::FlashModel model, const sim::FaultPlan& faults) {
        sim::ProductConfig config;
        config.flash = model;
        config.faults = faults;
        chip = sim::PlugProduct(backend, config, clock);
        link.SetAudioDriver(true);
        link.SetMatchString("vid_2fc6&pid_f066");
        link.FindDevice();
        link.SetTrace(&trace);
    }
    sim::VirtualClock clock;
    sim::SimBackend backend{clock};
    std::shared_ptr<sim::SimChip> chip;
    usb::QuorvexUsb link{backend, clock};
    usb::MemoryTrace trace;
    TracedTexts texts{trace};
    flash::FlashState state;
};

using Sequence = std::function<void(Bench&, std::span<const std::uint8_t>)>;

void EnterIspFirst(Bench& bench) {
    bench.link.OpenDevice();
    chip::IspMode(bench.link, true);
    bench.link.CloseDevice();
    bench.trace.Clear();
}

std::vector<std::pair<std::string, Sequence>> Sequences() {
    using flash::EraseScope;
    std::vector<std::pair<std::string, Sequence>> all;
    all.emplace_back("start", [](Bench& b, std::span<const std::uint8_t> image) {
        const flash::UpdateResult r =
            flash::RunSimpleUpdate(b.link, {image, kImageLength}, b.state, b.texts, b.texts);
        b.trace.Line("# result: " + std::string(r.succeeded ? "ok" : "failed"));
    });
    for (const bool whole : {true, false}) {
        all.emplace_back(whole ? "auto-all" : "auto-range",
                         [whole](Bench& b, std::span<const std::uint8_t> image) {
                             TickedHost host(image, whole);
                             const bool ok = flash::RunAutoUpdate(b.link, b.state, host, b.texts);
                             b.trace.Line(ok ? "# result: ok" : "# result: failed");
                         });
    }
    all.emplace_back("erase-all", [](Bench& b, std::span<const std::uint8_t>) {
        EnterIspFirst(b);
        flash::EraseFlash(b.link, EraseScope::WholeChip, b.state, b.texts);
    });
    all.emplace_back("erase-range", [](Bench& b, std::span<const std::uint8_t>) {
        EnterIspFirst(b);
        b.state.rangeStart = 0x2000;
        b.state.rangeSize = 0x3000;
        flash::EraseFlash(b.link, EraseScope::AccessRange, b.state, b.texts);
    });
    // Blank check, program and verify on a flash erased beforehand, untraced.
    const auto onErased = [](auto button) {
        return [button](Bench& b, std::span<const std::uint8_t> image) {
            EnterIspFirst(b);
            b.link.SetTrace(nullptr);
            flash::EraseFlash(b.link, EraseScope::WholeChip, b.state, b.texts);
            b.link.SetTrace(&b.trace);
            b.trace.Clear();
            button(b, image);
        };
    };
    all.emplace_back(
        "blank", onErased([](Bench& b, std::span<const std::uint8_t> image) {
            flash::RunBlankCheckButton(b.link, {image, kImageLength}, b.state, true, b.texts);
        }));
    all.emplace_back(
        "program", onErased([](Bench& b, std::span<const std::uint8_t> image) {
            flash::RunProgramButton(b.link, {image, kImageLength}, b.state, true, b.texts);
        }));
    all.emplace_back(
        "verify", onErased([](Bench& b, std::span<const std::uint8_t> image) {
            flash::RunVerifyButton(b.link, {image, kImageLength}, b.state, true, b.texts);
        }));
    all.emplace_back("read", [](Bench& b, std::span<const std::uint8_t>) {
        EnterIspFirst(b);
        auto buffer = std::make_unique<flash::ReadBackBuffer>();
        flash::RunReadFlashButton(b.link, *buffer, b.texts);
    });
    return all;
}

std::size_t RequestCount(const std::vector<std::string>& lines) {
    std::size_t n = 0;
    for (const std::string& line : lines)
        n += line.size() > 3 && line[2] == ' ' && line.find(" ok") != std::string::npos;
    return n;
}

bool Write(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    std::ofstream out(path);
    for (const std::string& line : lines)
        out << line << '\n';
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: record_flash_traces OUT-FOLDER\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out);
    std::vector<std::uint8_t> image(flash::kImageBufferSize, 0xFF);
    const std::vector<std::uint8_t> firmware = sim::MakeFirmwareImage(kImageLength, 0x5C);
    std::copy(firmware.begin(), firmware.end(), image.begin());
    const std::pair<const char*, sim::FlashModel> models[] = {{"sst", sim::FlashModel::Sst25vf016b},
                                                              {"mx32", sim::FlashModel::Mx25l1021e},
                                                              {"w25", sim::FlashModel::W25q80}};
    int files = 0;
    for (const auto& [modelName, model] : models) {
        for (const auto& [name, run] : Sequences()) {
            const std::string stem = std::string(modelName) + "-" + name;
            Bench clean(model, {});
            run(clean, image);
            files += Write(out / (stem + ".trace"), clean.trace.Lines());
            // Requests traced before the sequence began (ISP entry) count too.
            const std::size_t total = RequestCount(clean.trace.Lines()) + 8;
            for (int k = 1; k <= kFaultPositions; ++k) {
                const std::uint64_t at = total * k / (kFaultPositions + 1);
                for (const bool unplug : {false, true}) {
                    sim::FaultPlan plan;
                    (unplug ? plan.unplugAtRequest : plan.failRequest) = at;
                    Bench faulty(model, plan);
                    run(faulty, image);
                    files += Write(out / (stem + (unplug ? "-unplug@" : "-fail@") +
                                          std::to_string(at) + ".trace"),
                                   faulty.trace.Lines());
                }
            }
        }
    }
    std::printf("%d trace files in %s\n", files, out.string().c_str());
    return 0;
}
