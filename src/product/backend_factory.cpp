#include "product/backend_factory.h"

#include "product/real_backend.h"
#include "sim/product_factory.h"
#include "sim/sim_backend.h"

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

// The simulator options that need the stricter simulator are refused by
// name until it is there, rather than accepted and ignored.
std::string UnwiredOption(const BackendOptions& options) {
    if (options.simTiming)
        return "--sim-timing";
    if (options.simClock)
        return "--sim-clock";
    if (options.simFault)
        return "--sim-fault";
    if (options.simState)
        return "--sim-state";
    return {};
}

BackendStart MakeSimulated(const BackendOptions& options, usb::Clock& clock) {
    auto bus = std::make_unique<sim::SimBackend>(clock);
    for (const SimulatedProduct& product : options.Products()) {
        sim::ProductConfig config;
        config.row = product.row;
        config.flash = ModelOf(product.flash);
        config.ispVid = product.ispVid;
        config.blankFlash = product.waitingInIsp;
        config.location = product.location;
        sim::PlugProduct(*bus, config, clock);
    }
    return {std::move(bus), {}, false};
}

}  // namespace

BackendStart MakeBackend(const BackendOptions& options, usb::Clock& clock,
                         usb::RequestTrace* errorLog) {
    if (const std::string unwired = UnwiredOption(options); !unwired.empty())
        return {nullptr, unwired + " is not available in this build yet", true};
    if (options.Simulated())
        return MakeSimulated(options, clock);
    RealBackendStart start = StartRealBackend(errorLog);
    if (!start.backend) {
        return {nullptr,
                "USB access could not be started (" + start.error +
                    "). Try --simulate to run without hardware.",
                false};
    }
    return {std::move(start.backend), {}, false};
}

std::string OpenFailureMessage(usb::OpenStatus status) {
    return RealBackendOpenFailureMessage(status);
}

}  // namespace product
