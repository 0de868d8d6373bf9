#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>

namespace usb {
class Clock;
class DeviceBackend;
}  // namespace usb

namespace cli {

// What a run of palereed-flash works with. The executable fills it from the
// process; tests hand in string streams and a prepared simulated bus, which
// then outlives several runs (an interrupted update and its recovery).
struct Environment {
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    usb::Clock& clock;
    bool outIsTerminal = false;
    bool inIsTerminal = false;
    // Null: the backend is chosen from the options.
    usb::DeviceBackend* backend = nullptr;
    // Where an update file is looked for when none is named.
    std::filesystem::path workingDirectory;
    // The terminal's width in columns, asked at each redraw; null or 0: unknown.
    std::function<int()> terminalColumns;
};

}  // namespace cli
