#include "backends/backend_factory.h"

#include <cstdio>
#include <filesystem>

#include "backends/real_backend.h"
#include "sim/fault_names.h"
#include "sim/product_factory.h"
#include "sim/sim_backend.h"
#include "sim/state_file.h"
#include "sim/virtual_clock.h"
#include "usb/listing_trace.h"
#include "usb/replay_backend.h"
#include "usb/trace_format.h"

namespace product {
namespace {

sim::FlashModel ModelOf(SimulatedFlash flash) {
    switch (flash) {
        case SimulatedFlash::Mx32:
            return sim::FlashModel::Mx25l1021e;
        case SimulatedFlash::W25:
            return sim::FlashModel::W25q80;
        case SimulatedFlash::Sst25vf016b:
            break;
    }
    return sim::FlashModel::Sst25vf016b;
}

std::string NotLoaded(const std::string& path, const std::string& why) {
    return "the simulator state file '" + path + "' does not load (" + why +
           "); it was left as it is";
}

// The serial number of the first simulated product, as the factory writes it.
constexpr std::size_t kFirstSerial = 170203;

BackendStart Refused(std::string error) {
    BackendStart start;
    start.error = std::move(error);
    start.optionRefused = true;
    return start;
}

std::optional<SimulatedFlash> FlashOptionOf(sim::FlashModel model) {
    for (SimulatedFlash flash :
         {SimulatedFlash::Sst25vf016b, SimulatedFlash::Mx32, SimulatedFlash::W25}) {
        if (ModelOf(flash) == model)
            return flash;
    }
    return std::nullopt;
}

std::string Hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

// The product kept in the state file is the one to plug: what the options
// leave open comes from it, and an option that says otherwise is refused
// (with both named) rather than meeting a product it did not describe.
std::string TakeKeptProduct(const BackendOptions& options, const sim::ProductState& kept,
                            SimulatedProduct& product) {
    const std::string file = "the simulator state file '" + *options.simState + "'";
    const std::optional<SimulatedFlash> flash = FlashOptionOf(kept.flash);
    const char* keptFlash = sim::DatasheetFor(kept.flash).name;
    if (options.flash && flash != options.flash) {
        return "--sim-flash " + std::string(SimulatedFlashName(*options.flash)) + " contradicts " +
               file + ", which holds a product with a " + keptFlash + " flash";
    }
    const std::optional<int> row = sim::ProductRowOf(kept.product);
    const std::string keptProduct = Hex4(kept.product.vid) + ":" + Hex4(kept.product.pid);
    if (options.rowNamed && row != product.row) {
        return "--simulate=" + std::to_string(product.row) + " contradicts " + file +
               ", which holds the product " + keptProduct +
               (row ? " of row " + std::to_string(*row) : std::string());
    }
    if (options.ispVid && kept.startedInIsp.has_value() && !*kept.startedInIsp) {
        return "--sim-isp contradicts " + file + ", which holds the product " + keptProduct +
               " as it started, with firmware in its flash";
    }
    if (options.ispVidNamed && kept.ispVid != product.ispVid) {
        return "--sim-isp=" + Hex4(product.ispVid) + " contradicts " + file +
               ", whose bare chip has the VID " + Hex4(kept.ispVid);
    }
    if (flash)
        product.flash = *flash;
    if (row)
        product.row = *row;
    product.ispVid = kept.ispVid;
    product.waitingInIsp = kept.startedInIsp.value_or(product.waitingInIsp);
    return {};
}

// Found out before anything is sent, so that no run ends in a state that
// cannot be kept, and no product is plugged that the file does not describe.
// Returns the refusal, or "" with `product` filled in from an existing file.
std::string PrepareStateFile(const BackendOptions& options, SimulatedProduct& product) {
    const std::string& path = *options.simState;
    if (const std::string why = sim::StateFileUnwritable(path); !why.empty()) {
        return "the simulator state file '" + path + "' cannot be written (" + why +
               "); nothing was sent to a device";
    }
    if (!std::filesystem::exists(path))
        return {};
    std::string error;
    const std::optional<sim::ProductState> recorded = sim::ReadStateFile(path, error);
    if (!recorded)
        return NotLoaded(path, error);
    return TakeKeptProduct(options, *recorded, product);
}

sim::ProductConfig ConfigFor(const BackendOptions& options, const SimulatedProduct& product) {
    sim::ProductConfig config;
    config.row = product.row;
    config.flash = ModelOf(product.flash);
    config.ispVid = product.ispVid;
    config.blankFlash = product.waitingInIsp;
    config.location = product.location;
    config.timing = options.slowParts ? sim::FlashTiming::Maximum : sim::FlashTiming::Typical;
    config.stateFile = options.simState.value_or("");
    config.powerCycle = options.simPowerCycle;
    return config;
}

// The fault plan is set once all products are plugged, so that its request
// numbers count from the start of the tool's own work.
BackendStart MakeSimulated(const BackendOptions& options, usb::Clock& callerClock) {
    if (std::string mismatch = options.Mismatch(); !mismatch.empty())
        return Refused(std::move(mismatch));
    BackendStart start;
    if (options.virtualClock)
        start.clock = std::make_unique<sim::VirtualClock>();
    usb::Clock& clock = start.clock ? *start.clock : callerClock;
    auto bus = std::make_unique<sim::SimBackend>(clock);
    // On the real clock every product shares the time of day; on the virtual
    // one each after the first gets a clock of its own.
    const auto clockFor = [&](std::size_t index) -> usb::Clock& {
        if (index == 0 || !options.virtualClock)
            return clock;
        return *start.productClocks.emplace_back(std::make_unique<sim::VirtualClock>());
    };
    std::shared_ptr<sim::SimChip> kept;
    std::vector<SimulatedProduct> products = options.Products();
    if (options.simState) {
        if (std::string refusal = PrepareStateFile(options, products.front()); !refusal.empty())
            return Refused(std::move(refusal));
    }
    for (std::size_t i = 0; i < products.size(); ++i) {
        try {
            kept = sim::PlugProduct(*bus, ConfigFor(options, products[i]), clockFor(i));
        } catch (const sim::StateFileError& error) {
            return Refused(NotLoaded(*options.simState, error.what()));
        }
        // Boards of one rack carry serials of their own, as a line's log and
        // --serial expect: the first keeps the factory's, the next count on.
        if (i > 0)
            kept->Params().SetString(3, "QVUA" + std::to_string(kFirstSerial + i));
    }
    if (options.simFault) {
        std::string error;
        bus->SetFaultPlan(*sim::ParseFaultPlan(*options.simFault, error));
    }
    if (options.simState) {
        start.keep = [kept, path = *options.simState] {
            std::string error;
            return sim::SaveProductState(*kept, path, error) ? std::string() : error;
        };
    }
    sim::SimBackend* shared = bus.get();
    start.clockAt = [shared](const std::string& location) { return shared->ClockAt(location); };
    // The bus guards its own tables: links on threads of their own each reach
    // it through a forwarding backend of their own.
    start.linkBackend = [shared] { return std::make_unique<usb::ForwardingBackend>(*shared); };
    start.backend = std::move(bus);
    return start;
}

// A replay waits for nothing: its clock moves by the recorded pauses and by
// the bus time of a request, as the simulated bus charges it, so that a
// run's time-outs fall where they fell while it was recorded.
BackendStart MakeReplay(const std::string& path) {
    std::string error;
    std::optional<usb::RecordedTrace> trace = usb::ReadTraceFile(path, error);
    if (!trace)
        return Refused(std::move(error));
    BackendStart start;
    auto clock = std::make_unique<sim::VirtualClock>();
    sim::VirtualClock* time = clock.get();
    start.clock = std::move(clock);
    auto replay = std::make_unique<usb::ReplayBackend>(
        std::move(*trace), [time] { time->AdvanceUs(sim::SimBackend::kHighSpeedLatencyUs); });
    usb::ReplayBackend* replayed = replay.get();
    start.replayStop = [replayed](bool runOver) {
        return runOver ? replayed->StopAtEnd() : replayed->Mismatch();
    };
    start.backend = std::move(replay);
    return start;
}

BackendStart MakeChosen(const BackendOptions& options, usb::Clock& clock,
                        usb::RequestTrace* errorLog) {
    if (options.replay && options.Mismatch().empty())
        return MakeReplay(*options.replay);
    if (options.Simulated() || !options.Mismatch().empty())
        return MakeSimulated(options, clock);
    RealBackendStart start = StartRealBackend(errorLog);
    if (!start.backend) {
        BackendStart failed;
        failed.error = "USB access could not be started (" + start.error +
                       "). Try --simulate to run without hardware.";
        return failed;
    }
    BackendStart started;
    started.backend = std::move(start.backend);
    // Each link gets a backend of its own (its own libusb context and handle
    // table, or its own Windows handles), so that no two links share a
    // handle table or a last error.
    started.linkBackend = [errorLog] { return StartRealBackend(errorLog).backend; };
    return started;
}

}  // namespace

BackendStart MakeBackend(const BackendOptions& options, usb::Clock& clock,
                         usb::RequestTrace* errorLog) {
    BackendStart start = MakeChosen(options, clock, errorLog);
    if (errorLog == nullptr || !start.backend)
        return start;
    start.backend = std::make_unique<usb::ListingTraceBackend>(std::move(start.backend), *errorLog);
    if (start.linkBackend) {
        start.linkBackend = [inner = std::move(start.linkBackend), errorLog] {
            std::unique_ptr<usb::DeviceBackend> link = inner();
            if (link)
                link = std::make_unique<usb::ListingTraceBackend>(std::move(link), *errorLog);
            return link;
        };
    }
    return start;
}

std::string OpenFailureMessage(usb::OpenStatus status) {
    return RealBackendOpenFailureMessage(status);
}

}  // namespace product
