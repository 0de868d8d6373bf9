#pragma once

#include <cstdint>
#include <string>

#include "usb/guid.h"

namespace usb {

// A Windows-style device-interface path for a device at a bus location, e.g.
// "\\?\usb#vid_2fc6&pid_f066#loc_1-2.3#{50894fa4-9206-4a91-8728-cf6f268f271d}".
// VID and PID are written in lower case, so the detection's match strings find
// them; the location (bus and port chain) keeps the path stable while the
// device stays in its port.
std::string MakeInterfacePath(std::uint16_t vid, std::uint16_t pid, const std::string& location,
                              const Guid& interfaceClass);

}  // namespace usb
