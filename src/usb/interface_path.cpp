#include "usb/interface_path.h"

#include <cctype>
#include <cstdio>

namespace usb {

std::string MakeInterfacePath(std::uint16_t vid, std::uint16_t pid, const std::string& location,
                              const Guid& interfaceClass) {
    char ids[32];
    std::snprintf(ids, sizeof ids, "vid_%04x&pid_%04x", vid, pid);
    std::string guid = GuidToString(interfaceClass);
    for (char& c : guid)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return std::string("\\\\?\\usb#") + ids + "#loc_" + location + "#" + guid;
}

}  // namespace usb
