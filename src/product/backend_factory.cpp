#include "product/backend_factory.h"

#include "product/real_backend.h"
#include "sim/fault_names.h"
#include "sim/product_factory.h"
#include "sim/sim_backend.h"
#include "sim/virtual_clock.h"

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

BackendStart Refused(std::string error) {
    BackendStart start;
    start.error = std::move(error);
    start.optionRefused = true;
    return start;
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
    std::shared_ptr<sim::SimChip> kept;
    for (const SimulatedProduct& product : options.Products()) {
        try {
            kept = sim::PlugProduct(*bus, ConfigFor(options, product), clock);
        } catch (const sim::StateFileError& error) {
            return Refused("the simulator state file '" + *options.simState + "' does not load (" +
                           error.what() + "); it was left as it is");
        }
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
    start.backend = std::move(bus);
    return start;
}

}  // namespace

BackendStart MakeBackend(const BackendOptions& options, usb::Clock& clock,
                         usb::RequestTrace* errorLog) {
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
    return started;
}

std::string OpenFailureMessage(usb::OpenStatus status) {
    return RealBackendOpenFailureMessage(status);
}

}  // namespace product
