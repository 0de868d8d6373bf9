#pragma once

#include <array>
#include <cstdint>

namespace sim {

// What went over the simulated bus, for benchmarks and for tests that count
// requests rather than inspect them.
struct RequestCounters {
    std::uint64_t controlCalls = 0;    // every IoControl call, whatever became of it
    std::uint64_t inRequests = 0;      // control transfers device to host
    std::uint64_t outRequests = 0;     // control transfers host to device
    std::uint64_t supportQueries = 0;  // audio-driver probes
    std::uint64_t failed = 0;          // calls that returned false
    std::uint64_t inBytes = 0;
    std::uint64_t outBytes = 0;
    std::uint64_t latencyUs = 0;                     // modelled bus time charged to the clock
    std::array<std::uint64_t, 256> byRequestCode{};  // control transfers by bRequest
};

}  // namespace sim
