#include "product/gated_clock.h"

#include "product/stop_gate.h"

namespace product {

void GatedClock::SleepMs(std::uint32_t ms) {
    if (!gate_.Closed())
        inner_.SleepMs(ms);
}

}  // namespace product
