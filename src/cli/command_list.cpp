// list: every connected product and bare ISP-mode chip.

#include <cstdio>
#include <ostream>

#include "cli/commands.h"
#include "cli/json_line.h"
#include "cli/session.h"

namespace cli {
namespace {

const char* ModeText(const product::ListedDevice& device) {
    return device.mode == product::DeviceMode::Normal ? "normal" : "ISP, waiting for firmware";
}

const char* AccessText(const product::ListedDevice& device) {
    switch (device.openStatus) {
        case usb::OpenStatus::Ok:
            return "yes";
        case usb::OpenStatus::PermissionDenied:
            return "no (permission)";
        case usb::OpenStatus::NoSuchDevice:
            return "no (gone)";
        case usb::OpenStatus::Failed:
            break;
    }
    return "no";
}

std::string TableLine(const std::string& location, const std::string& ids, const std::string& mode,
                      const std::string& access, const std::string& name) {
    char line[160];
    std::snprintf(line, sizeof line, "%-12s %-10s %-26s %-16s %s\n", location.c_str(), ids.c_str(),
                  mode.c_str(), access.c_str(), name.c_str());
    return line;
}

std::string JsonDevice(const product::ListedDevice& device) {
    return JsonLine()
        .Text("event", "device")
        .Text("name", device.displayName)
        .Text("vid_pid", device.VidPidText())
        .Text("location", device.location)
        .Text("mode", device.mode == product::DeviceMode::Normal ? "normal" : "isp")
        .Bool("may_open", device.MayBeOpened())
        .Line();
}

}  // namespace

Outcome RunList(Session& session) {
    const std::vector<product::ListedDevice> devices = session.List();
    std::ostream& out = session.Env().out;
    if (devices.empty())
        return Outcome{kExitNoDevice, "no device found"};
    if (!session.Options().json)
        out << TableLine("LOCATION", "VID:PID", "MODE", "MAY BE OPENED", "NAME");
    for (const product::ListedDevice& device : devices) {
        out << (session.Options().json
                    ? JsonDevice(device)
                    : TableLine(device.location, device.VidPidText(), ModeText(device),
                                AccessText(device), device.displayName));
    }
    return Outcome{kExitDone, {}};
}

}  // namespace cli
