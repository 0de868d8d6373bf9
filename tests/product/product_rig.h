#pragma once

#include <memory>
#include <string>

#include "sim/product_factory.h"
#include "sim/sim_backend.h"
#include "sim/sim_chip.h"
#include "sim/virtual_clock.h"
#include "usb/quorvex_usb.h"

namespace product_test {

// A simulated bus on a virtual clock with a link on it; products are plugged
// as the tests need them.
struct ProductRig {
    std::shared_ptr<sim::SimChip> Plug(int row, const std::string& location,
                                       bool waitingInIsp = false,
                                       std::uint16_t ispVid = sim::kIspVidQuorvex) {
        sim::ProductConfig config;
        config.row = row;
        config.location = location;
        config.blankFlash = waitingInIsp;
        config.ispVid = ispVid;
        return sim::PlugProduct(backend, config, clock);
    }

    sim::VirtualClock clock;
    sim::SimBackend backend{clock};
    usb::QuorvexUsb link{backend, clock};
};

}  // namespace product_test
